#include "ChildProcess.h"
#include "ContainerSession.h"
#include "TestSupport.h"
#include "app/Globals.h"
#include "app/frmSSTab.h"
#include "app/frmIntro.h"
#include "app/mMain.h"
#include "controls/CTimer.h"
#include "controls/Screen.h"
#include "controls/frmInputBox.h"
#include "selection/frmTaskList.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "tabs/MTabDraw.h"
#include "app/frmKeyMappings.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

using namespace merilane;
using namespace merilane::test;

namespace {

COLORREF ScreenPixel(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

// A point inside the tab at the 0-based position, clear of its icon and text.
POINT BackgroundOf(HWND strip, int position) {
    RECT r{};
    SendMessageW(strip, TCM_GETITEMRECT, position, reinterpret_cast<LPARAM>(&r));
    return {r.right - 4, (r.top + r.bottom) / 2};
}

} // namespace

TEST(TabLooks, EveryTabIsRepaintedInTheColoursOfTheMoment) {
    ContainerSession session;
    auto fixture = CaptureFixture(L"Coloured tab");
    HWND strip = session.TabStrip();
    SetForegroundWindow(session.Container());
    auto repaint = [&] { RedrawWindow(strip, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); };
    auto colours = [&] {
        POINT selected = BackgroundOf(strip, 1), other = BackgroundOf(strip, 0);
        return std::make_pair(ScreenPixel(strip, selected.x, selected.y),
                              ScreenPixel(strip, other.x, other.y));
    };
    repaint();
    EXPECT_TRUE(WaitUntil(
        [&] { return colours() == std::make_pair(RGB(255, 255, 230), RGB(207, 207, 207)); }, 3000))
        << std::hex << colours().first << " " << colours().second;
    ActiveTabBackColor = RGB(0, 128, 255);
    InactiveTabBackColor = RGB(64, 0, 64);
    repaint();
    EXPECT_TRUE(WaitUntil(
        [&] { return colours() == std::make_pair(RGB(0, 128, 255), RGB(64, 0, 64)); }, 3000));
    SetDefaultColors();
}

TEST(TabLooks, ATabsTooltipShowsItsWholeCaption) {
    ContainerSession session;
    const std::wstring title = L"A window title of sixty characters, far more than a tab fits";
    ASSERT_EQ(title.size(), 60u);
    auto fixture = ChildProcess::Fixture({L"--title", title});
    HWND hwnd = fixture.WaitForWindow(title);
    ASSERT_NE(hwnd, nullptr);
    CaptureWindow(hwnd);
    Tabs->ChangeTabCaption(Tabs->GetTabByHwnd(hwnd), title);
    EXPECT_EQ(Tabs->GetTabByHwnd(hwnd)->Caption().size(), 26u);

    HWND strip = session.TabStrip();
    HWND tips = reinterpret_cast<HWND>(SendMessageW(strip, TCM_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tips, nullptr) << "the tab strip has tooltips";
    // What the tooltip asks when the pointer rests on the tab.
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = tips;
    info.hdr.idFrom = static_cast<UINT_PTR>(Tabs->GetTabIndexByHwnd(hwnd) - 1);
    info.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(session.Container(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_EQ(std::wstring(info.lpszText), title);

    // Asked from another thread, as assistive tools ask, it gives all of it; drawn, it is short.
    int position = Tabs->GetTabIndexByHwnd(hwnd);
    wchar_t text[100] = {};
    TCITEMW item{TCIF_TEXT, 0, 0, text, 100, 0, 0};
    std::atomic<bool> asked = false;
    std::thread tool([&] {
        asked = SendMessageW(strip, TCM_GETITEMW, position - 1, reinterpret_cast<LPARAM>(&item));
    });
    WaitUntil([&] { return asked.load(); }, 5000);
    tool.join();
    EXPECT_EQ(std::wstring(text), title);
    EXPECT_EQ(GetTabText(strip, position), L"A window title of sixty...");

    // The same request from another thread, which may be another program's, pointing wherever
    // it likes, is not acted on: nothing is written, nothing faults.
    NMTTDISPINFOW forged = info;
    forged.lpszText = nullptr;
    std::atomic<bool> sent{false};
    std::thread forger([&] {
        HWND container = session.Container();
        SendMessageW(container, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&forged));
        SendMessageW(container, WM_NOTIFY, 0, 16);
        SendMessageW(container, WM_DPICHANGED, MAKEWPARAM(144, 144), 16);
        sent = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return sent.load(); }, 5000));
    forger.join();
    EXPECT_EQ(forged.lpszText, nullptr);
}

namespace {

// Whether a control's text fits it: its font's extent plus a little room for the frame.
bool TextFits(HWND control, int slack) {
    wchar_t text[256] = {};
    int n = GetWindowTextW(control, text, 256);
    if (n <= 0)
        return true;
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, n, &extent);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    RECT r{};
    GetClientRect(control, &r);
    return extent.cx + slack <= r.right && extent.cy <= r.bottom;
}

BOOL CALLBACK CheckChild(HWND child, LPARAM lp) {
    auto* failures = reinterpret_cast<std::vector<std::wstring>*>(lp);
    wchar_t cls[64] = {}, text[128] = {};
    GetClassNameW(child, cls, 64);
    GetWindowTextW(child, text, 128);
    std::wstring what = std::wstring(cls) + L" \"" + text + L"\"";
    RECT mine{}, parent{};
    GetWindowRect(child, &mine);
    GetClientRect(GetParent(child), &parent);
    MapWindowPoints(GetParent(child), HWND_DESKTOP, reinterpret_cast<POINT*>(&parent), 2);
    if (!IsWindowVisible(child))
        return TRUE;
    if (mine.left < parent.left || mine.top < parent.top || mine.right > parent.right ||
        mine.bottom > parent.bottom)
        failures->push_back(what + L" reaches out of its parent");
    if ((wcscmp(cls, L"Button") == 0 || wcscmp(cls, L"Static") == 0) && !TextFits(child, 8))
        failures->push_back(what + L" cuts its text");
    return TRUE;
}

std::vector<std::wstring> Clipped(HWND form) {
    std::vector<std::wstring> failures;
    EnumChildWindows(form, CheckChild, reinterpret_cast<LPARAM>(&failures));
    return failures;
}

std::string Narrow(const std::vector<std::wstring>& lines) {
    std::string out;
    for (auto& l : lines)
        out += std::string(l.begin(), l.end()) + "\n";
    return out;
}

// Runs `look` from inside the form's modal loop, then closes it with `closeId`.
void WhileShown(CForm& form, const std::function<void(HWND)>& look, UINT closeId) {
    bool looked = false;
    CTimer watcher(50, [&] {
        HWND hwnd = form.ExistingHwnd();
        if (looked || !hwnd || !IsWindowVisible(hwnd))
            return;
        looked = true;
        look(hwnd);
        PostMessageW(hwnd, WM_COMMAND, closeId, 0);
    });
    watcher.SetEnabled(true);
    form.ShowModal();
    EXPECT_TRUE(looked);
}

} // namespace

// Runs at whatever resolution the machine has; tools/test.sh runs it at 96 and at 144 dots
// per inch, where everything must come out half as large again, and nothing cut.
TEST(Dpi, TheContainerThePickerAndTheDialogsScaleAndNothingIsCut) {
    ContainerSession session;
    HWND container = session.Container();
    UINT dpi = DpiOf(container);
    std::printf("laid out at %u dots per inch\n", dpi);
    auto fixture = ChildProcess::Fixture(
        {L"--title", L"A captured program with a rather long title", L"--small-icon"});
    HWND captured = fixture.WaitForWindow(L"A captured program with a rather long title");
    ASSERT_NE(captured, nullptr);
    CaptureWindow(captured);
    Tabs->ChangeTabCaption(Tabs->GetTabByHwnd(captured), WindowText(captured));
    Tabs->ChangeTabCaption(Tabs->GetTabByHwnd(ContainerForm->IntroForm->ExistingHwnd()),
                           L"Main menu");
    std::wstring at = std::to_wstring(dpi);
    Pump(300);
    SaveScreenshot(L"container-" + at + L"dpi");

    // The tab strip: icons and text at the resolution, items tall enough for both.
    HWND strip = session.TabStrip();
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(strip, TCM_GETIMAGELIST, 0, 0));
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(cx, Scaled(16, dpi));
    EXPECT_EQ(cy, Scaled(16, dpi));
    RECT item{};
    SendMessageW(strip, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(strip, WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_EQ(-font.lfHeight, MulDiv(825, static_cast<int>(dpi), 7200));
    EXPECT_GE(item.bottom - item.top, cy + 2) << "the icon fits the item";
    EXPECT_GE(item.bottom - item.top, -font.lfHeight) << "the text fits the item";
    RECT client{};
    GetClientRect(container, &client);
    EXPECT_NEAR(client.right, MulDiv(9255, static_cast<int>(dpi), 1440), 2);

    // The picker: buttons and columns at the resolution, the text of every control whole.
    frmTaskList picker;
    WhileShown(
        picker,
        [&](HWND form) {
            HWND ok = GetDlgItem(form, IDOK);
            RECT r{};
            GetWindowRect(ok, &r);
            EXPECT_EQ(r.right - r.left, Scaled(88, dpi));
            EXPECT_EQ(r.bottom - r.top, Scaled(26, dpi));
            HWND list = picker.CTLWindowList1.ListView1.hWnd();
            RECT lr{};
            GetClientRect(list, &lr);
            RECT outer{};
            GetWindowRect(list, &outer);
            int width = outer.right - outer.left;
            EXPECT_NEAR(ListView_GetColumnWidth(list, 0), width * 55 / 100, 1);
            EXPECT_NEAR(ListView_GetColumnWidth(list, 1), width * 25 / 100, 1);
            RECT formRect{};
            GetClientRect(form, &formRect);
            EXPECT_NEAR(formRect.right, Scaled(560, dpi) - 2 * GetSystemMetrics(SM_CXFRAME),
                        Scaled(12, dpi));
            EXPECT_TRUE(Clipped(form).empty()) << Narrow(Clipped(form));
            SaveScreenshot(L"picker-" + at + L"dpi");
        },
        IDCANCEL);
    picker.Unload();

    frmInputBox box(L"A prompt that takes\r\nthree lines\r\nof text", L"Input", L"typed");
    WhileShown(
        box, [&](HWND form) { EXPECT_TRUE(Clipped(form).empty()) << Narrow(Clipped(form)); },
        IDCANCEL);
    box.Unload();

    frmKeyMappings mappings;
    WhileShown(
        mappings,
        [&](HWND form) {
            RECT r{};
            GetWindowRect(mappings.cmdOk, &r);
            EXPECT_EQ(r.right - r.left, Scaled(80, dpi));
            EXPECT_TRUE(Clipped(form).empty()) << Narrow(Clipped(form));
        },
        IDCANCEL);
}
