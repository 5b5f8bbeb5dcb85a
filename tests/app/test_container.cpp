#include "ChildProcess.h"
#include "ContainerSession.h"
#include "TestSupport.h"
#include "app/Globals.h"
#include "tabs/MTabDraw.h"
#include "app/frmIntro.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "window/CWindow.h"
#include <commctrl.h>
#include <gtest/gtest.h>

using namespace merilane;
using namespace merilane::test;

namespace {

const std::wstring kReleasePrompt = L"Release all windows and close Merilane ?";

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

std::vector<std::wstring> MenuTexts(HMENU menu) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        texts.push_back(MenuText(menu, i));
    return texts;
}

} // namespace

TEST(Title, ProductTextComesFromTheVersionResource) {
    EXPECT_EQ(FormatTitle(L"%d"), L"Merilane 0.2.156 (beta) ");
    EXPECT_EQ(FormatTitle(L"Main menu - %d"), L"Main menu - Merilane 0.2.156 (beta) ");
    EXPECT_EQ(FormatTitle(L"%d|%d"), L"Merilane 0.2.156 (beta) |Merilane 0.2.156 (beta) ");
    EXPECT_EQ(FormatTitle(L"no product"), L"no product");
}

TEST(Colours, DefaultsAreRestoredExactly) {
    ActiveTabBackColor = InactiveTabBackColor = ActiveTabForeColor = InactiveTabForeColor =
        0x123456;
    SetDefaultColors();
    EXPECT_EQ(ActiveTabBackColor, 0xE6FFFFu);
    EXPECT_EQ(InactiveTabBackColor, 0xCFCFCFu);
    EXPECT_EQ(ActiveTabForeColor, 0x000000u);
    EXPECT_EQ(InactiveTabForeColor, 0x000000u);
}

TEST(Container, StartsWithTheIntroScreenAsItsOnlyTab) {
    ContainerSession session;
    EXPECT_EQ(WindowText(session.Container()), L"Main menu - Merilane 0.2.156 (beta) ");
    ASSERT_EQ(ContainerForm->TabStrip1.Count(), 1);
    TabPtr tab = Tabs->GetActiveTab();
    ASSERT_NE(tab, nullptr);
    EXPECT_TRUE(ContainerForm->IsIntroScreen(tab->Tag()));
    EXPECT_EQ(WindowText(tab->Tag()), L"Main menu");
    EXPECT_TRUE(IsDescendantOf(tab->Tag(), session.Picture()));
    EXPECT_TRUE(GetWindowLongW(session.TabStrip(), GWL_STYLE) & TCS_OWNERDRAWFIXED);
    EXPECT_EQ(ContainerWindow->hWnd, session.Container());
    EXPECT_EQ(CapturedWindows->Count(), 1);
    EXPECT_FALSE(ContainerForm->IsIntroScreen(nullptr));
    EXPECT_FALSE(ContainerForm->IsIntroScreen(session.Container()));
}

