#include "ChildProcess.h"
#include "ContainerSession.h"
#include "TestSupport.h"
#include "app/Globals.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "tabs/dlgDocument.h"
#include "window/CWindow.h"
#include "controls/Handles.h"
#include <gtest/gtest.h>

using namespace merilane;
using namespace merilane::test;

namespace {

std::shared_ptr<CWindow> Capture(HWND hwnd) {
    auto window = CapturedWindows->create(hwnd);
    Tabs->AddTab(window);
    return window;
}

int VisibleHostForms(HWND picture) {
    int n = 0;
    for (HWND child = GetWindow(picture, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (StyleOf(child) & WS_VISIBLE)
            ++n;
    return n;
}

} // namespace

TEST(TabSet, AddTabHostsTheWindowMaximisedWithItsCaptionBarOutOfSight) {
    ContainerSession session;
    auto fixture = ChildProcess::Fixture({L"--title", L"Captured plain", L"--edit"});
    HWND hwnd = fixture.WaitForWindow(L"Captured plain");
    ASSERT_NE(hwnd, nullptr);
    int tabsBefore = ContainerForm->TabStrip1.Count();

    auto window = Capture(hwnd);

    HWND host = window->LocalHwnd;
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(ParentOf(hwnd), host);
    EXPECT_EQ(ParentOf(host), session.Picture());
    EXPECT_TRUE(IsDescendantOf(hwnd, session.Container()));
    EXPECT_TRUE(StyleOf(host) & WS_CHILD);
    EXPECT_EQ(window->GetWindowState(), static_cast<UINT>(SW_SHOWMAXIMIZED));

    RECT r = RectInParent(hwnd);
    EXPECT_EQ(r.left, -2);
    EXPECT_EQ(r.top, -CWindow::CaptionHeight() - 1);
    RECT hostRect;
    GetWindowRect(host, &hostRect);
    EXPECT_EQ(r.right - r.left, hostRect.right - hostRect.left);
    EXPECT_EQ(r.bottom - r.top, hostRect.bottom - hostRect.top - dlgDocument::kHeightCut);

    // The new tab is the last one, selected, tagged with the handle, and has no caption yet.
    ASSERT_EQ(ContainerForm->TabStrip1.Count(), tabsBefore + 1);
    TabPtr tab = Tabs->GetActiveTab();
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->Index(), ContainerForm->TabStrip1.Count());
    EXPECT_EQ(tab->Tag(), hwnd);
    EXPECT_TRUE(tab->Caption().empty());
    EXPECT_EQ(Tabs->GetTabByHwnd(hwnd), tab);
    EXPECT_EQ(Tabs->GetActiveChildWindow(), window);
    EXPECT_EQ(Tabs->GetChildWindowObjectByHwnd(hwnd), window);
    EXPECT_EQ(VisibleHostForms(session.Picture()), 1);
    EXPECT_TRUE(StyleOf(host) & WS_VISIBLE);
}

TEST(TabSet, PopupBecomesChildAndEachNewTabShowsOnlyItsOwnHost) {
    ContainerSession session;
    auto one = ChildProcess::Fixture({L"--title", L"Popup one", L"--style", L"90C80000"});
    auto two = ChildProcess::Fixture({L"--title", L"Window two"});
    HWND h1 = one.WaitForWindow(L"Popup one"), h2 = two.WaitForWindow(L"Window two");
    ASSERT_TRUE(h1 && h2);

    auto w1 = Capture(h1);
    EXPECT_TRUE(StyleOf(h1) & WS_CHILD);
    EXPECT_FALSE(StyleOf(h1) & WS_POPUP);
    auto w2 = Capture(h2);

    EXPECT_EQ(VisibleHostForms(session.Picture()), 1);
    EXPECT_TRUE(StyleOf(w2->LocalHwnd) & WS_VISIBLE);
    EXPECT_FALSE(StyleOf(w1->LocalHwnd) & WS_VISIBLE);
    EXPECT_EQ(Tabs->GetTabIndexByHwnd(h2), ContainerForm->TabStrip1.Count());
    EXPECT_EQ(Tabs->GetTabIndexByHwnd(h1), ContainerForm->TabStrip1.Count() - 1);

    // Releasing the pop-up puts it back on the desktop as a pop-up.
    ReleaseWindow(h1, w1->LastHwnd, kReleaseNormal, true);
    EXPECT_EQ(ParentOf(h1), GetDesktopWindow());
    EXPECT_TRUE(StyleOf(h1) & WS_POPUP);
    EXPECT_FALSE(StyleOf(h1) & WS_CHILD);
    EXPECT_EQ(Tabs->GetTabIndexByHwnd(h1), 0);
    EXPECT_EQ(CapturedWindows->item(h1), nullptr);
}

TEST(TabSet, CaptionLengthRuleAndLookupsOfUnknownHandles) {
    ContainerSession session;
    TabPtr tab = Tabs->GetActiveTab();
    ASSERT_NE(tab, nullptr);
    const std::wstring exactly25(25, L'q');
    Tabs->ChangeTabCaption(tab, exactly25);
    EXPECT_EQ(tab->Caption(), exactly25);
    Tabs->ChangeTabCaption(tab, L"abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(tab->Caption(), L"abcdefghijklmnopqrstuvw...");
    EXPECT_EQ(tab->Caption().size(), 26u);
    Tabs->ChangeTabCaption(tab, L"");
    EXPECT_EQ(tab->Caption(), L"");
    EXPECT_NO_THROW(Tabs->ChangeTabCaption(nullptr, L"ignored"));

    int count = ContainerForm->TabStrip1.Count();
    HWND unknown = HandleFrom(0x7FFF1234);
    EXPECT_EQ(Tabs->GetTabIndexByHwnd(unknown), 0);
    EXPECT_EQ(Tabs->GetTabByHwnd(unknown), nullptr);
    EXPECT_EQ(Tabs->GetChildWindowObjectByHwnd(unknown), nullptr);
    EXPECT_NO_THROW(Tabs->RemoveTab(unknown));
    EXPECT_EQ(ContainerForm->TabStrip1.Count(), count);
}

TEST(TabSet, NoTabsMeansNoActiveTabOrWindow) {
    ContainerSession session;
    ContainerForm->TabStrip1.Clear();
    EXPECT_EQ(Tabs->GetActiveTab(), nullptr);
    EXPECT_EQ(Tabs->GetActiveChildWindow(), nullptr);
    EXPECT_NO_THROW(Tabs->ActivateTab(nullptr, true));
}

TEST(TabSet, HostFormOfADeadWindowMovesNothingAndNeverTakesAForeignWindowDown) {
    ContainerSession session;
    std::shared_ptr<CWindow> dead;
    {
        auto fixture = ChildProcess::Fixture({L"--title", L"Dies in its tab"});
        HWND hwnd = fixture.WaitForWindow(L"Dies in its tab");
        ASSERT_NE(hwnd, nullptr);
        dead = Capture(hwnd);
    }
    ASSERT_FALSE(dead->IsExistingWindow());
    MoveWindow(dead->LocalHwnd, 0, 0, 333, 222, TRUE); // runs the host's resize on a dead window
    EXPECT_TRUE(IsWindow(dead->LocalHwnd));

    auto fixture = ChildProcess::Fixture({L"--title", L"Survivor", L"--edit"});
    HWND hwnd = fixture.WaitForWindow(L"Survivor");
    ASSERT_NE(hwnd, nullptr);
    auto window = Capture(hwnd);
    HWND edit = FindWindowExW(hwnd, nullptr, L"EDIT", nullptr);
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"unsaved work"));

    // However the host goes, the foreign window comes out first.
    DestroyWindow(window->LocalHwnd);
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(ParentOf(hwnd), GetDesktopWindow());
    EXPECT_EQ(ControlText(edit), L"unsaved work");
    EXPECT_TRUE(fixture.Running());
}
