#include "ChildProcess.h"
#include "ContainerSession.h"
#include "TestSupport.h"
#include "ThreadWindow.h"
#include "app/Globals.h"
#include "app/frmIntro.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "controls/Error.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "window/CWindow.h"
#include <commctrl.h>
#include <gtest/gtest.h>

using namespace merilane;
using namespace merilane::test;

namespace {

bool Greyed(HMENU menu, UINT command) {
    UINT state = GetMenuState(menu, command, MF_BYCOMMAND);
    if (state == 0xFFFFFFFFu) // a greyed item carries its id with bit 15 cleared
        state = GetMenuState(menu, command & 0x7FFF, MF_BYCOMMAND);
    return state != 0xFFFFFFFFu && (state & MF_GRAYED);
}

bool Present(HMENU menu, UINT command) {
    return GetMenuState(menu, command, MF_BYCOMMAND) != 0xFFFFFFFFu;
}

// Answers the input box from inside its modal loop.
struct CaptionAnswer {
    std::wstring typed;
    int button;
    std::wstring prompt;
    static inline CaptionAnswer* current = nullptr;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        HWND box = FindWindowW(L"MerilaneInputBox", L"Change caption");
        if (!box || !IsWindowVisible(box))
            return;
        KillTimer(nullptr, id);
        current->prompt = WindowText(GetDlgItem(box, 100));
        SetWindowTextW(GetDlgItem(box, 101), current->typed.c_str());
        SendMessageW(box, WM_COMMAND, current->button, 0);
    }
    void Run() {
        current = this;
        SetTimer(nullptr, 0, 50, Tick);
        ChangeActiveCaption();
        current = nullptr;
    }
};

} // namespace

TEST(Capture, GreysTheFiveMoveAndSizeCommandsUntilRelease) {
    ContainerSession session;
    ThreadWindow window({L"Menu owner"});
    HMENU menu = GetSystemMenu(window.Hwnd(), FALSE);
    ASSERT_NE(menu, nullptr);
    CaptureWindow(window.Hwnd());
    for (UINT command : kCapturedMenuCommands)
        EXPECT_TRUE(Greyed(menu, command)) << std::hex << command;
    EXPECT_TRUE(Present(menu, SC_CLOSE));
    EXPECT_FALSE(Greyed(menu, SC_CLOSE));

    ReleaseWindow(window.Hwnd(), CapturedWindows->item(window.Hwnd())->LastHwnd, kReleaseNormal,
                  true);
    for (UINT command : kCapturedMenuCommands) {
        EXPECT_TRUE(Present(menu, command)) << std::hex << command;
        EXPECT_FALSE(Greyed(menu, command)) << std::hex << command;
    }
}

TEST(Capture, TwiceOrOfAVanishingWindowLeavesNoOrphans) {
    ContainerSession session;
    int tabs = ContainerForm->TabStrip1.Count();
    int entries = CapturedWindows->Count();
    auto fixture = CaptureFixture(L"Captured twice");
    HWND hwnd = fixture.hwnd;
    EXPECT_THROW(CaptureWindow(hwnd), Error);
    EXPECT_EQ(ContainerForm->TabStrip1.Count(), tabs + 1);
    EXPECT_EQ(CapturedWindows->Count(), entries + 1);

    HWND dead;
    {
        auto gone = ChildProcess::Fixture({L"--title", L"Gone before capture"});
        dead = gone.WaitForWindow(L"Gone before capture");
        ASSERT_NE(dead, nullptr);
    }
    {
        BoxAnswerer box(L"Merilane", IDOK);
        EXPECT_NO_THROW(CaptureWindow(dead));
        EXPECT_TRUE(box.Answered());
        EXPECT_NE(box.Text().find(L"was not put in a tab: it was closed before"),
                  std::wstring::npos)
            << box.Text();
    }
    EXPECT_EQ(ContainerForm->TabStrip1.Count(), tabs + 1);
    EXPECT_EQ(CapturedWindows->Count(), entries + 1);
    EXPECT_EQ(Tabs->GetTabByHwnd(dead), nullptr);

    // Released after its program has gone: the tab and entry go, nothing fails.
    fixture.Kill();
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(hwnd); }));
    EXPECT_NO_THROW(ReleaseWindow(hwnd, nullptr, kReleaseNormal, true));
    EXPECT_EQ(ContainerForm->TabStrip1.Count(), tabs);
    EXPECT_EQ(CapturedWindows->Count(), entries);
    EXPECT_NE(Tabs->GetActiveTab(), nullptr);
}

TEST(Release, BackToTheFormerParentInTheRequestedState) {
    ContainerSession session;
    auto fixture = CaptureFixture(L"Released maximised");
    HWND hwnd = fixture.hwnd;
    TabPtr kept =
        ReleaseWindow(hwnd, CapturedWindows->item(hwnd)->LastHwnd, kReleaseMaximised, false);
    EXPECT_EQ(ParentOf(hwnd), GetDesktopWindow());
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(hwnd) != FALSE; }, 5000));
    ASSERT_NE(kept, nullptr) << "without removing the tab, the tab is handed back";
    EXPECT_EQ(Tabs->GetTabByHwnd(hwnd), nullptr);
    EXPECT_EQ(CapturedWindows->item(hwnd), nullptr);
}

