#include "ChildProcess.h"
#include "ContainerSession.h"
#include "TestSupport.h"
#include "ThreadWindow.h"
#include "app/Globals.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "controls/CTimer.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "tabs/dlgDocument.h"
#include "app/frmIntro.h"
#include "window/CaptureRecord.h"
#include "window/MMouse.h"
#include "window/MTermProc.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <memory>

using namespace merilane;
using namespace merilane::test;

namespace {

// A tab strip that will not take another tab.
LRESULT CALLBACK RefuseNewTabs(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == TCM_INSERTITEMW)
        return -1;
    return DefSubclassProc(hwnd, msg, wp, lp);
}

HWND WINAPI RefusingSetParent(HWND, HWND) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}

// Selects in the open picker the rows of the windows, then runs `beforeOk` and presses OK.
struct PickerHand {
    std::vector<HWND> pick;
    std::function<void()> beforeOk;
    bool done = false;
    void Run() {
        CTimer hand(50, [this] {
            HWND picker = FindWindowW(L"MerilaneTaskList", L"Select a window");
            if (done || !picker || !IsWindowVisible(picker))
                return;
            HWND list = FindWindowExW(picker, nullptr, WC_LISTVIEWW, nullptr);
            for (HWND w : pick) {
                std::wstring decimal =
                    std::to_wstring(static_cast<int32_t>(reinterpret_cast<intptr_t>(w)));
                for (int row = 0; row < ListView_GetItemCount(list); ++row) {
                    wchar_t text[32] = {};
                    ListView_GetItemText(list, row, 2, text, 32);
                    if (decimal == text)
                        ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
                }
            }
            done = true;
            if (beforeOk)
                beforeOk();
            PostMessageW(picker, WM_COMMAND, IDOK, 0);
        });
        hand.SetEnabled(true);
        ShowCaptureWindowForm();
    }
};

size_t Hosts() {
    return dlgDocument::Live().size();
}

} // namespace

TEST(Refusals, TheProgramsOwnWindowsTheShellAndTheDeadAreNamedAsSuch) {
    ContainerSession session;
    EXPECT_EQ(RefusalOf(session.Container()), CaptureRefusal::OwnWindow);
    EXPECT_EQ(RefusalOf(session.Picture()), CaptureRefusal::OwnWindow);
    EXPECT_EQ(RefusalOf(ContainerForm->IntroForm->ExistingHwnd()), CaptureRefusal::None)
        << "the intro screen is the own window that lives in a tab";
    EXPECT_EQ(RefusalOf(GetDesktopWindow()), CaptureRefusal::Shell);
    if (HWND shell = GetShellWindow()) {
        EXPECT_EQ(RefusalOf(shell), CaptureRefusal::Shell);
    }
    ThreadWindow other({L"Another thread's window"});
    EXPECT_EQ(RefusalOf(other.Hwnd()), CaptureRefusal::None);
    HWND gone;
    {
        auto fixture = ChildProcess::Fixture({L"--title", L"Soon gone"});
        gone = fixture.WaitForWindow(L"Soon gone");
        ASSERT_NE(gone, nullptr);
        EXPECT_EQ(RefusalOf(gone), CaptureRefusal::None);
    }
    EXPECT_EQ(RefusalOf(gone), CaptureRefusal::Gone);
    EXPECT_FALSE(RunsWithMoreRights(GetCurrentProcessId()));
}

TEST(Refusals, APickedWindowThatDiedIsNamedAndTheOthersAreTakenAll) {
    ContainerSession session;
    auto stays = ChildProcess::Fixture({L"--title", L"Picked and taken"});
    auto dies =
        std::make_unique<ChildProcess>(ChildProcess::Fixture({L"--title", L"Picked, then closed"}));
    HWND kept = stays.WaitForWindow(L"Picked and taken");
    HWND lost = dies->WaitForWindow(L"Picked, then closed");
    ASSERT_TRUE(kept && lost);
    BoxAnswerer box(L"Merilane", IDOK);
    PickerHand hand{{lost, kept}, [&] { dies->Kill(); }};
    hand.Run();
    EXPECT_TRUE(box.Answered());
    EXPECT_EQ(box.Text(), L"\"Picked, then closed\" was not put in a tab: it was closed before "
                          L"Merilane could take it.");
    EXPECT_NE(Tabs->GetTabByHwnd(kept), nullptr);
    EXPECT_TRUE(IsDescendantOf(kept, session.Container()));
    EXPECT_EQ(CapturedWindows->Count(), 2) << "the intro screen and the one that was taken";
}

