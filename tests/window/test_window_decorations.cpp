#include "ChildProcess.h"
#include "TestSupport.h"
#include "WindowTesting.h"
#include "ThreadWindow.h"
#include "window/CWindow.h"
#include "window/ForeignCall.h"
#include <mutex>
#include <vector>
#include <gtest/gtest.h>
#include <functional>
#include <iostream>

using namespace merilane;
using namespace merilane::test;

namespace {

// The alpha a layered window has been given; -1 when it has none.
int AlphaOf(HWND hwnd) {
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA))
        return -1;
    return alpha;
}

// Whether `upper` comes before `lower` in the desktop's z-order.
bool IsAbove(HWND upper, HWND lower) {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == upper)
            return true;
        if (w == lower)
            return false;
    }
    return false;
}

HICON MakeIcon(COLORREF color) {
    BYTE andMask[32 * 4] = {};
    BYTE xorMask[32 * 4];
    for (BYTE& b : xorMask)
        b = static_cast<BYTE>(color & 0xFF);
    return CreateIcon(GetModuleHandleW(nullptr), 32, 32, 1, 1, andMask, xorMask);
}

HICON WindowIcon(HWND hwnd, int type) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(hwnd, WM_GETICON, static_cast<WPARAM>(type), 0, SMTO_ABORTIFHUNG, 2000,
                        &answer);
    return reinterpret_cast<HICON>(answer);
}

} // namespace

TEST(CWindowTransparency, PercentagesBecomeAlphasWithHalvesToEven) {
    EXPECT_EQ(TransparencyAlpha(0), 255);
    EXPECT_EQ(TransparencyAlpha(100), 0);
    // The five percentages that land on a half.
    EXPECT_EQ(TransparencyAlpha(10), 230); // 229.5
    EXPECT_EQ(TransparencyAlpha(30), 178); // 178.5
    EXPECT_EQ(TransparencyAlpha(50), 128); // 127.5
    EXPECT_EQ(TransparencyAlpha(70), 76);  // 76.5
    EXPECT_EQ(TransparencyAlpha(90), 26);  // 25.5
    EXPECT_EQ(TransparencyAlpha(99), 3);   // 2.55
    EXPECT_FALSE(TransparencyAlpha(101));
    EXPECT_FALSE(TransparencyAlpha(-1));
}

TEST(CWindowTransparency, AnotherProgramsWindowTurnsLayeredAndBack) {
    auto fixture = ChildProcess::Fixture({L"--title", L"See-through"});
    HWND hwnd = fixture.WaitForWindow(L"See-through");
    ASSERT_NE(hwnd, nullptr);
    CWindow w = Loaded(hwnd);
    EXPECT_FALSE(w.IsTransparent());

    // Out of range: the window is not touched.
    EXPECT_EQ(w.MakeTransparent(101), kTransparencyOutOfRange);
    EXPECT_EQ(w.MakeTransparent(-1), kTransparencyOutOfRange);
    EXPECT_FALSE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);

    // On a loaded machine the window may not answer in time: the call is then refused, or it
    // outlasts its bound and lands late, whole. Asked again as a user would, it ends as asked.
    auto ends = [&](const std::function<TransparencyResult()>& call, int alpha) {
        return WaitUntil([&] { return call() == kTransparencyDone || AlphaOf(hwnd) == alpha; },
                         10000) &&
               WaitUntil([&] { return AlphaOf(hwnd) == alpha; }, 5000);
    };
    EXPECT_TRUE(ends([&] { return w.MakeTransparent(30); }, 178));
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(w.IsTransparent());
    EXPECT_EQ(AlphaOf(hwnd), 178);
    EXPECT_TRUE(ends([&] { return w.MakeTransparent(50); }, 128));
    EXPECT_EQ(AlphaOf(hwnd), 128);
    EXPECT_TRUE(ends([&] { return w.MakeTransparent(0); }, 255));
    EXPECT_EQ(AlphaOf(hwnd), 255);
    EXPECT_TRUE(w.IsTransparent());

    EXPECT_TRUE(ends([&] { return w.MakeOpaque(); }, -1));
    EXPECT_FALSE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_FALSE(w.IsTransparent());

    // A window that is gone: a failure is told as one; the range is checked first.
    fixture.Kill();
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(hwnd); }, 5000));
    EXPECT_EQ(w.MakeTransparent(40), kTransparencyError);
    EXPECT_EQ(w.MakeOpaque(), kTransparencyError);
    EXPECT_EQ(w.MakeTransparent(140), kTransparencyOutOfRange);
}

