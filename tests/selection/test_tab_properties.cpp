#include "ChildProcess.h"
#include "ContainerSession.h"
#include "ModalScript.h"
#include "TestSupport.h"
#include "ThreadWindow.h"
#include "app/Globals.h"
#include "app/mMain.h"
#include "controls/Handles.h"
#include "selection/StyleDecoding.h"
#include "selection/WindowRows.h"
#include "selection/frmTabProp.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <cwctype>

using namespace merilane;
using namespace merilane::test;

namespace {

// The routines the container's "Debug properties" command hands the dialog.
TabPropActions RealActions() {
    return {[] { return Tabs ? Tabs->GetActiveChildWindow() : nullptr; },
            [](HWND hwnd, HWND parent, UINT state, bool removeTab) {
                ReleaseWindow(hwnd, parent, state, removeTab);
            },
            [](HWND hwnd) { CaptureWindow(hwnd); }};
}

// A dialog that describes `window` and must not touch anything: releasing or capturing fails
// the test.
TabPropActions Describing(std::shared_ptr<CWindow> window) {
    return {[window] { return window; },
            [](HWND, HWND, UINT, bool) { ADD_FAILURE() << "nothing is to be released"; },
            [](HWND) { ADD_FAILURE() << "nothing is to be captured"; }};
}

std::shared_ptr<CWindow> LoadedWindow(HWND hwnd) {
    auto window = std::make_shared<CWindow>();
    window->Load(hwnd);
    return window;
}

// A click on a page's tab, as the mouse gives it to the tab control.
void ClickPage(HWND tab, int page) {
    RECT r{};
    SendMessageW(tab, TCM_GETITEMRECT, static_cast<WPARAM>(page), reinterpret_cast<LPARAM>(&r));
    LPARAM point = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(tab, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(tab, WM_LBUTTONUP, 0, point);
}

// The items of a list box (LB_GETCOUNT, LB_GETTEXT) or a combo box (CB_...).
std::vector<std::wstring> Items(HWND box, UINT count, UINT text) {
    std::vector<std::wstring> items;
    int n = static_cast<int>(SendMessageW(box, count, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t item[256] = {};
        SendMessageW(box, text, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        items.push_back(item);
    }
    return items;
}
std::vector<std::wstring> ListBoxLines(HWND list) {
    return Items(list, LB_GETCOUNT, LB_GETTEXT);
}
std::vector<std::wstring> ComboItems(HWND combo) {
    return Items(combo, CB_GETCOUNT, CB_GETLBTEXT);
}

std::vector<std::wstring> PageCaptions(HWND tab) {
    std::vector<std::wstring> captions;
    int n = static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t text[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        captions.push_back(text);
    }
    return captions;
}

std::vector<std::wstring> ColumnTitles(HWND list) {
    std::vector<std::wstring> titles;
    for (int i = 0;; ++i) {
        wchar_t text[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = 64;
        if (!SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i),
                          reinterpret_cast<LPARAM>(&column)))
            return titles;
        titles.push_back(text);
    }
}

std::wstring Lower(std::wstring text) {
    for (auto& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

std::wstring Decimal(HICON icon) {
    return std::to_wstring(static_cast<int32_t>(reinterpret_cast<intptr_t>(icon)));
}

// Sets the process's priority class for the test and puts the one it had back afterwards.
struct PriorityForTest {
    DWORD before = GetPriorityClass(GetCurrentProcess());
    explicit PriorityForTest(DWORD priority) { SetPriorityClass(GetCurrentProcess(), priority); }
    ~PriorityForTest() { SetPriorityClass(GetCurrentProcess(), before); }
};
DWORD Priority() {
    return GetPriorityClass(GetCurrentProcess());
}

} // namespace

TEST(TabProperties, TheRowsListsAndTextsOfACapturedWindow) {
    ContainerSession session;
    PriorityForTest normal(NORMAL_PRIORITY_CLASS);
    auto fixture = ChildProcess::Fixture({L"--title", L"Described window"});
    auto other = ChildProcess::Fixture({L"--title", L"Switch candidate"});
    HWND hwnd = fixture.WaitForWindow(L"Described window");
    HWND candidate = other.WaitForWindow(L"Switch candidate");
    ASSERT_TRUE(hwnd && candidate);
    CaptureWindow(hwnd);
    auto window = CapturedWindows->item(hwnd);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(Tabs->GetActiveChildWindow(), window);

    frmTabProp dialog(RealActions());
    HWND form = dialog.hWnd();
    EXPECT_EQ(WindowText(form), L"Properties Described window");
    EXPECT_EQ(PageCaptions(dialog.SSTab1()),
              (std::vector<std::wstring>{L"General", L"Switch window"}));

    const std::vector<std::wstring> names{
        L"Caption",       L"Top most",          L"Owner process",
        L"Window handle", L"Last window owner", L"Owner executable",
        L"Default style", L"Extended style",    L"Small icon",
        L"Large icon",    L"Window class",      L"Width",
        L"Height"};
    auto& rows = dialog.lstProperties;
    ASSERT_EQ(rows.Count(), 13);
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(rows.Text(rows.KeyAt(i + 1)), names[static_cast<size_t>(i)]);
    auto value = [&](const std::wstring& name) { return rows.Text(name, 1); };
    EXPECT_EQ(value(L"Caption"), L"Described window");
    EXPECT_EQ(value(L"Top most"), L"False");
    EXPECT_EQ(value(L"Owner process"), std::to_wstring(fixture.Pid()));
    EXPECT_EQ(value(L"Window handle"), std::to_wstring(HandleValue(hwnd)));
    // Capture took the window from the desktop, which is what release gives it back to.
    EXPECT_EQ(value(L"Last window owner"), L"Desktop");
    std::wstring exe = Lower(value(L"Owner executable"));
    EXPECT_TRUE(exe.size() > 21 && exe.ends_with(L"\\merilane_fixture.exe")) << exe;
    LONG style = GetWindowLongW(hwnd, GWL_STYLE), exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    EXPECT_EQ(value(L"Default style"), std::to_wstring(style));
    EXPECT_EQ(value(L"Extended style"), std::to_wstring(exStyle));
    EXPECT_EQ(value(L"Small icon"), Decimal(window->SmallIconHandle()));
    EXPECT_EQ(value(L"Large icon"), Decimal(window->BigIconHandle()));
    EXPECT_NE(value(L"Large icon"), L"0");
    EXPECT_EQ(value(L"Window class"), L"MerilaneFixture");
    EXPECT_EQ(value(L"Width"), std::to_wstring(window->Width));
    EXPECT_EQ(value(L"Height"), std::to_wstring(window->Height));
    EXPECT_GT(window->Width, 0);
    EXPECT_EQ(ColumnTitles(rows.hWnd()), (std::vector<std::wstring>{L"Property", L"Value"}));

    std::vector<std::wstring> styleLines = DecodeStyle(style), exLines = DecodeExStyle(exStyle);
    styleLines.insert(styleLines.end(), exLines.begin(), exLines.end());
    EXPECT_EQ(ListBoxLines(dialog.lstStyles()), styleLines);
    EXPECT_EQ(styleLines.front(), L"WS_VISIBLE");

    EXPECT_EQ(WindowText(dialog.txtCaption()), L"%t");
    DWORD from = 0, to = 0;
    SendMessageW(dialog.txtCaption(), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                 reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 1u);
    EXPECT_EQ(to, 1u);
    EXPECT_EQ(ComboItems(dialog.cboReleaseType()),
              (std::vector<std::wstring>{L"Normal", L"Minimized", L"Maximized"}));
    EXPECT_EQ(dialog.ReleaseState(), 1u);
    EXPECT_EQ(WindowText(dialog.cmdOk()), L"OK");
    EXPECT_EQ(WindowText(dialog.cmdRelease()), L"Release");
    EXPECT_EQ(WindowText(dialog.cmdCancel()), L"Cancel");
    EXPECT_TRUE(IsWindowEnabled(dialog.cmdRelease()));
    EXPECT_TRUE(dialog.Timer1.Enabled());

    // The large icon is drawn into the picture, which keeps it.
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    int drawn = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            drawn += dialog.picBigIcon.Pixel(x, y) != face;
    EXPECT_GT(drawn, 32);

    // The switch list: the other window with its process and executable, never the captured
    // one (a child window now), never the program's own; nothing selected at first.
    EXPECT_EQ(ColumnTitles(dialog.ListView1.hWnd()),
              (std::vector<std::wstring>{L"Task", L"Status", L"hWnd", L"ProcessID", L"Exename"}));
    std::wstring key = WindowRows::RowKey(candidate);
    ASSERT_TRUE(dialog.ListView1.Contains(key));
    EXPECT_EQ(dialog.ListView1.Text(key), L"Switch candidate");
    EXPECT_EQ(dialog.ListView1.Text(key, 1), L"Running");
    EXPECT_EQ(dialog.ListView1.Text(key, 2), std::to_wstring(HandleValue(candidate)));
    EXPECT_EQ(dialog.ListView1.Text(key, 3), std::to_wstring(other.Pid()));
    EXPECT_EQ(Lower(dialog.ListView1.Text(key, 4)), L"merilane_fixture.exe");
    EXPECT_FALSE(dialog.ListView1.Contains(WindowRows::RowKey(hwnd)));
    EXPECT_FALSE(dialog.ListView1.Contains(WindowRows::RowKey(session.Container())));
    EXPECT_TRUE(dialog.ListView1.SelectedKeys().empty());

    EXPECT_EQ(Priority(), static_cast<DWORD>(HIGH_PRIORITY_CLASS));
    dialog.Unload();
    EXPECT_EQ(Priority(), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(window->Caption, L"%t");
}

TEST(TabProperties, AStyleWithTheTopBitSetIsANegativeDecimal) {
    // A pop-up keeps its top bit only outside the container (capture turns it into a child), so
    // the dialog is given an uncaptured one.
    auto fixture = ChildProcess::Fixture({L"--title", L"Popup described", L"--style", L"80C80000"});
    HWND hwnd = fixture.WaitForWindow(L"Popup described");
    ASSERT_NE(hwnd, nullptr);
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    ASSERT_LT(style, 0);
    frmTabProp dialog(Describing(LoadedWindow(hwnd)));
    dialog.hWnd();
    std::wstring shown = dialog.lstProperties.Text(L"Default style", 1);
    EXPECT_EQ(shown, std::to_wstring(style));
    EXPECT_EQ(shown.front(), L'-');
    // A window that was never reparented has no former parent: its owner, none, is shown as 0.
    EXPECT_EQ(dialog.lstProperties.Text(L"Last window owner", 1), L"0");
    auto lines = ListBoxLines(dialog.lstStyles());
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"WS_POPUP "), lines.end());
    dialog.Unload();
}

TEST(TabProperties, ReleaseWithMinimizedReleasesMinimisedAndRemovesTheTab) {
    ContainerSession session;
    auto fixture = CaptureFixture(L"Released from properties");
    HWND hwnd = fixture.hwnd;
    ASSERT_NE(Tabs->GetTabByHwnd(hwnd), nullptr);
    ASSERT_TRUE(IsDescendantOf(hwnd, session.Container()));

    frmTabProp dialog(RealActions());
    RunModal(dialog, [&] {
        SendMessageW(dialog.cboReleaseType(), CB_SETCURSEL, 1, 0);
        EXPECT_EQ(dialog.ReleaseState(), 2u);
        PostMessageW(dialog.cmdRelease(), BM_CLICK, 0, 0);
    });
    EXPECT_FALSE(dialog.IsLoaded()) << "Release unloads the dialog";
    EXPECT_EQ(ParentOf(hwnd), GetDesktopWindow());
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(hwnd) != FALSE; }, 5000));
    EXPECT_EQ(Tabs->GetTabByHwnd(hwnd), nullptr);
    EXPECT_EQ(CapturedWindows->item(hwnd), nullptr);
}

