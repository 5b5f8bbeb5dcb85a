#include "ChildProcess.h"
#include "ContainerSession.h"
#include "TestSupport.h"
#include "ThreadWindow.h"
#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "tabs/dlgDocument.h"
#include "window/ForeignCall.h"
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>

using namespace merilane;
using namespace merilane::test;

namespace {

// What an operation on a window that stops answering may cost the user-interface thread,
// message box included: the bounded wait, plus room for a loaded machine.
constexpr DWORD kBound = 3000;
// How long the fixture hangs at most in these tests: longer than any of their checks can take.
// Each test ends the hang itself once its checks of the hung state are done.
constexpr int kHang = 30000;

struct Fixture {
    ChildProcess process;
    HWND window = nullptr;
    HWND edit = nullptr;
    explicit Fixture(const std::wstring& title, std::vector<std::wstring> extra = {})
        : process(Start(title, std::move(extra))) {
        window = process.WaitForWindow(title);
        edit = window ? FindWindowExW(window, nullptr, L"EDIT", nullptr) : nullptr;
        if (edit)
            SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"work in progress"));
    }
    static ChildProcess Start(const std::wstring& title, std::vector<std::wstring> extra) {
        std::vector<std::wstring> args{L"--title", title, L"--edit"};
        args.insert(args.end(), extra.begin(), extra.end());
        return ChildProcess::Fixture(args);
    }
    bool Whole() const { return IsWindow(window) && ControlText(edit) == L"work in progress"; }
};

DWORD Timed(const std::function<void()>& operation) {
    DWORD start = GetTickCount();
    operation();
    return GetTickCount() - start;
}

bool OnTheDesktopAgain(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return ParentOf(window) == GetDesktopWindow() && !IsZoomed(window) && r.left == 0 &&
           r.top == 0 && r.right == 500 && r.bottom == 500;
}

size_t HostsHolding() {
    size_t n = 0;
    for (auto* host : dlgDocument::Live())
        n += host->HeldForeignWindow() != nullptr;
    return n;
}

} // namespace

// The window stops answering while capture moves it: a window that will be moved in by the
// parent change, or one whose style change is what hangs (it is inside already then; an owned
// pop-up, which comes back to the desktop, not into its owner).
TEST(HungWindows, ACaptureThatMeetsAHangIsRefusedAndTheWindowComesBackWhole) {
    ContainerSession session;
    struct Case {
        const wchar_t* title;
        UINT hangOn;
        std::vector<std::wstring> extra;
    };
    for (const Case& c : {Case{L"Hangs when moved", WM_WINDOWPOSCHANGING, {}},
                          Case{L"Hangs when restyled",
                               WM_STYLECHANGING,
                               {L"--style", L"90CF0000", L"--owner", L"tool"}}}) {
        SCOPED_TRACE(testing::Message() << "hang on " << std::hex << c.hangOn);
        Fixture f(c.title, c.extra);
        ASSERT_TRUE(f.Whole());
        int tabs = ContainerForm->TabStrip1.Count();
        // Ended below once the refusal is checked; a capture that waited for the hang instead
        // says so, since the box that tells of the refusal is answered within its 20 s.
        HangFixtureOn(f.window, c.hangOn, 10000);

        BoxAnswerer box(L"Merilane", IDOK);
        EXPECT_LT(Timed([&] { CaptureWindow(f.window); }), kBound);
        EXPECT_TRUE(box.Answered());
        EXPECT_NE(box.Text().find(L"was not put in a tab"), std::wstring::npos) << box.Text();
        EXPECT_EQ(CapturedWindows->item(f.window), nullptr);
        EXPECT_EQ(ContainerForm->TabStrip1.Count(), tabs);
        EndFixtureHang(f.window);

        // Once it answers again it is back where it was, as it was, and no host is left over.
        ASSERT_TRUE(WaitUntil(
            [&] {
                return !FixtureHangs(f.window) && !IsOnItsWay(f.window) &&
                       ParentOf(f.window) == GetDesktopWindow() && !IsZoomed(f.window) &&
                       HostsHolding() == 0;
            },
            15000));
        EXPECT_TRUE(f.Whole());
        if (c.hangOn == WM_STYLECHANGING) {
            EXPECT_TRUE(StyleOf(f.window) & WS_POPUP);
            EXPECT_FALSE(StyleOf(f.window) & WS_CHILD);
        }
        // And it can be captured normally now.
        CaptureWindow(f.window);
        EXPECT_TRUE(IsDescendantOf(f.window, session.Container()));
        ReleaseWindow(f.window, CapturedWindows->item(f.window)->LastHwnd, kReleaseNormal, true);
    }
}

