#include "ChildProcess.h"
#include "TestSupport.h"
#include "WindowTesting.h"
#include "controls/Error.h"
#include "window/CWindow.h"
#include "controls/Handles.h"
#include <gtest/gtest.h>

using namespace merilane;
using namespace merilane::test;

namespace {} // namespace

TEST(CWindowText, TitlesInAnyScriptComeBackIntact) {
    const std::wstring titles[] = {
        L"\u4E2D\u6587\u7A97\u53E3\u6807\u9898",                          // Chinese
        L"\u0646\u0627\u0641\u0630\u0629 \u0639\u0631\u0628\u064A\u0629", // Arabic
        L"Emoji \U0001F600\U0001F680 done",
    };
    for (const auto& title : titles) {
        auto fixture = ChildProcess::Fixture({L"--title", title});
        HWND hwnd = fixture.WaitForWindow(title);
        ASSERT_NE(hwnd, nullptr);
        CWindow w = Loaded(hwnd);
        EXPECT_EQ(w.ActiveCaption(), title);
        EXPECT_EQ(w.ReplacedCaption(), title);
        EXPECT_EQ(CWindow::GetWindowCaptionText(hwnd), title);
    }
}

TEST(CWindowText, LongTitlesAreCutAt255AndMissingHandlesSaySo) {
    std::wstring title(300, L'x');
    for (int i = 0; i < 300; ++i)
        title[i] = static_cast<wchar_t>(L'a' + i % 26);
    auto fixture = ChildProcess::Fixture({L"--title", title});
    HWND hwnd = fixture.WaitForWindow(title);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(CWindow::GetWindowCaptionText(hwnd), title.substr(0, 255));

    EXPECT_EQ(CWindow::GetWindowCaptionText(nullptr), L"No window with this handle.");
    EXPECT_EQ(CWindow::GetWindowCaptionText(HandleFrom(-5)), L"No window with this handle.");
    CWindow empty;
    EXPECT_EQ(empty.ActiveCaption(), L"No window with this handle.");
}

TEST(CWindowText, CutTitleNeverEndsInHalfASurrogatePair) {
    std::wstring title(254, L'a');
    title += L"\U0001F600 tail";
    auto fixture = ChildProcess::Fixture({L"--title", title});
    HWND hwnd = fixture.WaitForWindow(title);
    ASSERT_NE(hwnd, nullptr);
    std::wstring cut = CWindow::GetWindowCaptionText(hwnd);
    ASSERT_FALSE(cut.empty());
    EXPECT_FALSE(IS_HIGH_SURROGATE(cut.back()));
    EXPECT_EQ(cut, std::wstring(254, L'a'));
}

TEST(CWindowCaption, PatternReplacementAndShortening) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Thirteen char"});
    HWND hwnd = fixture.WaitForWindow(L"Thirteen char");
    ASSERT_NE(hwnd, nullptr);
    CWindow w = Loaded(hwnd);
    EXPECT_EQ(w.Caption, L"%t");
    // 13 characters = length + 3: whole.
    EXPECT_EQ(w.ReplacedCaption(10), L"Thirteen char");
    w.Caption = L"%t!";
    EXPECT_EQ(w.ReplacedCaption(10), L"Thirteen c...");
    EXPECT_EQ(w.ReplacedCaption(0), L"Thirteen char!");
    EXPECT_EQ(w.ReplacedCaption(-4), L"Thirteen char!");
    EXPECT_EQ(w.ReplacedCaption(), L"Thirteen char!");
    w.Caption = L"[%t|%t]";
    EXPECT_EQ(w.ReplacedCaption(), L"[Thirteen char|Thirteen char]");
    w.Caption = L"Fixed text %T";
    EXPECT_EQ(w.ReplacedCaption(), L"Fixed text %T");
    try {
        w.ReplacedCaption(32765);
        ADD_FAILURE() << "a length above 32764 must overflow";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), kOverflow);
    }
    EXPECT_EQ(w.ReplacedCaption(32764), L"Fixed text %T");
}