TEST(Refusals, AWindowTheSystemWillNotReparentStaysWhereItWas) {
    ContainerSession session;
    auto fixture = ChildProcess::Fixture({L"--title", L"Kept out by the system", L"--edit"});
    HWND hwnd = fixture.WaitForWindow(L"Kept out by the system");
    ASSERT_NE(hwnd, nullptr);
    int tabs = ContainerForm->TabStrip1.Count();
    size_t hosts = Hosts();
    CWindow::SetParentSetter(RefusingSetParent);
    {
        BoxAnswerer box(L"Merilane", IDOK);
        CaptureWindow(hwnd);
        EXPECT_TRUE(box.Answered());
        EXPECT_EQ(box.Text(), L"\"Kept out by the system\" was not put in a tab: Windows would "
                              L"not let Merilane take it in; its program may run with more "
                              L"rights than Merilane.");
    }
    CWindow::SetParentSetter(nullptr);
    EXPECT_EQ(ParentOf(hwnd), GetDesktopWindow());
    EXPECT_FALSE(StyleOf(hwnd) & WS_CHILD);
    EXPECT_EQ(ContainerForm->TabStrip1.Count(), tabs);
    EXPECT_EQ(CapturedWindows->item(hwnd), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return Hosts() == hosts; }, 3000)) << "its host form is gone";
    EXPECT_EQ(HeldWindows::Count(), 0);

    // A tab strip that fails to take the tab: the window is left exactly as it was, nothing
    // counts it as held, and closing is not refused on its account.
    RECT before{};
    GetWindowRect(hwnd, &before);
    HWND strip = ContainerForm->TabStrip1.hWnd();
    ASSERT_TRUE(SetWindowSubclass(strip, RefuseNewTabs, 1, 0));
    {
        BoxAnswerer box(L"Merilane", IDOK);
        CaptureWindow(hwnd);
        EXPECT_EQ(box.Text(), L"\"Kept out by the system\" was not put in a tab: Merilane could "
                              L"not make a tab for it.");
    }
    RemoveWindowSubclass(strip, RefuseNewTabs, 1);
    EXPECT_TRUE(WaitUntil(
        [&] {
            RECT after{};
            GetWindowRect(hwnd, &after);
            return EqualRect(&before, &after) && !IsZoomed(hwnd);
        },
        3000))
        << "where it was, as big as it was";
    EXPECT_EQ(ParentOf(hwnd), GetDesktopWindow());
    EXPECT_EQ(CapturedWindows->item(hwnd), nullptr);
    EXPECT_EQ(ContainerForm->TabStrip1.Count(), tabs);
    EXPECT_EQ(HeldWindows::Count(), 0);
    EXPECT_FALSE(AnyWindowHeld());

    // The system lets it in again: it is captured as any other, on record while it is held.
    CaptureWindow(hwnd);
    EXPECT_TRUE(IsDescendantOf(hwnd, session.Container()));
    CaptureRecord record;
    ASSERT_TRUE(HeldWindows::Find(hwnd, record));
    EXPECT_EQ(record.host, GetAncestor(hwnd, GA_PARENT));
    EXPECT_TRUE(record.style & WS_VISIBLE);
    EXPECT_FALSE(record.style & WS_CHILD);
    ReleaseWindow(hwnd, CapturedWindows->item(hwnd)->LastHwnd, kReleaseNormal, true);
    EXPECT_FALSE(HeldWindows::Find(hwnd, record));

    // An owned pop-up is refused at the drop as at the picker; and its record, which the last
    // rescue would give it back by, names the desktop as its parent, not its owner.
    auto owned = ChildProcess::Fixture(
        {L"--title", L"Owned pop-up", L"--style", L"80CC0000", L"--owner", L"tool"});
    HWND popup = owned.WaitForWindow(L"Owned pop-up");
    ASSERT_NE(popup, nullptr);
    DragInFacts dragged{popup};
    EXPECT_FALSE(ContainerForm->DragInTarget(dragged));
    dragged.moving = hwnd;
    EXPECT_TRUE(ContainerForm->DragInTarget(dragged));
    CWindow loaded;
    loaded.Load(popup);
    EXPECT_EQ(loaded.Record().previousParent, nullptr);
}