TEST(TabProperties, EscapeAndCancelKeepTheCaptionOkStoresIt) {
    ContainerSession session;
    auto fixture = ChildProcess::Fixture({L"--title", L"Caption kept"});
    auto other = ChildProcess::Fixture({L"--title", L"Not switched to"});
    HWND hwnd = fixture.WaitForWindow(L"Caption kept");
    HWND bystander = other.WaitForWindow(L"Not switched to");
    ASSERT_TRUE(hwnd && bystander);
    CaptureWindow(hwnd);
    auto window = CapturedWindows->item(hwnd);
    ASSERT_NE(window, nullptr);

    auto edited = [](frmTabProp& d) { SetWindowTextW(d.txtCaption(), L"Edited %t"); };
    std::vector<std::pair<const char*, std::function<void(frmTabProp&)>>> ways{
        {"Escape on the tab control",
         [&](frmTabProp& d) {
             edited(d);
             SetFocus(d.SSTab1());
             PostMessageW(d.SSTab1(), WM_KEYDOWN, VK_ESCAPE, 1);
         }},
        {"Escape released in the switch list",
         [&](frmTabProp& d) {
             edited(d);
             ClickPage(d.SSTab1(), 1);
             SetFocus(d.ListView1.hWnd());
             SendMessageW(d.ListView1.hWnd(), WM_KEYDOWN, VK_ESCAPE, 1);
             PostMessageW(d.ListView1.hWnd(), WM_KEYUP, VK_ESCAPE, 1 | (3u << 30));
         }},
        {"Cancel",
         [&](frmTabProp& d) {
             edited(d);
             PostMessageW(d.cmdCancel(), BM_CLICK, 0, 0);
         }},
    };
    for (auto& [way, act] : ways) {
        frmTabProp dialog(RealActions());
        RunModal(dialog, [&] { act(dialog); });
        EXPECT_FALSE(dialog.IsLoaded()) << way;
        EXPECT_EQ(window->Caption, L"%t") << way;
    }

    // OK on the first page stores the caption and, with no row chosen, switches nothing.
    frmTabProp dialog(RealActions());
    RunModal(dialog, [&] {
        edited(dialog);
        PostMessageW(dialog.cmdOk(), BM_CLICK, 0, 0);
    });
    EXPECT_TRUE(dialog.IsLoaded()) << "OK only hides; the caller unloads";
    EXPECT_FALSE(dialog.Visible());
    EXPECT_FALSE(dialog.Timer1.Enabled());
    dialog.Unload();
    EXPECT_EQ(window->Caption, L"Edited %t");
    EXPECT_EQ(window->ReplacedCaption(), L"Edited Caption kept");
    EXPECT_EQ(Tabs->GetActiveChildWindow(), window);
    EXPECT_EQ(CapturedWindows->item(bystander), nullptr);
}