TEST(CWindowLoad, RecordsWhatTheWindowIs) {
    // The parent of an owned pop-up is its owner.
    auto fixture = ChildProcess::Fixture({L"--title", L"Owned one", L"--class", L"FixtureOwned",
                                          L"--owner", L"normal", L"--style", L"90CF0000"});
    HWND hwnd = fixture.WaitForWindow(L"Owned one");
    ASSERT_NE(hwnd, nullptr);
    CWindow w;
    EXPECT_TRUE(w.Load(hwnd));
    EXPECT_EQ(w.hWnd, hwnd);
    EXPECT_EQ(w.PID, fixture.Pid());
    EXPECT_EQ(w.Classname, L"FixtureOwned");
    EXPECT_EQ(w.LastHwnd, GetWindow(hwnd, GW_OWNER));
    EXPECT_NE(w.LastHwnd, nullptr);
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(w.Width, r.right - r.left);
    EXPECT_EQ(w.Height, r.bottom - r.top);
    ASSERT_GE(w.ExecutableName().size(), 20u);
    EXPECT_EQ(w.ExecutableName().substr(w.ExecutableName().size() - 20), L"merilane_fixture.exe");
    EXPECT_NE(w.SmallIconHandle(), nullptr);
    EXPECT_NE(w.BigIconHandle(), nullptr);
    EXPECT_EQ(w.Caption, L"%t");
    EXPECT_EQ(w.LocalHwnd, nullptr);
}

TEST(CWindowLoad, TheNormalPlaceIsThePlacementsOnTheScreenWhateverTheState) {
    const RECT normal{100, 50, 500, 350};
    struct Row {
        UINT show;
        bool tool;
        POINT workOffset;
        RECT expected;
    };
    for (const Row& row : {Row{SW_SHOWMINIMIZED, false, {0, 0}, normal},
                           Row{SW_SHOWMAXIMIZED, false, {60, 0}, {160, 50, 560, 350}},
                           Row{SW_SHOWNORMAL, true, {0, 40}, normal}}) {
        WINDOWPLACEMENT placement{sizeof(placement), 0, row.show, {-32000, -32000}, {0, 0}, normal};
        RECT place = NormalPlace(placement, row.tool, row.workOffset);
        EXPECT_TRUE(EqualRect(&place, &row.expected)) << row.show << (row.tool ? " tool" : "");
    }
    // Loaded minimised, a window is on record where it lay, as big as it was, before.
    HWND own = CreateWindowExW(0, L"STATIC", L"Minimised", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                               50, 400, 300, nullptr, nullptr, nullptr, nullptr);
    RECT before{};
    GetWindowRect(own, &before);
    ShowWindow(own, SW_MINIMIZE);
    CWindow w;
    w.Load(own);
    EXPECT_TRUE(EqualRect(&w.Record().rect, &before));
    DestroyWindow(own);
}

TEST(CWindowLoad, DeadAndMissingHandlesLoadAsNothing) {
    HWND dead;
    {
        auto fixture = ChildProcess::Fixture({L"--title", L"Short lived"});
        dead = fixture.WaitForWindow(L"Short lived");
        ASSERT_NE(dead, nullptr);
    }
    ASSERT_FALSE(IsWindow(dead));
    for (HWND h : {dead, static_cast<HWND>(nullptr), HandleFrom(-1)}) {
        CWindow w;
        EXPECT_FALSE(w.Load(h));
        EXPECT_EQ(w.Width, 0);
        EXPECT_EQ(w.Height, 0);
        EXPECT_EQ(w.PID, 0u);
        EXPECT_TRUE(w.Classname.empty());
        EXPECT_FALSE(w.IsExistingWindow());
        EXPECT_EQ(w.Style(), 0);
        EXPECT_EQ(w.GetWindowState(), 0u);
        EXPECT_FALSE(w.Visible());
        w.SetStyleBit(WS_VISIBLE, true); // must not crash on a window that is not there
        w.Reparent(nullptr);
        w.CloseWindow();
    }
}