TEST(CWindowZorder, TopAndTopMostReachAnotherProgramsWindow) {
    auto lower = ChildProcess::Fixture({L"--title", L"Lower"});
    HWND lowerHwnd = lower.WaitForWindow(L"Lower");
    auto upper = ChildProcess::Fixture({L"--title", L"Upper"});
    HWND upperHwnd = upper.WaitForWindow(L"Upper");
    ASSERT_NE(lowerHwnd, nullptr);
    ASSERT_NE(upperHwnd, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsAbove(upperHwnd, lowerHwnd); }, 3000));

    CWindow w = Loaded(lowerHwnd);
    w.ZorderTop(false);
    Pump(200);
    EXPECT_TRUE(IsAbove(upperHwnd, lowerHwnd));
    w.ZorderTop(true);
    EXPECT_TRUE(WaitUntil([&] { return IsAbove(lowerHwnd, upperHwnd); }, 3000));

    EXPECT_FALSE(w.TopMost());
    w.SetTopMost(true);
    EXPECT_TRUE(WaitUntil([&] { return w.TopMost(); }, 3000));
    EXPECT_TRUE(GetWindowLongW(lowerHwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    w.SetTopMost(false);
    EXPECT_TRUE(WaitUntil([&] { return !w.TopMost(); }, 3000));
}

TEST(CWindowHung, DecorationsOfAHungWindowDoNotHoldTheCaller) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Hung window", L"--hang-after", L"0"});
    HWND hwnd = fixture.WaitForWindow(L"Hung window");
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return FixtureHangs(hwnd); }, 5000));
    CWindow w = Loaded(hwnd);
    LONG exStyle = GetWindowLongW(hwnd, GWL_EXSTYLE);
    DWORD start = GetTickCount();
    w.ZorderTop(true);
    w.SetTopMost(true);
    w.SetTopMost(false);
    EXPECT_LT(GetTickCount() - start, 1000u);

    start = GetTickCount();
    EXPECT_EQ(w.MakeTransparent(40), kTransparencyError);
    EXPECT_EQ(w.MakeOpaque(), kTransparencyError);
    w.SetSizeable(false);
    w.AddMenuItem(MF_STRING, L"Never shown", nullptr);
    DWORD took = GetTickCount() - start;
    // Each call asks the window once, for at most half a second.
    EXPECT_LT(took, 4000u);
    std::cout << "four decoration calls on a hung window took " << took << " ms\n";
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_EXSTYLE), exStyle);
}

TEST(CWindowHung, LateCallsIntoOneWindowLandInTheOrderMadeOnOneThread) {
    ThreadWindow window({L"Late calls"});
    HWND hwnd = window.Hwnd();
    window.Hang();
    std::mutex lock;
    std::vector<int> order;
    for (int i = 0; i < 10; ++i) {
        auto write = [hwnd, i, &lock, &order] {
            SetWindowTextW(hwnd, std::to_wstring(i).c_str());
            std::lock_guard<std::mutex> held(lock);
            order.push_back(i);
        };
        EXPECT_FALSE(CallBounded(hwnd, write, {}, 20));
    }
    EXPECT_EQ(ForeignCallWorkers(), 1) << "one window, one worker";
    window.Resume();
    ASSERT_TRUE(WaitUntil([] { return ForeignCallsInFlight() == 0; }, 5000));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(CWindow::GetWindowCaptionText(hwnd), L"9");
}

TEST(CWindowIcons, IconsReachTheWindowAndPicturesBorrowThem) {
    ThreadWindow top({L"Top owner"});
    ThreadWindow owned({.title = L"Owned", .owner = top.Hwnd()});
    HICON big = MakeIcon(RGB(0, 0, 200));
    HICON small = MakeIcon(RGB(200, 200, 0));
    ASSERT_TRUE(big && small);

    CWindow w = Loaded(owned.Hwnd());
    w.SetIcon(big, ICON_BIG, false);
    EXPECT_EQ(WindowIcon(owned.Hwnd(), ICON_BIG), big);
    w.SetIcon(small, ICON_BIG, true);
    EXPECT_EQ(WindowIcon(top.Hwnd(), ICON_BIG), small);
    EXPECT_EQ(WindowIcon(owned.Hwnd(), ICON_BIG), big);
    w.SetIcon(small, ICON_SMALL, false);
    EXPECT_EQ(WindowIcon(owned.Hwnd(), ICON_SMALL), small);

    {
        CPicture picture = w.GetIcon(big, 99);
        EXPECT_EQ(picture.Handle(), big);
        EXPECT_FALSE(picture.OwnsHandle());
    }
    // The picture is gone; the icon must still be there.
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(big, &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(big);
    DestroyIcon(small);
}
