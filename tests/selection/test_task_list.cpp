#include "ChildProcess.h"
#include "TestSupport.h"
#include "ThreadWindow.h"
#include "selection/CTaskList.h"
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace merilane;
using namespace merilane::test;

namespace {

std::vector<std::wstring> Captions(const CTaskList& tasks) {
    std::vector<std::wstring> captions;
    for (long i = 1; i <= tasks.Count(); ++i)
        captions.push_back(tasks.Caption(i));
    return captions;
}

HWND OnlyWindow(const ChildProcess& p, const std::wstring& title, bool visibleOnly = true) {
    HWND found = nullptr;
    WaitUntil([&] {
        auto all = p.Windows(title, visibleOnly);
        found = all.empty() ? nullptr : all.front();
        return found != nullptr;
    });
    return found;
}

} // namespace

TEST(TaskList, FreshTableAndNeutralAnswersOutOfRange) {
    CTaskList tasks;
    EXPECT_EQ(tasks.Count(), 0);
    EXPECT_EQ(tasks.Mode(), 0);
    EXPECT_EQ(tasks.HungTimeout(), 500);
    EXPECT_EQ(tasks.Slots(), 20u);
    tasks.SetMode(2);
    tasks.SetMode(-1);
    EXPECT_EQ(tasks.Mode(), 0);
    tasks.SetHungTimeout(0);
    tasks.SetHungTimeout(-5);
    EXPECT_EQ(tasks.HungTimeout(), 500);
    tasks.SetHungTimeout(250);
    EXPECT_EQ(tasks.HungTimeout(), 250);

    tasks.Refresh();
    long past = tasks.Count() + 1;
    for (long index : {0L, -1L, past}) {
        EXPECT_EQ(tasks.Caption(index), L"");
        EXPECT_EQ(tasks.hWnd(index), nullptr);
        EXPECT_EQ(tasks.hIcon(index), nullptr);
        EXPECT_EQ(tasks.hIconSm(index), nullptr);
        EXPECT_EQ(tasks.ProcessID(index), 0u);
        EXPECT_EQ(tasks.Status(index), 0);
        EXPECT_FALSE(tasks.Valid(index, nullptr));
        EXPECT_EQ(tasks.VDM(index, nullptr), 0);
        EXPECT_FALSE(tasks.Activate(index, nullptr));
        EXPECT_FALSE(tasks.Terminate(index, nullptr, 10));
    }
    EXPECT_EQ(tasks.GetIndex(reinterpret_cast<HWND>(0x7FFF0010)), 0);
    EXPECT_EQ(tasks.Count(), past - 1);
}

TEST(TaskList, ModeZeroListsApplicationsAndTheirToolOwnedWindows) {
    auto plain = ChildProcess::Fixture({L"--title", L"Plain task", L"--window", L"--title", L""});
    auto toolOwned =
        ChildProcess::Fixture({L"--title", L"Owned by hidden tool", L"--owner", L"hidden-tool"});
    auto dialog = ChildProcess::Fixture(
        {L"--title", L"Dialog of an app", L"--owner", L"normal", L"--style", L"90C80000"});
    auto tool = ChildProcess::Fixture({L"--title", L"A tool window", L"--exstyle", L"80"});
    HWND hPlain = OnlyWindow(plain, L"Plain task");
    HWND hUntitled = nullptr;
    WaitUntil([&] {
        for (HWND h : plain.Windows())
            if (WindowText(h).empty())
                hUntitled = h;
        return hUntitled != nullptr;
    });
    HWND hToolOwned = OnlyWindow(toolOwned, L"Owned by hidden tool");
    HWND hDialog = OnlyWindow(dialog, L"Dialog of an app");
    HWND hDialogOwner = OnlyWindow(dialog, L"Fixture owner");
    HWND hTool = OnlyWindow(tool, L"A tool window");
    ASSERT_TRUE(hPlain && hUntitled && hToolOwned && hDialog && hDialogOwner && hTool);

    CTaskList tasks;
    tasks.Refresh();
    EXPECT_NE(tasks.GetIndex(hPlain), 0);
    EXPECT_EQ(tasks.GetIndex(hUntitled), 0) << "a window without caption is never listed";
    long owned = tasks.GetIndex(hToolOwned);
    ASSERT_NE(owned, 0);
    EXPECT_EQ(tasks.Caption(owned), L"Fixture owner") << "caption comes from the owner";
    EXPECT_EQ(tasks.ProcessID(owned), toolOwned.Pid());
    EXPECT_EQ(tasks.GetIndex(hDialog), 0);
    EXPECT_NE(tasks.GetIndex(hDialogOwner), 0);
    EXPECT_EQ(tasks.GetIndex(hTool), 0);
    for (long i = 1; i <= tasks.Count(); ++i)
        EXPECT_FALSE(tasks.Caption(i).empty());

    // No window icon and no class icon: the mode's default icons.
    long p = tasks.GetIndex(hPlain);
    EXPECT_EQ(tasks.hIcon(p), LoadIconW(nullptr, IDI_WINLOGO));
    EXPECT_EQ(tasks.hIconSm(p), LoadIconW(nullptr, IDI_WINLOGO));
    tasks.SetMode(1);
    EXPECT_EQ(tasks.hIcon(p), LoadIconW(nullptr, IDI_APPLICATION));
}

