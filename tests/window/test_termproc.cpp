#include "ChildProcess.h"
#include "TestSupport.h"
#include "ThreadWindow.h"
#include "controls/ProductInfo.h"
#include "window/MTermProc.h"
#include <gtest/gtest.h>
#include <iostream>
#include <vector>

using namespace merilane;
using namespace merilane::test;

namespace {

// Milliseconds since `start`.
DWORD Since(DWORD start) {
    return GetTickCount() - start;
}

const std::wstring kMarked = L" [WM_CLOSE]";

std::vector<DWORD> g_listed;
int g_visited = 0;

INT WINAPI FakeWowLister(WowProcessCallback callback, LPARAM context) {
    INT count = 0;
    for (DWORD pid : g_listed) {
        ++g_visited;
        ++count;
        if (callback(pid, 0, context))
            break;
    }
    return count;
}

} // namespace

TEST(CloseProcessWindows, AProgramThatClosesReturnsTrueWellBeforeTheWait) {
    auto fixture = ChildProcess::Fixture(
        {L"--title", L"Closes at once", L"--window", L"--title", L"Second window"});
    ASSERT_NE(fixture.WaitForWindow(L"Second window"), nullptr);
    DWORD start = GetTickCount();
    EXPECT_TRUE(CloseProcessWindows(fixture.Pid(), 5000));
    DWORD took = Since(start);
    EXPECT_LT(took, 2500u);
    EXPECT_FALSE(fixture.Running());
    std::cout << "closing program ended after " << took << " ms of a 5000 ms wait\n";

    // Gone: no wait at all.
    start = GetTickCount();
    EXPECT_TRUE(CloseProcessWindows(fixture.Pid(), 5000));
    EXPECT_TRUE(WaitForProcessExit(fixture.Pid(), 5000));
    EXPECT_LT(Since(start), 200u);
}

TEST(CloseProcessWindows, AProgramThatIgnoresCloseKeepsRunningAndOwnedWindowsAreNotAsked) {
    auto fixture = ChildProcess::Fixture(
        {L"--ignore-close", L"--mark-close", L"--title", L"Main", L"--window", L"--title",
         L"Owned dialog", L"--owned-by-previous", L"--style", L"90C80000", L"--window", L"--title",
         L"Owned tool", L"--owned-by-previous", L"--exstyle", L"80", L"--window", L"--title",
         L"Other main"});
    ASSERT_NE(fixture.WaitForWindow(L"Other main"), nullptr);
    HWND main = fixture.WaitForWindow(L"Main");
    HWND dialog = fixture.WaitForWindow(L"Owned dialog");
    HWND tool = fixture.WaitForWindow(L"Owned tool");
    HWND other = fixture.WaitForWindow(L"Other main");
    ASSERT_TRUE(main && dialog && tool && other);

    BoxAnswerer answerer(Product().name, IDOK);
    DWORD start = GetTickCount();
    EXPECT_FALSE(CloseProcessWindows(fixture.Pid(), 1500));
    DWORD took = Since(start);
    EXPECT_GE(took, 1470u);
    EXPECT_LT(took, 1500u + 4000u);
    std::cout << "ignoring program: answered false after " << took
              << " ms of a 1500 ms wait (message box included)\n";
    EXPECT_TRUE(answerer.Answered());
    EXPECT_EQ(answerer.Text(), L"HANGING HERE");
    EXPECT_TRUE(fixture.Running());

    EXPECT_TRUE(WaitUntil([&] { return WindowText(other) == L"Other main" + kMarked; }, 3000));
    EXPECT_EQ(WindowText(main), L"Main" + kMarked);
    EXPECT_EQ(WindowText(dialog), L"Owned dialog");
    EXPECT_EQ(WindowText(tool), L"Owned tool");
}

TEST(CloseProcessWindows, PostingAsksOnlyTheProcessNamedAndDoesNotWait) {
    auto asked = ChildProcess::Fixture({L"--ignore-close", L"--mark-close", L"--title", L"Asked"});
    auto spared =
        ChildProcess::Fixture({L"--ignore-close", L"--mark-close", L"--title", L"Spared"});
    HWND askedHwnd = asked.WaitForWindow(L"Asked");
    HWND sparedHwnd = spared.WaitForWindow(L"Spared");
    ASSERT_TRUE(askedHwnd && sparedHwnd);

    DWORD start = GetTickCount();
    PostCloseToProcess(asked.Pid());
    EXPECT_LT(Since(start), 200u);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(askedHwnd) == L"Asked" + kMarked; }, 3000));
    Pump(200);
    EXPECT_EQ(WindowText(sparedHwnd), L"Spared");
    // A row read while the id was another process's: the window it names is not one of that
    // process's now, so nothing is asked and nothing counts as ended.
    EXPECT_FALSE(CloseProcessWindows(askedHwnd, spared.Pid(), 300));
    PostCloseToProcess(spared.Pid(), askedHwnd);
    PostCloseToProcess(0); // no process: nothing to ask
    Pump(200);
    EXPECT_EQ(WindowText(sparedHwnd), L"Spared");
}

