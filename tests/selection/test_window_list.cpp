#include "ChildProcess.h"
#include "TestSupport.h"
#include "ThreadWindow.h"
#include "selection/CTLWindowList.h"
#include "selection/WindowRules.h"
#include "selection/frmTaskList.h"
#include "controls/Handles.h"
#include <commctrl.h>
#include <gtest/gtest.h>

using namespace merilane;
using namespace merilane::test;

namespace {

LRESULT CALLBACK ForwardNotify(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                               DWORD_PTR list) {
    if (msg == WM_NOTIFY)
        reinterpret_cast<CTLWindowList*>(list)->HandleNotify(*reinterpret_cast<NMHDR*>(lp));
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// A list on a plain window of ours, refreshed by hand (its timer is switched off).
class WindowList : public testing::Test {
  protected:
    void SetUp() override {
        parent = CreateWindowExW(0, L"STATIC", L"list host", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400,
                                 nullptr, nullptr, nullptr, nullptr);
        SetWindowSubclass(parent, ForwardNotify, 1, reinterpret_cast<DWORD_PTR>(&list));
        list.Create(parent, 5);
        list.SetTimerEnabled(false);
        list.Move(0, 0, 580, 360);
    }
    void TearDown() override { DestroyWindow(parent); }

    std::wstring Key(HWND h) { return CTLWindowList::RowKey(h); }
    HWND parent = nullptr;
    CTLWindowList list;
};

} // namespace

TEST_F(WindowList, RowsFollowTheDesktopInPlace) {
    auto fixture = ChildProcess::Fixture(
        {L"--title", L"Listed first", L"--retitle", L"1500", L"Listed, renamed"});
    auto other = ChildProcess::Fixture({L"--title", L"Listed second"});
    HWND h1 = fixture.WaitForWindow(L"Listed first"), h2 = other.WaitForWindow(L"Listed second");
    ASSERT_TRUE(h1 && h2);
    list.RefreshTaskList();
    auto& rows = list.ListView1;
    ASSERT_TRUE(rows.Contains(Key(h1)));
    ASSERT_TRUE(rows.Contains(Key(h2)));
    EXPECT_EQ(Key(h1), L"h" + HexKey(h1));
    EXPECT_EQ(rows.Text(Key(h1)), L"Listed first");
    EXPECT_EQ(rows.Text(Key(h1), 1), L"Running");
    EXPECT_EQ(rows.Text(Key(h1), 2), std::to_wstring(HandleValue(h1)));
    EXPECT_EQ(rows.SmallIcon(Key(h1)), Key(h1));
    EXPECT_EQ(CTLWindowList::HandleOfRowKey(Key(h1)), h1);

    int position = rows.Find(Key(h1));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(h1) == L"Listed, renamed"; }, 5000));
    long writes = rows.CellWrites();
    list.RefreshTaskList();
    EXPECT_EQ(rows.Text(Key(h1)), L"Listed, renamed");
    EXPECT_EQ(rows.Find(Key(h1)), position);
    EXPECT_EQ(rows.CellWrites(), writes + 1) << "only the changed caption is written";

    // Nothing changed: nothing is written.
    writes = rows.CellWrites();
    list.RefreshTaskList();
    EXPECT_EQ(rows.CellWrites(), writes);

    // A window the user's rules keep out is not offered, and is again once they let it be.
    Rules() = {
        {L"out", true, {}, {}, {MatchKind::StartsWith, L"listed SECOND"}, RuleAction::Exclude}};
    list.RefreshTaskList();
    Rules().clear();
    EXPECT_FALSE(rows.Contains(Key(h2)));
    EXPECT_TRUE(rows.Contains(Key(h1)));
    list.RefreshTaskList();
    EXPECT_TRUE(rows.Contains(Key(h2)));

    // A selected window that goes takes the selection with it.
    rows.SetSelected(Key(h2), true);
    ShowWindow(h2, SW_HIDE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(h2); }));
    list.RefreshTaskList();
    EXPECT_FALSE(rows.Contains(Key(h2)));
    EXPECT_TRUE(rows.SelectedKeys().empty());
}