TEST(TaskList, ModeOneListsUnownedWindowsButProgman) {
    auto toolOwned =
        ChildProcess::Fixture({L"--title", L"Owned in mode one", L"--owner", L"hidden-tool"});
    auto tool = ChildProcess::Fixture({L"--title", L"Unowned tool", L"--exstyle", L"80"});
    auto progman = ChildProcess::Fixture(
        {L"--title", L"Fake shell", L"--exstyle", L"80", L"--class", L"Progman"});
    HWND hOwned = OnlyWindow(toolOwned, L"Owned in mode one");
    HWND hTool = OnlyWindow(tool, L"Unowned tool");
    HWND hProgman = OnlyWindow(progman, L"Fake shell");
    ASSERT_TRUE(hOwned && hTool && hProgman);
    CTaskList tasks;
    tasks.SetMode(1);
    tasks.Refresh();
    EXPECT_EQ(tasks.GetIndex(hOwned), 0);
    EXPECT_NE(tasks.GetIndex(hTool), 0);
    EXPECT_EQ(tasks.GetIndex(hProgman), 0);
}

TEST(TaskList, ATitleThatGoesEmptyKeepsTheOldCaption) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Soon untitled", L"--retitle", L"600", L""});
    HWND hwnd = OnlyWindow(fixture, L"Soon untitled");
    ASSERT_NE(hwnd, nullptr);
    CTaskList tasks;
    tasks.Refresh();
    long at = tasks.GetIndex(hwnd);
    ASSERT_NE(at, 0);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(hwnd).empty(); }, 5000));
    tasks.Refresh();
    EXPECT_EQ(tasks.GetIndex(hwnd), at);
    EXPECT_EQ(tasks.Caption(at), L"Soon untitled");
}

TEST(TaskList, DestroyedWindowsGoAndTheRestMoveUpInOrder) {
    std::vector<std::unique_ptr<ChildProcess>> fixtures;
    std::vector<HWND> windows;
    for (int i = 0; i < 5; ++i) {
        std::wstring title = L"Ordered " + std::to_wstring(i);
        fixtures.push_back(
            std::make_unique<ChildProcess>(ChildProcess::Fixture({L"--title", title})));
        windows.push_back(OnlyWindow(*fixtures.back(), title));
        ASSERT_NE(windows.back(), nullptr);
    }
    CTaskList tasks;
    tasks.Refresh();
    auto before = Captions(tasks);
    long count = tasks.Count();
    long first = tasks.GetIndex(windows[1]);
    DWORD survivorPid = fixtures[3]->Pid();
    fixtures[1]->Kill();
    fixtures[2]->Kill(); // two neighbours in the table go in one refresh
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(windows[1]) && !IsWindow(windows[2]); }));
    tasks.Refresh();
    EXPECT_EQ(tasks.Count(), count - 2);
    auto after = Captions(tasks);
    std::erase(before, L"Ordered 1");
    std::erase(before, L"Ordered 2");
    EXPECT_EQ(after, before);
    EXPECT_EQ(tasks.GetIndex(windows[1]), 0);
    long moved = tasks.GetIndex(windows[3]);
    EXPECT_LE(moved, first + 2);
    EXPECT_EQ(tasks.ProcessID(moved), survivorPid);
    EXPECT_EQ(tasks.Caption(moved), L"Ordered 3");
}