TEST(Container, MenusCarryTheirCaptionsChecksAndHiddenItems) {
    ContainerSession session;
    HMENU bar = GetMenu(session.Container());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(MenuTexts(bar), (std::vector<std::wstring>{L"File", L"Options"}));
    EXPECT_EQ(MenuTexts(GetSubMenu(bar, 0)),
              (std::vector<std::wstring>{L"New tab", L"", L"Show main menu", L"", L"Release all",
                                         L"Exit"}));
    HMENU options = GetSubMenu(bar, 1);
    EXPECT_EQ(MenuTexts(options),
              (std::vector<std::wstring>{L"Multirow", L"Button tabs", L"Cycle tabbing",
                                         L"Enable keybindings", L"Tab keys", L"Go to tab...",
                                         L"Remember settings", L"Rules...", L"Start with Windows",
                                         L"Active tab", L"Help"}));
    EXPECT_EQ(
        MenuTexts(GetSubMenu(options, 4)),
        (std::vector<std::wstring>{
            L"CTRL + TAB, SHIFT + TAB, CTRL + 1..9", L"CTRL + TAB, CTRL + SHIFT + TAB, CTRL + 1..9",
            L"CTRL + ALT + TAB, CTRL + ALT + SHIFT + TAB, CTRL + ALT + 1..9"}));
    HMENU activeTab = GetSubMenu(options, 9);
    EXPECT_EQ(MenuTexts(activeTab), (std::vector<std::wstring>{L"Caption", L"Rename...", L"Release",
                                                               L"Move left", L"Move right"}));
    EXPECT_EQ(MenuTexts(GetSubMenu(options, 10)),
              (std::vector<std::wstring>{L"Merilane online", L"", L"About Merilane..."}));

    auto& menu = ContainerForm->Menu;
    EXPECT_TRUE(menu.Checked(L"roundRobin"));
    EXPECT_TRUE(menu.Checked(L"options_enable_keybindings"));
    EXPECT_TRUE(menu.Checked(L"alttab_overlap"));
    EXPECT_FALSE(menu.Checked(L"rememberSettings"));
    EXPECT_FALSE(menu.Checked(L"alttab_useActiveTabIcon"));
    EXPECT_FALSE(menu.Checked(L"taskbar_useActiveTabIcon"));
    EXPECT_EQ(menu.Checked(L"multirow"), ContainerForm->TabStrip1.MultiRow());
    EXPECT_EQ(menu.Checked(L"buttontabs"), ContainerForm->TabStrip1.Style() == 1);
    EXPECT_EQ(menu.Caption(L"alttab_overlap"), L"Overlap icon ");
    EXPECT_EQ(GetMenuState(options, menu.CommandId(L"roundRobin"), MF_BYCOMMAND) & MF_CHECKED,
              static_cast<UINT>(MF_CHECKED));
    for (const wchar_t* hidden :
         {L"debug", L"keybinding", L"fonts", L"colors", L"icons", L"switch"})
        EXPECT_FALSE(menu.Visible(hidden)) << hidden;
    // What a hidden item held is gone with it.
    EXPECT_EQ(GetMenuState(bar, menu.CommandId(L"colors_default"), MF_BYCOMMAND), 0xFFFFFFFFu);

    // "Start with Windows" writes the current user's Run value for this copy; unchecked, it goes.
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_FALSE(menu.Checked(L"startWithWindows"));
    for (bool on : {true, false}) {
        PostMessageW(session.Container(), WM_COMMAND, menu.CommandId(L"startWithWindows"), 0);
        EXPECT_TRUE(WaitUntil([&] { return menu.Checked(L"startWithWindows") == on; }));
        wchar_t value[1024] = {};
        DWORD size = sizeof value - sizeof(wchar_t);
        RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                     L"Merilane", RRF_RT_REG_SZ, nullptr, value, &size);
        EXPECT_EQ(value, on ? L"\"" + std::wstring(self) + L"\"" : L"");
    }
}

TEST(Container, ResizeKeepsTheDisplayAreaOnTheTabStripAndFitsTheActiveHost) {
    ContainerSession session;
    HWND container = session.Container();
    SetWindowPos(container, nullptr, 0, 0, 900, 700, SWP_NOZORDER | SWP_NOMOVE);
    Pump(100);
    RECT display{};
    GetClientRect(session.TabStrip(), &display);
    SendMessageW(session.TabStrip(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    MapWindowPoints(session.TabStrip(), container, reinterpret_cast<POINT*>(&display), 2);
    RECT picture = RectInParent(session.Picture());
    EXPECT_NEAR(picture.left, display.left, 1);
    EXPECT_NEAR(picture.top, display.top, 1);
    EXPECT_NEAR(picture.right - picture.left, display.right - display.left, 1);
    EXPECT_NEAR(picture.bottom - picture.top, display.bottom - display.top, 1);

    HWND host = Tabs->GetActiveChildWindow()->LocalHwnd;
    RECT hostRect = RectInParent(host);
    EXPECT_EQ(hostRect.left, 0);
    EXPECT_EQ(hostRect.top, 0);
    EXPECT_NEAR(hostRect.right, display.right - display.left + 2, 1);
    EXPECT_NEAR(hostRect.bottom, display.bottom - display.top, 1);

    // With no active tab only the tab strip and the display area follow.
    ContainerForm->TabStrip1.Clear();
    SetWindowPos(container, nullptr, 0, 0, 700, 500, SWP_NOZORDER | SWP_NOMOVE);
    Pump(100);
    EXPECT_EQ(RectInParent(host).right, hostRect.right);
    RECT strip = RectInParent(session.TabStrip());
    RECT outer;
    GetWindowRect(container, &outer);
    EXPECT_NEAR(strip.right - strip.left, 700 - 10, 1); // the form's width less 150 twips
}

TEST(ContainerClose, WithOnlyTheIntroScreenItClosesWithoutAsking) {
    ContainerSession session;
    HWND container = session.Container();
    BoxAnswerer box(L"Merilane", IDCANCEL, 1500);
    PostMessageW(container, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(container); }, 5000));
    EXPECT_FALSE(box.Answered());
    EXPECT_EQ(Tabs, nullptr);
    EXPECT_EQ(CapturedWindows, nullptr);
}