TEST(CWindowStyles, VisibleWritesTheStyleBitAndStateFollowsPlacement) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Styled"});
    HWND hwnd = fixture.WaitForWindow(L"Styled");
    ASSERT_NE(hwnd, nullptr);
    CWindow w = Loaded(hwnd);
    EXPECT_TRUE(w.Visible());
    EXPECT_TRUE(w.IsSizable());
    EXPECT_TRUE(w.IsMaxizable());
    EXPECT_FALSE(w.IsDialogBox());
    // Style writes go through the window's own thread, bounded: on a loaded machine one may
    // land after its bound, as the late path promises.
    w.SetVisible(false);
    EXPECT_TRUE(WaitUntil([&] { return !(StyleOf(hwnd) & WS_VISIBLE); }, 5000));
    EXPECT_FALSE(w.Visible());
    w.SetVisible(true);
    EXPECT_TRUE(WaitUntil([&] { return (StyleOf(hwnd) & WS_VISIBLE) != 0; }, 5000));

    w.SetWindowState(SW_SHOWMAXIMIZED);
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(hwnd) != FALSE; }, 5000));
    EXPECT_EQ(w.GetWindowState(), static_cast<UINT>(SW_SHOWMAXIMIZED));
    w.SetWindowState(SW_SHOWNORMAL);
    w.Resize(321, 234, true);
    // Both are the window's own thread's to carry out, in the order asked.
    EXPECT_TRUE(WaitUntil(
        [&] {
            RECT now = RectInParent(hwnd);
            return !IsZoomed(hwnd) && now.right - now.left == 321;
        },
        5000));
    EXPECT_EQ(w.GetWindowState(), static_cast<UINT>(SW_SHOWNORMAL));
    RECT r = RectInParent(hwnd);
    EXPECT_EQ(r.right - r.left, 321);
    EXPECT_EQ(r.bottom - r.top, 234);

    w.SetStyleBit(WS_THICKFRAME | WS_MAXIMIZEBOX, false);
    EXPECT_TRUE(WaitUntil([&] { return w.IsDialogBox(); }, 5000));
    w.SetExStyleBit(WS_EX_TOOLWINDOW, true);
    EXPECT_TRUE(WaitUntil([&] { return w.GetExStyleBit(WS_EX_TOOLWINDOW); }, 5000));
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

TEST(CWindowReparent, PopupBecomesChildAndComesBackAsPopup) {
    auto host = ChildProcess::Fixture({L"--title", L"Host of popup"});
    auto popup = ChildProcess::Fixture({L"--title", L"A popup", L"--style", L"90C80000"});
    HWND hostHwnd = host.WaitForWindow(L"Host of popup");
    HWND hwnd = popup.WaitForWindow(L"A popup");
    ASSERT_NE(hostHwnd, nullptr);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(StyleOf(hwnd) & WS_POPUP);

    CWindow w = Loaded(hwnd);
    w.Reparent(hostHwnd);
    EXPECT_EQ(ParentOf(hwnd), hostHwnd);
    EXPECT_TRUE(StyleOf(hwnd) & WS_CHILD);
    EXPECT_FALSE(StyleOf(hwnd) & WS_POPUP);
    HWND formerParent = w.LastHwnd;
    EXPECT_TRUE(IsNoWindow(formerParent) || formerParent == GetDesktopWindow());

    LONG childStyle = StyleOf(hwnd);
    w.Reparent(hostHwnd);
    EXPECT_EQ(StyleOf(hwnd), childStyle);

    // Back on the desktop it must be a pop-up again, not a child window without a parent.
    w.Reparent(formerParent);
    EXPECT_EQ(ParentOf(hwnd), GetDesktopWindow());
    EXPECT_TRUE(StyleOf(hwnd) & WS_POPUP);
    EXPECT_FALSE(StyleOf(hwnd) & WS_CHILD);
}

TEST(CWindowReparent, OverlappedWindowKeepsItsStyleBits) {
    auto host = ChildProcess::Fixture({L"--title", L"Plain host"});
    auto plain = ChildProcess::Fixture({L"--title", L"Plain window"});
    HWND hostHwnd = host.WaitForWindow(L"Plain host");
    HWND hwnd = plain.WaitForWindow(L"Plain window");
    ASSERT_NE(hwnd, nullptr);
    LONG before = StyleOf(hwnd);
    CWindow w = Loaded(hwnd);
    w.Reparent(hostHwnd);
    EXPECT_EQ(ParentOf(hwnd), hostHwnd);
    EXPECT_EQ(StyleOf(hwnd) & (WS_POPUP | WS_CHILD), before & (WS_POPUP | WS_CHILD));
    w.Reparent(w.LastHwnd);
    EXPECT_EQ(ParentOf(hwnd), GetDesktopWindow());
    EXPECT_EQ(StyleOf(hwnd) & (WS_POPUP | WS_CHILD), before & (WS_POPUP | WS_CHILD));
}

TEST(Handles, KeysAreUpperCaseHexWithoutLeadingZeros) {
    EXPECT_EQ(HexKey(HandleFrom(0x1A2B0)), L"1A2B0");
    EXPECT_EQ(HexKey(HandleFrom(0xabc)), L"ABC");
    EXPECT_EQ(HexKey(HandleFrom(107186)), L"1A2B2");
    EXPECT_EQ(HexKey(HandleFrom(-1)), L"FFFFFFFF");
    EXPECT_TRUE(IsNoWindow(HandleFrom(0)));
    EXPECT_TRUE(IsNoWindow(HandleFrom(-7)));
    EXPECT_FALSE(IsNoWindow(HandleFrom(1)));
}