TEST(HungWindows, AReleaseThatMeetsAHangWaitsInTheTabAndEndsWhenTheWindowAnswers) {
    ContainerSession session;
    Fixture f(L"Hangs when released");
    CaptureWindow(f.window);
    HWND host = ParentOf(f.window);
    HangFixtureOn(f.window, WM_WINDOWPOSCHANGING, kHang);
    {
        BoxAnswerer box(L"Merilane", IDOK);
        EXPECT_LT(Timed([&] {
                      ReleaseWindow(f.window, CapturedWindows->item(f.window)->LastHwnd,
                                    kReleaseNormal, true);
                  }),
                  kBound);
        EXPECT_TRUE(box.Answered());
        EXPECT_NE(box.Text().find(L"stays in its tab"), std::wstring::npos) << box.Text();
    }
    ASSERT_NE(CapturedWindows->item(f.window), nullptr);
    EXPECT_TRUE(FixtureHangs(f.window));
    EXPECT_EQ(ParentOf(f.window), host);
    EXPECT_NE(Tabs->GetTabByHwnd(f.window), nullptr);
    EXPECT_TRUE(AnyWindowHeld());

    // Asking again changes nothing and says nothing more; so does activating its tab.
    {
        BoxAnswerer none(L"Merilane", IDOK, 1000);
        EXPECT_LT(Timed([&] {
                      ReleaseWindow(f.window, CapturedWindows->item(f.window)->LastHwnd,
                                    kReleaseNormal, true);
                      Tabs->ActivateTab(Tabs->GetTabByHwnd(f.window), true);
                  }),
                  kBound);
        Pump(300);
        EXPECT_FALSE(none.Answered());
    }
    EXPECT_TRUE(FixtureHangs(f.window));
    EndFixtureHang(f.window);

    ASSERT_TRUE(WaitUntil([&] { return Tabs->GetTabByHwnd(f.window) == nullptr; }, 15000));
    EXPECT_TRUE(WaitUntil([&] { return OnTheDesktopAgain(f.window); }, 5000));
    EXPECT_EQ(CapturedWindows->item(f.window), nullptr);
    EXPECT_FALSE(AnyWindowHeld());
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(host); }, 5000)) << "its host closes after it";
    EXPECT_TRUE(f.Whole());
}

// A popup window leaves its host and then hangs while its style is put back: it is told as
// it is, out already, and is whole once it answers.
TEST(HungWindows, AReleaseThatHangsOnceOutSaysTheWindowIsOut) {
    ContainerSession session;
    Fixture f(L"Hangs once out", {L"--style", L"90CF0000"});
    CaptureWindow(f.window);
    HangFixtureOn(f.window, WM_STYLECHANGING, 10000);
    {
        BoxAnswerer box(L"Merilane", IDOK);
        ReleaseWindow(f.window, CapturedWindows->item(f.window)->LastHwnd, kReleaseNormal, true);
        EXPECT_TRUE(box.Answered());
        EXPECT_NE(box.Text().find(L"is back on the desktop"), std::wstring::npos) << box.Text();
    }
    EXPECT_EQ(ParentOf(f.window), GetDesktopWindow());
    EndFixtureHang(f.window);
    ASSERT_TRUE(WaitUntil([&] { return Tabs->GetTabByHwnd(f.window) == nullptr; }, 15000));
    EXPECT_TRUE(WaitUntil([&] { return (StyleOf(f.window) & WS_POPUP) != 0; }, 5000));
    EXPECT_TRUE(f.Whole());
    EXPECT_FALSE(AnyWindowHeld());
}