TEST(ReleaseAll, ClosesOnlyTheIntroScreenAndGivesTheRestBack) {
    ContainerSession session;
    auto a = ChildProcess::Fixture({L"--title", L"Back A"});
    auto b = ChildProcess::Fixture({L"--title", L"Main menu"}); // a stranger with the intro's title
    HWND ha = a.WaitForWindow(L"Back A"), hb = b.WaitForWindow(L"Main menu");
    ASSERT_TRUE(ha && hb);
    HWND intro = ContainerForm->IntroForm->ExistingHwnd();
    CaptureWindow(ha);
    CaptureWindow(hb);
    ReleaseAllWindows(false);
    Pump(200);
    EXPECT_EQ(ContainerForm->TabStrip1.Count(), 0);
    EXPECT_EQ(CapturedWindows->Count(), 0);
    EXPECT_FALSE(IsWindow(intro));
    EXPECT_EQ(ParentOf(ha), GetDesktopWindow());
    // Another program's window that carries the intro screen's title is released, not closed.
    EXPECT_EQ(ParentOf(hb), GetDesktopWindow());
    EXPECT_TRUE(b.Running());
}

TEST(Caption, TheActiveCaptionPatternIsAskedForAndKeptAsTyped) {
    ContainerSession session;
    auto fixture = CaptureFixture(L"Pattern target");
    HWND hwnd = fixture.hwnd;
    auto window = CapturedWindows->item(hwnd);

    CaptionAnswer suffix{L"%t (held) ", IDOK};
    suffix.Run();
    EXPECT_EQ(suffix.prompt, L"Pattern target\r\n\r\n%t is the active caption");
    EXPECT_EQ(window->Caption, L"%t (held) ");
    EXPECT_EQ(window->ReplacedCaption(), L"Pattern target (held) ");

    CaptionAnswer blanks{L"   ", IDOK};
    blanks.Run();
    EXPECT_EQ(window->Caption, L"%t (held) ");
    CaptionAnswer cancelled{L"ignored", IDCANCEL};
    cancelled.Run();
    EXPECT_EQ(window->Caption, L"%t (held) ");
    CaptionAnswer fixed{L"Fixed words", IDOK};
    fixed.Run();
    EXPECT_EQ(window->ReplacedCaption(), L"Fixed words");
}

TEST(Session, EndingTheSessionGivesEveryWindowBackFirst) {
    ContainerSession session;
    auto fixture = CaptureFixture(L"Asked to save");
    HWND hwnd = fixture.hwnd;
    ASSERT_TRUE(IsDescendantOf(hwnd, session.Container()));
    EXPECT_TRUE(SendMessageW(session.Container(), WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(ParentOf(hwnd), GetDesktopWindow());
    EXPECT_EQ(CapturedWindows->Count(), 0);
}

TEST(OwnWindows, TheContainerCountsOnlyWhenAskedTo) {
    ContainerSession session;
    EXPECT_FALSE(IsOwnWindow(session.Container(), false));
    EXPECT_TRUE(IsOwnWindow(session.Container(), true));
    HWND intro = ContainerForm->IntroForm->ExistingHwnd();
    EXPECT_TRUE(IsOwnWindow(intro, false));
    EXPECT_EQ(GetTopLevelWindow(session.Picture()), session.Container());
    EXPECT_EQ(GetTopLevelWindow(session.Container()), session.Container());
}

namespace {
struct PickerWatch {
    HWND container = nullptr;
    bool containerDisabled = false;
    HWND owner = nullptr;
    static inline PickerWatch* current = nullptr;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        HWND picker = FindWindowW(L"MerilaneTaskList", L"Select a window");
        if (!current || !picker || !IsWindowVisible(picker))
            return;
        KillTimer(nullptr, id);
        current->containerDisabled = !IsWindowEnabled(current->container);
        current->owner = GetWindow(picker, GW_OWNER);
        PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
    }
};
} // namespace

TEST(Container, ThePickerIsModalToTheContainerAndATabClickShowsItsWindow) {
    ContainerSession session;
    auto a = ChildProcess::Fixture({L"--title", L"Clicked A"});
    auto b = ChildProcess::Fixture({L"--title", L"Clicked B"});
    HWND ha = a.WaitForWindow(L"Clicked A"), hb = b.WaitForWindow(L"Clicked B");
    ASSERT_TRUE(ha && hb);
    CaptureWindow(ha);
    CaptureWindow(hb);
    Tabs->ChangeTabCaption(Tabs->GetTabByHwnd(ha), L"Tab of A");
    Tabs->ChangeTabCaption(Tabs->GetTabByHwnd(hb), L"Tab of B");

    PickerWatch watch{session.Container()};
    PickerWatch::current = &watch;
    SetTimer(nullptr, 0, 50, PickerWatch::Tick);
    EXPECT_FALSE(ShowCaptureWindowForm());
    PickerWatch::current = nullptr;
    EXPECT_TRUE(watch.containerDisabled);
    EXPECT_EQ(watch.owner, session.Container());
    EXPECT_TRUE(IsWindowEnabled(session.Container()));

    // A click on A's tab, as the mouse gives it to the tab strip.
    HWND strip = session.TabStrip();
    int at = Tabs->GetTabIndexByHwnd(ha) - 1;
    RECT r{};
    SendMessageW(strip, TCM_GETITEMRECT, at, reinterpret_cast<LPARAM>(&r));
    LPARAM point = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(strip, WM_LBUTTONUP, 0, point);
    auto shown = [](HWND w) {
        return (StyleOf(CapturedWindows->item(w)->LocalHwnd) & WS_VISIBLE) != 0;
    };
    EXPECT_TRUE(WaitUntil([&] { return shown(ha) && !shown(hb); }, 5000));
    EXPECT_EQ(Tabs->GetActiveTab(), Tabs->GetTabByHwnd(ha));
    EXPECT_EQ(WindowText(session.Container()), L"Tab of A");
}