TEST(WaitForProcessExit, WaitsForTheEndOrForTheTimeGiven) {
    auto running = ChildProcess::Fixture({L"--title", L"Keeps running"});
    ASSERT_NE(running.WaitForWindow(L"Keeps running"), nullptr);
    DWORD start = GetTickCount();
    EXPECT_FALSE(WaitForProcessExit(running.Pid(), 400));
    DWORD took = Since(start);
    EXPECT_GE(took, 370u);
    EXPECT_LT(took, 1500u);
    EXPECT_TRUE(running.Running());

    auto ending = ChildProcess::Fixture({L"--title", L"Ends by itself", L"--close-after", L"300"});
    start = GetTickCount();
    EXPECT_TRUE(WaitForProcessExit(ending.Pid(), 5000));
    EXPECT_LT(Since(start), 2500u);
}

TEST(CloseWowTask, AsksOnlyTheWindowsOfTheTasksThreadAndWaitsAsLongAsNeeded) {
    ThreadWindow task({L"Task window"});
    ThreadWindow otherTask({L"Other task"});
    DWORD start = GetTickCount();
    CloseWowTask(task.Hwnd(), 2000);
    DWORD took = Since(start);
    EXPECT_GE(took, 80u);
    EXPECT_LT(took, 1000u);
    std::cout << "closed task: returned after " << took << " ms\n";
    EXPECT_EQ(task.CloseRequests(), 1);
    EXPECT_FALSE(IsWindow(task.Hwnd()));
    EXPECT_EQ(otherTask.CloseRequests(), 0);

    ThreadWindow stubborn({.title = L"Stubborn task", .closeOnRequest = false});
    start = GetTickCount();
    CloseWowTask(stubborn.Hwnd(), 700);
    took = Since(start);
    EXPECT_GE(took, 770u);
    EXPECT_LT(took, 2000u);
    std::cout << "stubborn task: returned after " << took << " ms (100 + 700)\n";
    EXPECT_EQ(stubborn.CloseRequests(), 1);
    EXPECT_TRUE(IsWindow(stubborn.Hwnd()));
    EXPECT_EQ(otherTask.CloseRequests(), 0);
}

TEST(SetProcessPriority, SetsTheClassByProcessOrByWindow) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Priority"});
    HWND hwnd = fixture.WaitForWindow(L"Priority");
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(SetProcessPriority(fixture.Pid(), nullptr, HIGH_PRIORITY_CLASS),
              static_cast<DWORD>(HIGH_PRIORITY_CLASS));
    EXPECT_EQ(GetPriorityClass(fixture.Handle()), static_cast<DWORD>(HIGH_PRIORITY_CLASS));
    EXPECT_EQ(SetProcessPriority(0, hwnd, BELOW_NORMAL_PRIORITY_CLASS),
              static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(GetPriorityClass(fixture.Handle()), static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS));

    // No process to take: nothing opened, nothing set.
    EXPECT_EQ(SetProcessPriority(0, nullptr, HIGH_PRIORITY_CLASS), 0u);
    fixture.Kill();
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(hwnd); }, 5000));
    EXPECT_EQ(SetProcessPriority(0, hwnd, HIGH_PRIORITY_CLASS), 0u);
}

TEST(ProcessKinds, OrdinaryProcessesAreNeitherWowNorDos) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Ordinary"});
    ASSERT_NE(fixture.WaitForWindow(L"Ordinary"), nullptr);
    EXPECT_FALSE(IsWowProcess(fixture.Pid()));
    EXPECT_FALSE(IsDosProcess(fixture.Pid()));
    EXPECT_FALSE(IsWowProcess(GetCurrentProcessId()));
    EXPECT_FALSE(IsDosProcess(GetCurrentProcessId()));
    EXPECT_FALSE(IsDosProcess(0));

    EXPECT_TRUE(IsVdmExecutableName(L"NTVDM.EXE"));
    EXPECT_TRUE(IsVdmExecutableName(L"NtVdm.exe"));
    EXPECT_FALSE(IsVdmExecutableName(L"xntvdm.exe"));
}

TEST(ProcessKinds, TheWowListingIsSearchedUntilTheProcessTurnsUp) {
    g_listed = {10, 20, 30};
    g_visited = 0;
    EXPECT_TRUE(IsListedWowProcess(20, FakeWowLister));
    EXPECT_EQ(g_visited, 2); // the listing stops at the match
    g_visited = 0;
    EXPECT_FALSE(IsListedWowProcess(40, FakeWowLister));
    EXPECT_EQ(g_visited, 3);
    EXPECT_FALSE(IsListedWowProcess(20, nullptr));
}