TEST(HungWindows, ReleaseAllGivesTheOthersBackAtOnceAndTheHungOneWhenItAnswers) {
    ContainerSession session;
    Fixture first(L"Released first"), hung(L"Hangs in the middle"), last(L"Released last");
    for (HWND w : {first.window, hung.window, last.window})
        CaptureWindow(w);
    HangFixtureOn(hung.window, WM_WINDOWPOSCHANGING, kHang);
    BoxAnswerer box(L"Merilane", IDOK);
    EXPECT_LT(Timed([] { ReleaseAllWindows(false); }), kBound + 1000);
    EXPECT_TRUE(OnTheDesktopAgain(first.window) ||
                WaitUntil([&] { return OnTheDesktopAgain(first.window); }, 3000));
    EXPECT_TRUE(WaitUntil([&] { return OnTheDesktopAgain(last.window); }, 3000));
    // Still held: its tab waits for it (it may be half-way out already).
    EXPECT_TRUE(IsOnItsWay(hung.window));
    EXPECT_NE(Tabs->GetTabByHwnd(hung.window), nullptr);
    EXPECT_EQ(ContainerForm->TabStrip1.Count(), 1);
    EXPECT_TRUE(FixtureHangs(hung.window));
    EndFixtureHang(hung.window);

    ASSERT_TRUE(WaitUntil([&] { return ContainerForm->TabStrip1.Count() == 0; }, 15000));
    EXPECT_TRUE(WaitUntil([&] { return OnTheDesktopAgain(hung.window); }, 5000));
    for (auto* f : {&first, &hung, &last})
        EXPECT_TRUE(f->Whole());
}

TEST(HungWindows, TheContainerDoesNotCloseOverAWindowThatDoesNotAnswer) {
    ContainerSession session;
    Fixture f(L"Held while closing");
    CaptureWindow(f.window);
    HangFixtureOn(f.window, WM_WINDOWPOSCHANGING, kHang);
    HWND container = session.Container();
    {
        BoxAnswerer prompt(L"Merilane", IDOK);
        BoxAnswerer notice(L"Merilane", IDOK);
        EXPECT_LT(Timed([&] { SendMessageW(container, WM_CLOSE, 0, 0); }), kBound + 1000);
        ASSERT_TRUE(prompt.Answered() && notice.Answered());
        std::wstring both = prompt.Text() + L"|" + notice.Text();
        EXPECT_NE(both.find(L"Release all windows and close Merilane ?"), std::wstring::npos);
        EXPECT_NE(both.find(L"stays open"), std::wstring::npos) << both;
    }
    Pump(500);
    EXPECT_TRUE(IsWindow(container));
    EXPECT_EQ(ContainerForm->CloseTimerId, 0u);
    EXPECT_TRUE(IsDescendantOf(f.window, container));
    EXPECT_TRUE(ContainerForm->ContainerSubclass->Subclassing()) << "it stays as it was";
    EXPECT_TRUE(FixtureHangs(f.window));
    EndFixtureHang(f.window);

    // Once it has answered and gone, the container closes like any other time.
    ASSERT_TRUE(WaitUntil([&] { return OnTheDesktopAgain(f.window) && !AnyWindowHeld(); }, 15000));
    PostMessageW(container, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(container); }, 5000));
    EXPECT_TRUE(f.Whole());
}

TEST(HungWindows, AWindowThatDiesWhileItsReleaseWaitsLeavesNothingBehind) {
    ContainerSession session;
    int tabs = ContainerForm->TabStrip1.Count();
    Fixture f(L"Dies while waiting");
    CaptureWindow(f.window);
    HangFixtureOn(f.window, WM_WINDOWPOSCHANGING, 0);
    {
        BoxAnswerer box(L"Merilane", IDOK);
        ReleaseWindow(f.window, CapturedWindows->item(f.window)->LastHwnd, kReleaseNormal, true);
        EXPECT_TRUE(box.Answered());
    }
    ASSERT_TRUE(IsOnItsWay(f.window));
    f.process.Kill();
    EXPECT_TRUE(WaitUntil(
        [&] {
            return ContainerForm->TabStrip1.Count() == tabs && !AnyWindowHeld() &&
                   !IsOnItsWay(f.window) && ForeignCallsInFlight() == 0;
        },
        10000));
    EXPECT_EQ(CapturedWindows->item(f.window), nullptr);
    EXPECT_NE(Tabs->GetActiveTab(), nullptr);
}