TEST_F(WindowList, TheProgramsOwnWindowsNeverShow) {
    ThreadWindow own({L"One of our own"});
    ChildProcess product(ChildProcess::BinDir() + L"\\merilane.exe", {});
    HWND container = product.WaitForWindow(L"Main menu - Merilane 0.2.156 (beta) ", 20000);
    ASSERT_NE(container, nullptr);
    auto fixture = ChildProcess::Fixture({L"--title", L"Somebody else"});
    HWND foreign = fixture.WaitForWindow(L"Somebody else");
    list.RefreshTaskList();
    EXPECT_TRUE(list.ListView1.Contains(Key(foreign)));
    EXPECT_FALSE(list.ListView1.Contains(Key(own.Hwnd())));
    EXPECT_FALSE(list.ListView1.Contains(Key(container)));
    EXPECT_NE(list.Tasks.GetIndex(own.Hwnd()), 0) << "the task list itself does see it";
    EXPECT_TRUE(CTLWindowList::IsOwnExecutable(L"MERILANE.EXE"));
    EXPECT_FALSE(CTLWindowList::IsOwnExecutable(L"notepad.exe"));
    EXPECT_FALSE(CTLWindowList::IsOwnExecutable(L""));
}

TEST_F(WindowList, HungWindowsShowNotRespondingAndComeBack) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Hangs a while"});
    HWND hwnd = fixture.WaitForWindow(L"Hangs a while");
    ASSERT_NE(hwnd, nullptr);
    list.RefreshTaskList();
    std::wstring key = Key(hwnd);
    ASSERT_EQ(list.ListView1.Text(key, 1), L"Running");
    const UINT hangNow = WM_APP + 77;
    HangFixtureOn(hwnd, hangNow, 60000);
    PostMessageW(hwnd, hangNow, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return FixtureHangs(hwnd); }, 5000));
    long writes = list.ListView1.CellWrites();
    DWORD start = GetTickCount();
    list.RefreshTaskList();
    DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(list.ListView1.Text(key, 1), L"Not Responding");
    EXPECT_EQ(list.ListView1.CellWrites(), writes + 1);
    EXPECT_LT(elapsed, 2500u) << "a hung window costs its time-outs, no more";
    list.RefreshTaskList();
    EXPECT_EQ(list.ListView1.CellWrites(), writes + 1) << "the same state is not written again";
    EXPECT_TRUE(FixtureHangs(hwnd));
    EndFixtureHang(hwnd);
    ASSERT_TRUE(WaitUntil(
        [&] {
            list.RefreshTaskList();
            return list.ListView1.Text(key, 1) == L"Running";
        },
        10000));
    EXPECT_EQ(list.ListView1.CellWrites(), writes + 2);
}

TEST_F(WindowList, GetWindowsGivesTheSelectionInListOrder) {
    auto a = ChildProcess::Fixture({L"--title", L"Pick A", L"--window", L"--title", L"Pick B",
                                    L"--window", L"--title", L"Pick C"});
    ASSERT_TRUE(WaitUntil([&] { return a.Windows().size() == 3; }));
    list.RefreshTaskList();
    list.ListView1.ClearSelection();
    EXPECT_TRUE(list.GetWindows().empty());
    std::vector<std::wstring> keys;
    for (int row = 1; row <= list.ListView1.Count(); ++row) {
        std::wstring key = list.ListView1.KeyAt(row);
        DWORD pid = 0;
        GetWindowThreadProcessId(CTLWindowList::HandleOfRowKey(key), &pid);
        if (pid == a.Pid()) {
            list.ListView1.SetSelected(key, true);
            keys.push_back(key);
        }
    }
    ASSERT_EQ(keys.size(), 3u);
    auto picked = list.GetWindows();
    ASSERT_EQ(picked.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(picked[i].first, keys[i]);
        EXPECT_EQ(picked[i].second.hWnd, CTLWindowList::HandleOfRowKey(keys[i]));
        EXPECT_EQ(picked[i].second.PID, a.Pid());
    }
    EXPECT_TRUE(list.Timer1.Enabled()) << "GetWindows leaves the timer on";
}

TEST_F(WindowList, DoubleClickWithoutSelectionPassesAnUnloadedWindow) {
    bool raised = false;
    HWND passed = reinterpret_cast<HWND>(1);
    list.MouseDoubleClick = [&](CWindow& w) {
        raised = true;
        passed = w.hWnd;
    };
    list.ListView1.ClearSelection();
    SendMessageW(list.ListView1.hWnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(570, 350));
    Pump(50);
    EXPECT_TRUE(raised);
    EXPECT_EQ(passed, nullptr);
}

