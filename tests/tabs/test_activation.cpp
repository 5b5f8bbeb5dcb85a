#include "ChildProcess.h"
#include "ContainerSession.h"
#include "TestSupport.h"
#include "app/Globals.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "controls/CTimer.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "window/CWindow.h"
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace merilane;
using namespace merilane::test;

namespace {

// The intro tab and three fixture windows, each tab captioned after its window.
class Navigation : public testing::Test {
  protected:
    void SetUp() override {
        for (int i = 1; i <= 3; ++i) {
            std::wstring title = L"Navigable " + std::to_wstring(i);
            fixtures.push_back(
                std::make_unique<ChildProcess>(ChildProcess::Fixture({L"--title", title})));
            HWND hwnd = fixtures.back()->WaitForWindow(title);
            ASSERT_NE(hwnd, nullptr);
            windows.push_back(hwnd);
            CaptureWindow(hwnd);
            Tabs->ChangeTabCaption(Tabs->GetTabByHwnd(hwnd), L"Tab " + title);
        }
        ASSERT_EQ(Strip().Count(), 4);
    }

    CTabStrip& Strip() { return ContainerForm->TabStrip1; }
    int Active() { return Tabs->GetActiveTab() ? Tabs->GetActiveTab()->Index() : 0; }
    // As the container does: the "Cycle tabbing" mark decides.
    void Cycling(bool on) { ContainerForm->Menu.SetChecked(L"roundRobin", on); }
    void Next() { Tabs->ActivateNextTab(ContainerForm->Cycling()); }
    void Previous() { Tabs->ActivatePreviousTab(ContainerForm->Cycling()); }

    // What must hold after any activation.
    void ExpectConsistent() {
        TabPtr tab = Tabs->GetActiveTab();
        ASSERT_NE(tab, nullptr);
        int visible = 0;
        HWND shown = nullptr;
        for (auto& w : CapturedWindows->NewEnum())
            if (GetWindowLongW(w->LocalHwnd, GWL_STYLE) & WS_VISIBLE) {
                ++visible;
                shown = w->hWnd;
            }
        EXPECT_EQ(visible, 1);
        EXPECT_EQ(shown, tab->Tag());
        EXPECT_EQ(WindowText(session.Container()), tab->Caption());
    }

    ContainerSession session;
    std::vector<std::unique_ptr<ChildProcess>> fixtures;
    std::vector<HWND> windows;
};

} // namespace

TEST_F(Navigation, NextStopsAtTheLastTabUnlessCycling) {
    EXPECT_EQ(Active(), 4);
    Cycling(false);
    Next();
    EXPECT_EQ(Active(), 4);
    Cycling(true);
    Next();
    EXPECT_EQ(Active(), 1);
    ExpectConsistent();
    Next();
    EXPECT_EQ(Active(), 2);
    ExpectConsistent();
}

TEST_F(Navigation, PreviousStopsAtTheFirstTabUnlessCycling) {
    Tabs->ActivateTabByIndex(1);
    ASSERT_EQ(Active(), 1);
    Cycling(false);
    Previous();
    EXPECT_EQ(Active(), 1);
    Cycling(true);
    Previous();
    EXPECT_EQ(Active(), 4);
    ExpectConsistent();
    Previous();
    EXPECT_EQ(Active(), 3);
    ExpectConsistent();
}

TEST_F(Navigation, PositionsOutsideTheStripDoNothing) {
    Tabs->ActivateTabByIndex(2);
    ASSERT_EQ(Active(), 2);
    ExpectConsistent();
    for (long index : {0L, -1L, 5L, 99L}) {
        Tabs->ActivateTabByIndex(index);
        EXPECT_EQ(Active(), 2) << index;
    }
    ExpectConsistent();
}

TEST_F(Navigation, ASingleTabCyclesOntoItselfAndNoTabsIsNotAnError) {
    for (HWND hwnd : windows)
        ReleaseWindow(hwnd, CapturedWindows->item(hwnd)->LastHwnd, kReleaseNormal, true);
    ASSERT_EQ(Strip().Count(), 1);
    Cycling(true);
    Next();
    EXPECT_EQ(Active(), 1);
    Previous();
    EXPECT_EQ(Active(), 1);
    ExpectConsistent();

    Strip().Clear();
    EXPECT_NO_THROW(Next());
    EXPECT_NO_THROW(Previous());
    EXPECT_NO_THROW(Tabs->ActivateTabByIndex(1));
    EXPECT_EQ(Tabs->GetActiveTab(), nullptr);
}

TEST_F(Navigation, ActivationMaximisesAgainAWindowItsProgramRestored) {
    HWND second = windows[1];
    ShowWindow(second, SW_RESTORE);
    ASSERT_TRUE(WaitUntil([&] { return !IsZoomed(second); }, 5000));
    Tabs->ActivateTab(Tabs->GetTabByHwnd(second), true);
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(second) != FALSE; }, 5000));
    EXPECT_EQ(Active(), 3);
    ExpectConsistent();
    EXPECT_EQ(WindowText(session.Container()), L"Tab Navigable 2");
}

TEST_F(Navigation, WithoutSelectTheWindowShowsButTheSelectionStays) {
    TabPtr selected = Tabs->GetActiveTab();
    TabPtr other = Tabs->GetTabByHwnd(windows[0]);
    Tabs->ActivateTab(other, false);
    EXPECT_EQ(Tabs->GetActiveTab(), selected);
    auto shown = CapturedWindows->item(windows[0]);
    EXPECT_TRUE(GetWindowLongW(shown->LocalHwnd, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(WindowText(session.Container()), other->Caption());
}

TEST_F(Navigation, AnActivationAskedForFromInsideAnotherOneWinsCleanly) {
    TabPtr first = Tabs->GetTabByHwnd(windows[0]);
    TabPtr third = Tabs->GetTabByHwnd(windows[2]);
    bool fired = false;
    // Ticks inside the message-pump passes of the activation below, as a timer or a click would.
    CTimer interloper(1, [&] {
        if (!fired) {
            fired = true;
            Tabs->ActivateTab(first, true);
        }
    });
    interloper.SetEnabled(true);
    Sleep(30); // due by the time the activation below lets messages through
    Tabs->ActivateTab(third, true);
    interloper.SetEnabled(false);
    ASSERT_TRUE(fired);
    EXPECT_EQ(Tabs->GetActiveTab(), first);
    ExpectConsistent();
}

TEST_F(Navigation, TheContainerTakesTheTabIconOnlyWhenAskedTo) {
    HWND container = session.Container();
    auto askBig = [&] {
        DWORD_PTR icon = 0;
        SendMessageTimeoutW(container, WM_GETICON, ICON_BIG, 0, SMTO_ABORTIFHUNG, 1000, &icon);
        return reinterpret_cast<HICON>(icon);
    };
    HICON before = askBig();
    Tabs->ActivateTabByIndex(2);
    EXPECT_EQ(askBig(), before);
    ContainerForm->Menu.SetChecked(L"alttab_useActiveTabIcon", true);
    Tabs->ActivateTabByIndex(3);
    EXPECT_EQ(askBig(), CapturedWindows->item(windows[1])->BigIconHandle());
    ContainerForm->Menu.SetChecked(L"alttab_useActiveTabIcon", false);
    Tabs->ActivateTabByIndex(4);
    EXPECT_EQ(askBig(), CapturedWindows->item(windows[1])->BigIconHandle());
}