// Session end is sent, so it arrives inside a command's bounded waits: here a capture that
// waits on a window that stops answering. It must not release windows under the capture, and
// no window may stay inside once the session is told it ends.
TEST(HungWindows, SessionEndDuringACaptureThatWaitsNeitherCutsInNorLosesAWindow) {
    ContainerSession session;
    Fixture held(L"Held when the session ends"), hung(L"Hangs when the session ends");
    CaptureWindow(held.window);
    ASSERT_TRUE(IsDescendantOf(held.window, session.Container()));
    for (UINT message : {WM_QUERYENDSESSION, WM_ENDSESSION}) {
        SCOPED_TRACE(message == WM_ENDSESSION ? "WM_ENDSESSION" : "WM_QUERYENDSESSION");
        HangFixtureOn(hung.window, WM_WINDOWPOSCHANGING, kHang);
        std::atomic<bool> sent{false}, heldOutWhenAnswered{false}, done{false};
        LRESULT answer = -1;
        std::thread system([&] {
            DWORD start = GetTickCount();
            while (!FixtureHangs(hung.window) && GetTickCount() - start < 5000)
                Sleep(5);
            DWORD_PTR result = 0;
            SendMessageTimeoutW(session.Container(), message, TRUE, ENDSESSION_CLOSEAPP,
                                SMTO_NORMAL, 10000, &result);
            answer = static_cast<LRESULT>(result);
            heldOutWhenAnswered = ParentOf(held.window) == GetDesktopWindow();
            sent = true;
            // Whatever the command says (the refused capture does) is answered till it ends.
            for (DWORD at = GetTickCount(); !done && GetTickCount() - at < 20000;) {
                BoxAnswerer box(L"Merilane", IDOK, 250);
                Sleep(250);
            }
        });
        int tabsBefore = ContainerForm->TabStrip1.Count(), tabsAfter = -1;
        RunCommand([&] {
            CaptureWindow(hung.window);
            tabsAfter = ContainerForm->TabStrip1.Count();
        });
        done = true;
        system.join();
        ASSERT_TRUE(sent);
        EXPECT_EQ(tabsAfter, tabsBefore) << "nothing was released under the capture";
        if (message == WM_QUERYENDSESSION) {
            EXPECT_EQ(answer, FALSE) << "the session waits for the command";
            EXPECT_TRUE(IsDescendantOf(held.window, session.Container()));
        } else {
            EXPECT_TRUE(heldOutWhenAnswered) << "out before the session may end";
        }
        EndFixtureHang(hung.window);
        ASSERT_TRUE(WaitUntil(
            [&] {
                return !FixtureHangs(hung.window) && !IsOnItsWay(hung.window) &&
                       ParentOf(hung.window) == GetDesktopWindow() && !IsZoomed(hung.window);
            },
            15000))
            << "hangs " << FixtureHangs(hung.window) << ", on its way " << IsOnItsWay(hung.window)
            << ", on the desktop " << (ParentOf(hung.window) == GetDesktopWindow())
            << ", maximised " << IsZoomed(hung.window);
        EXPECT_TRUE(hung.Whole() && held.Whole());
    }
    EXPECT_TRUE(WaitUntil([&] { return HostsHolding() == 0 && !AnyWindowHeld(); }, 5000));
    EXPECT_EQ(ParentOf(held.window), GetDesktopWindow());
}

TEST(HungWindows, TheLastResortGiveBackRestoresTheSystemMenuWithItsIds) {
    ContainerSession session;
    ThreadWindow window({L"Given back after a failure"});
    HMENU menu = GetSystemMenu(window.Hwnd(), FALSE);
    ASSERT_NE(menu, nullptr);
    CaptureWindow(window.Hwnd());
    for (UINT command : kCapturedMenuCommands)
        ASSERT_EQ(GetMenuState(menu, command, MF_BYCOMMAND), 0xFFFFFFFFu) << "greyed, id marked";
    GiveBackAllWindows();
    EXPECT_TRUE(WaitUntil([&] { return ParentOf(window.Hwnd()) == GetDesktopWindow(); }, 5000));
    for (UINT command : kCapturedMenuCommands) {
        UINT state = GetMenuState(menu, command, MF_BYCOMMAND);
        ASSERT_NE(state, 0xFFFFFFFFu) << std::hex << command;
        EXPECT_FALSE(state & MF_GRAYED) << std::hex << command;
    }
    EXPECT_EQ(HostsHolding(), 0u);
}

TEST(Commands, OneThatArrivesDuringAnotherRunsAfterItInOrder) {
    ContainerSession session;
    std::vector<int> ran;
    RunCommand([&] {
        RunCommand([&] { ran.push_back(2); });
        RunCommand([&] { ran.push_back(3); });
        EXPECT_TRUE(CommandRunning());
        Pump(100); // a message-pump pass inside a command runs none of them
        ran.push_back(1);
    });
    EXPECT_EQ(CommandsWaiting(), 2);
    EXPECT_TRUE(WaitUntil([&] { return ran.size() == 3; }, 3000));
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(CommandRunning());
}