namespace {

// Acts on the picker from inside its modal loop, as a user would.
struct PickerScript {
    std::function<void(frmTaskList&)> act;
    frmTaskList* picker = nullptr;
    static inline PickerScript* current = nullptr;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        auto* self = current;
        if (!self || !self->picker->Visible())
            return;
        KillTimer(nullptr, id);
        self->act(*self->picker);
    }
};

bool RunPicker(frmTaskList& picker, std::function<void(frmTaskList&)> act) {
    PickerScript script{std::move(act), &picker};
    PickerScript::current = &script;
    SetTimer(nullptr, 0, 100, PickerScript::Tick);
    picker.ShowModal();
    PickerScript::current = nullptr;
    return picker.Cancelled;
}

// A key pressed (unless `pressedHere` is false) and released on the target, the release
// going through the picker's modal loop as the user's would.
void Key(HWND target, UINT key, bool pressedHere = true) {
    if (pressedHere)
        SendMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 1 | (3u << 30));
}

void SelectRowOf(frmTaskList& picker, HWND hwnd) {
    picker.CTLWindowList1.RefreshTaskList();
    picker.CTLWindowList1.ListView1.ClearSelection();
    picker.CTLWindowList1.ListView1.SetSelected(CTLWindowList::RowKey(hwnd), true);
}

} // namespace

TEST(WindowPicker, OkEnterAndDoubleClickAccept) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Pickable"});
    HWND hwnd = fixture.WaitForWindow(L"Pickable");
    ASSERT_NE(hwnd, nullptr);
    {
        frmTaskList picker;
        EXPECT_FALSE(RunPicker(picker, [&](frmTaskList& p) {
            EXPECT_EQ(WindowText(p.ExistingHwnd()), L"Select a window");
            p.CTLWindowList1.ListView1.ClearSelection();
            SendMessageW(p.ExistingHwnd(), WM_COMMAND, IDOK, 0);
        }));
        EXPECT_TRUE(picker.GetWindows().empty());
        picker.Unload();
    }
    {
        frmTaskList picker;
        EXPECT_FALSE(RunPicker(picker, [&](frmTaskList& p) {
            SelectRowOf(p, hwnd);
            // The release of the Enter that opened the picker from the menu accepts nothing;
            // a Cancel afterwards shows that the picker was still open.
            Key(p.CTLWindowList1.ListView1.hWnd(), VK_RETURN, false);
            Key(p.ExistingHwnd(), VK_RETURN, false);
            Pump(200);
            EXPECT_TRUE(p.Visible());
            Key(p.CTLWindowList1.ListView1.hWnd(), VK_RETURN);
        }));
        auto picked = picker.GetWindows();
        ASSERT_EQ(picked.size(), 1u);
        EXPECT_EQ(picked[0].second.hWnd, hwnd);
        picker.Unload();
    }
    {
        frmTaskList picker;
        EXPECT_FALSE(RunPicker(picker, [&](frmTaskList& p) {
            SelectRowOf(p, hwnd);
            NMHDR header{p.CTLWindowList1.ListView1.hWnd(), frmTaskList::kListId,
                         static_cast<UINT>(NM_DBLCLK)};
            SendMessageW(p.ExistingHwnd(), WM_NOTIFY, frmTaskList::kListId,
                         reinterpret_cast<LPARAM>(&header));
        }));
        ASSERT_EQ(picker.GetWindows().size(), 1u);
        picker.Unload();
    }
}

TEST(WindowPicker, EscapeCancelAndTheCloseBoxCancel) {
    auto act = std::vector<std::function<void(frmTaskList&)>>{
        [](frmTaskList& p) { Key(p.CTLWindowList1.ListView1.hWnd(), VK_ESCAPE); },
        [](frmTaskList& p) { Key(p.ExistingHwnd(), VK_ESCAPE); },
        [](frmTaskList& p) { SendMessageW(p.ExistingHwnd(), WM_COMMAND, IDCANCEL, 0); },
        [](frmTaskList& p) { PostMessageW(p.ExistingHwnd(), WM_CLOSE, 0, 0); },
    };
    for (size_t i = 0; i < act.size(); ++i) {
        frmTaskList picker;
        EXPECT_TRUE(RunPicker(picker, act[i])) << "way " << i;
        picker.Unload();
    }
}