TEST(ContainerClose, WithACapturedWindowItAsksAndCancelKeepsEverything) {
    ContainerSession session;
    auto fixture = CaptureFixture(L"Keep me captured");
    HWND hwnd = fixture.hwnd;
    int tabs = ContainerForm->TabStrip1.Count();
    HWND host = CapturedWindows->item(hwnd)->LocalHwnd;

    {
        BoxAnswerer box(L"Merilane", IDCANCEL);
        SendMessageW(session.Container(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(box.Answered());
        EXPECT_EQ(box.Text(), kReleasePrompt);
    }
    Pump(500);
    EXPECT_TRUE(IsWindow(session.Container()));
    EXPECT_EQ(ContainerForm->TabStrip1.Count(), tabs);
    EXPECT_EQ(ParentOf(hwnd), host);
    EXPECT_NE(Tabs, nullptr);
    EXPECT_EQ(ContainerForm->CloseTimerId, 0u);
}

TEST(ContainerClose, OkReleasesTheWindowToTheDesktopThenTheContainerGoes) {
    ContainerSession session;
    auto fixture = ChildProcess::Fixture({L"--title", L"Release me", L"--edit"});
    HWND hwnd = fixture.WaitForWindow(L"Release me");
    ASSERT_NE(hwnd, nullptr);
    HWND edit = FindWindowExW(hwnd, nullptr, L"EDIT", nullptr);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed before capture"));
    CaptureWindow(hwnd);
    HWND container = session.Container();

    BoxAnswerer box(L"Merilane", IDOK);
    PostMessageW(container, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return box.Answered(); }, 10000));
    EXPECT_EQ(box.Text(), kReleasePrompt);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(container); }, 5000));

    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(ParentOf(hwnd), GetDesktopWindow());
    EXPECT_FALSE(IsZoomed(hwnd));
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 500);
    EXPECT_EQ(ControlText(edit), L"typed before capture");
}

TEST(ContainerClose, DestroyingTheContainerOutrightStillGivesTheWindowsBack) {
    ContainerSession session;
    auto fixture = CaptureFixture(L"Not to be lost", {L"--edit"});
    HWND hwnd = fixture.hwnd;
    ASSERT_TRUE(IsDescendantOf(hwnd, session.Container()));
    DestroyWindow(session.Container());
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(ParentOf(hwnd), GetDesktopWindow());
    EXPECT_TRUE(fixture.Running());
}

TEST(Program, StartsAsItsOwnProcessWithOneTab) {
    ChildProcess program(ChildProcess::BinDir() + L"\\merilane.exe", {});
    const std::wstring title = L"Main menu - Merilane 0.2.156 (beta) ";
    HWND container = program.WaitForWindow(title, 20000);
    ASSERT_NE(container, nullptr);
    HWND strip = FindWindowExW(container, nullptr, WC_TABCONTROLW, nullptr);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(SendMessageW(strip, TCM_GETITEMCOUNT, 0, 0), 1);

    PostMessageW(container, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(10000));
    DWORD code = 99;
    GetExitCodeProcess(program.Handle(), &code);
    EXPECT_EQ(code, 0u);
}