TEST(TabProperties, SwitchReleasesTheWindowAndCapturesTheChosenOne) {
    ContainerSession session;
    auto fixture = ChildProcess::Fixture({L"--title", L"Switched away"});
    auto other = ChildProcess::Fixture({L"--title", L"Switched to"});
    HWND away = fixture.WaitForWindow(L"Switched away");
    HWND to = other.WaitForWindow(L"Switched to");
    ASSERT_TRUE(away && to);
    CaptureWindow(away);

    frmTabProp dialog(RealActions());
    RunModal(dialog, [&] {
        HWND ok = dialog.cmdOk(), release = dialog.cmdRelease();
        ClickPage(dialog.SSTab1(), 1);
        EXPECT_EQ(dialog.CurrentPage(), 1);
        EXPECT_EQ(WindowText(ok), L"Switch");
        EXPECT_FALSE(IsWindowEnabled(release));
        EXPECT_TRUE(IsWindowVisible(dialog.ListView1.hWnd()));
        EXPECT_FALSE(IsWindowVisible(dialog.lstProperties.hWnd()));
        EXPECT_FALSE(IsWindowEnabled(ok)) << "nothing chosen, nothing to switch to";
        // Enter does not press a disabled Switch.
        SendMessageW(dialog.ExistingHwnd(), WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(dialog.Visible());

        // Choosing a row enables it at the next tick of the dialog's timer.
        dialog.ListView1.SetSelected(WindowRows::RowKey(to), true);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(ok) != FALSE; }, 2000));

        ClickPage(dialog.SSTab1(), 0);
        EXPECT_EQ(WindowText(ok), L"OK");
        EXPECT_TRUE(IsWindowEnabled(release));
        EXPECT_TRUE(IsWindowVisible(dialog.lstProperties.hWnd()));
        ClickPage(dialog.SSTab1(), 1);
        EXPECT_EQ(WindowText(ok), L"Switch");
        // Enter released in the switch list, as after choosing a row with the keyboard.
        HWND list = dialog.ListView1.hWnd();
        SetFocus(list);
        SendMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(list, WM_KEYUP, VK_RETURN, 1 | (3u << 30));
    });
    dialog.Unload();
    EXPECT_EQ(ParentOf(away), GetDesktopWindow());
    EXPECT_EQ(Tabs->GetTabByHwnd(away), nullptr);
    ASSERT_NE(Tabs->GetActiveChildWindow(), nullptr);
    EXPECT_EQ(Tabs->GetActiveChildWindow()->hWnd, to);
    EXPECT_TRUE(IsDescendantOf(to, session.Container()));
}

