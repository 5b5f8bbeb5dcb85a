#include "ChildProcess.h"
#include "TestSupport.h"
#include "window/MForceFore.h"
#include <gtest/gtest.h>

using namespace merilane;
using namespace merilane::test;

TEST(ForceForeground, DeadHandlesAreRefusedWithoutSideEffects) {
    HWND dead;
    {
        auto fixture = ChildProcess::Fixture({L"--title", L"Gone before forcing"});
        dead = fixture.WaitForWindow(L"Gone before forcing");
        ASSERT_NE(dead, nullptr);
    }
    auto other = ChildProcess::Fixture({L"--title", L"In front"});
    HWND front = other.WaitForWindow(L"In front");
    ASSERT_TRUE(ForceForeground(front));
    ASSERT_EQ(GetForegroundWindow(), front);
    EXPECT_FALSE(ForceForeground(dead));
    EXPECT_FALSE(ForceForeground(nullptr));
    EXPECT_EQ(GetForegroundWindow(), front);
}

TEST(ForceForeground, RestoresMinimisedAndShowsHiddenWindowsOfOtherProcesses) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Minimised one"});
    HWND hwnd = fixture.WaitForWindow(L"Minimised one");
    ASSERT_NE(hwnd, nullptr);
    auto other = ChildProcess::Fixture({L"--title", L"Takes the front"});
    HWND front = other.WaitForWindow(L"Takes the front");
    ASSERT_NE(front, nullptr);
    ShowWindow(hwnd, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(hwnd) != FALSE; }, 5000));
    ASSERT_TRUE(ForceForeground(front));
    ASSERT_NE(GetForegroundWindow(), hwnd);
    EXPECT_TRUE(ForceForeground(hwnd));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(hwnd); }, 5000));
    EXPECT_EQ(GetForegroundWindow(), hwnd);
    // Already in front: nothing more to do.
    EXPECT_TRUE(ForceForeground(hwnd));

    auto hidden = ChildProcess::Fixture({L"--title", L"Hidden one", L"--hidden"});
    HWND h2 = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        auto all = hidden.Windows(L"Hidden one", false);
        h2 = all.empty() ? nullptr : all.front();
        return h2 != nullptr;
    }));
    ASSERT_FALSE(IsWindowVisible(h2));
    ForceForeground(h2);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(h2) != FALSE; }, 5000));
}