TEST(TaskList, TheTwentyFirstTaskGrowsTheTableByTwenty) {
    std::vector<std::wstring> args;
    for (int i = 0; i < 21; ++i) {
        if (i)
            args.push_back(L"--window");
        args.push_back(L"--title");
        args.push_back(L"Many " + std::to_wstring(i));
    }
    auto fixture = ChildProcess::Fixture(args);
    ASSERT_TRUE(WaitUntil([&] { return fixture.Windows().size() >= 21; }));
    CTaskList tasks;
    tasks.Refresh();
    ASSERT_GE(tasks.Count(), 21);
    ASSERT_LE(tasks.Count(), 40);
    EXPECT_EQ(tasks.Slots(), 40u);
    auto captions = Captions(tasks);
    tasks.Refresh();
    EXPECT_EQ(Captions(tasks), captions) << "known entries keep their slots";
}

TEST(TaskList, ValidDropsAHiddenWindowAndIgnoresStrangers) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Will hide"});
    HWND hwnd = OnlyWindow(fixture, L"Will hide");
    ASSERT_NE(hwnd, nullptr);
    CTaskList tasks;
    tasks.Refresh();
    long count = tasks.Count();
    ASSERT_NE(tasks.GetIndex(hwnd), 0);
    EXPECT_TRUE(tasks.Valid(0, hwnd));
    EXPECT_FALSE(tasks.Valid(0, reinterpret_cast<HWND>(0x7FFF0020)));
    EXPECT_EQ(tasks.Count(), count);
    ShowWindow(hwnd, SW_HIDE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(hwnd); }));
    tasks.Refresh();
    EXPECT_NE(tasks.GetIndex(hwnd), 0) << "a refresh keeps a window that still exists";
    EXPECT_FALSE(tasks.Valid(0, hwnd));
    EXPECT_EQ(tasks.GetIndex(hwnd), 0);
    EXPECT_EQ(tasks.Count(), count - 1);

    // A window given an owner after it was first seen is no task from the next refresh on,
    // for the refresh's answer and for a fresh look alike.
    ThreadWindow owner({L"Later the owner"}), dialog({L"Owned after first sight"});
    tasks.Refresh();
    ASSERT_TRUE(tasks.ValidAtRefresh(dialog.Hwnd()));
    dialog.OnThread([&] {
        SetWindowLongPtrW(dialog.Hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner.Hwnd()));
    });
    tasks.Refresh();
    EXPECT_FALSE(tasks.ValidAtRefresh(dialog.Hwnd()));
    EXPECT_FALSE(tasks.Valid(0, dialog.Hwnd()));
}

TEST(TaskList, AHungWindowCostsAtMostTheTimeOutPerMessage) {
    ThreadWindow window({L"Hangs on request"});
    CTaskList tasks;
    tasks.SetHungTimeout(300);
    tasks.Refresh();
    long at = tasks.GetIndex(window.Hwnd());
    ASSERT_NE(at, 0);
    EXPECT_EQ(tasks.Status(at), 0);
    window.Hang();
    DWORD start = GetTickCount();
    tasks.Refresh();
    int status = tasks.Status(at);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(status, 1);
    EXPECT_EQ(tasks.Caption(at), L"Hangs on request");
    EXPECT_LT(elapsed, 3000u) << "one refresh and one status check of a hung window";
    window.Resume();
    EXPECT_TRUE(WaitUntil([&] { return tasks.Status(at) == 0; }, 5000));
}

TEST(TaskList, ATitleLengthOfTwoGigacharactersIsNotBelieved) {
    auto fixture = ChildProcess::Fixture(
        {L"--title", L"Claims a huge title", L"--text-length", L"2147483647"});
    HWND hwnd = OnlyWindow(fixture, L"Claims a huge title");
    ASSERT_NE(hwnd, nullptr);
    CTaskList tasks;
    EXPECT_NO_THROW(tasks.Refresh());
    long at = tasks.GetIndex(hwnd);
    ASSERT_NE(at, 0);
    EXPECT_EQ(tasks.Caption(at), L"Claims a huge title");
}

TEST(TaskList, ActivateBringsTheTaskForwardAndTerminateAsksItToClose) {
    auto fixture = ChildProcess::Fixture({L"--title", L"To be ended"});
    HWND hwnd = OnlyWindow(fixture, L"To be ended");
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_MINIMIZE);
    CTaskList tasks;
    tasks.Refresh();
    long at = tasks.GetIndex(hwnd);
    ASSERT_NE(at, 0);
    EXPECT_TRUE(tasks.Activate(0, hwnd));
    // The restore is the task's own thread's to carry out.
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(hwnd); }, 5000));
    EXPECT_EQ(tasks.VDM(at, nullptr), 0);
    EXPECT_TRUE(tasks.Terminate(at, nullptr, 5000));
    EXPECT_TRUE(fixture.WaitForExit(5000));
}