TEST(TabProperties, TheSwitchListFollowsTheDesktopAndWritesOnlyChanges) {
    ThreadWindow described({L"Described by the test"});
    frmTabProp dialog(Describing(LoadedWindow(described.Hwnd())));
    dialog.hWnd();
    auto& list = dialog.ListView1;
    EXPECT_FALSE(list.Contains(WindowRows::RowKey(described.Hwnd()))) << "one of our own";

    auto fixture = ChildProcess::Fixture(
        {L"--title", L"Appears later", L"--retitle", L"1500", L"Appears, renamed"});
    HWND hwnd = fixture.WaitForWindow(L"Appears later");
    ASSERT_NE(hwnd, nullptr);
    std::wstring key = WindowRows::RowKey(hwnd);
    ASSERT_TRUE(WaitUntil([&] { return list.Contains(key); }, 3000));
    EXPECT_EQ(list.Text(key, 2), std::to_wstring(HandleValue(hwnd)));
    EXPECT_EQ(list.Text(key, 3), std::to_wstring(fixture.Pid()));
    EXPECT_EQ(list.SmallIcon(key), key);

    ASSERT_TRUE(WaitUntil([&] { return list.Text(key) == L"Appears, renamed"; }, 5000));
    // Ticks with nothing new on the desktop write nothing.
    long writes = list.CellWrites();
    Pump(700);
    EXPECT_EQ(list.CellWrites(), writes);

    fixture.Kill();
    EXPECT_TRUE(WaitUntil([&] { return !list.Contains(key); }, 5000));
    dialog.Unload();
}

TEST(TabProperties, WithoutAnActiveWindowNothingIsFilledOrReleased) {
    PriorityForTest below(BELOW_NORMAL_PRIORITY_CLASS);
    frmTabProp dialog(TabPropActions{[] { return std::shared_ptr<CWindow>(); },
                                     [](HWND, HWND, UINT, bool) { ADD_FAILURE(); },
                                     [](HWND) { ADD_FAILURE(); }});
    dialog.hWnd();
    EXPECT_EQ(dialog.lstProperties.Count(), 0);
    EXPECT_EQ(SendMessageW(dialog.lstStyles(), LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(dialog.ListView1.Count(), 0);
    EXPECT_FALSE(dialog.Timer1.Enabled());
    EXPECT_FALSE(IsWindowEnabled(dialog.cmdRelease()));
    EXPECT_EQ(Priority(), static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS));
    // Release is not pressed even when asked directly.
    SendMessageW(dialog.ExistingHwnd(), WM_COMMAND, frmTabProp::kReleaseId, 0);
    EXPECT_TRUE(dialog.IsLoaded());
    dialog.SelectPage(1);
    EXPECT_FALSE(IsWindowEnabled(dialog.cmdOk()));
    EXPECT_FALSE(IsWindowEnabled(dialog.cmdRelease()));
    dialog.SelectPage(0);
    EXPECT_TRUE(IsWindowEnabled(dialog.cmdOk()));
    EXPECT_FALSE(IsWindowEnabled(dialog.cmdRelease()));
    dialog.Show();
    SendMessageW(dialog.ExistingHwnd(), WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(dialog.Visible()) << "OK only hides the dialog";
    dialog.Unload();
}

TEST(TabProperties, HighPriorityLastsOnlyWhileTheDialogIsLoaded) {
    PriorityForTest below(BELOW_NORMAL_PRIORITY_CLASS);
    ThreadWindow described({L"Priority test window"});
    {
        frmTabProp dialog(Describing(LoadedWindow(described.Hwnd())));
        dialog.hWnd();
        EXPECT_EQ(Priority(), static_cast<DWORD>(HIGH_PRIORITY_CLASS));
        dialog.Unload();
        // Back to what it was before, not to a fixed class.
        EXPECT_EQ(Priority(), static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS));
    }
    {
        frmTabProp dialog(Describing(LoadedWindow(described.Hwnd())));
        dialog.hWnd();
        EXPECT_EQ(Priority(), static_cast<DWORD>(HIGH_PRIORITY_CLASS));
    }
    EXPECT_EQ(Priority(), static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS))
        << "a dialog dropped without Unload gives the priority back too";
}
