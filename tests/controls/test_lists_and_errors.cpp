#include "TestSupport.h"
#include "controls/CImageList.h"
#include "controls/CListView.h"
#include "controls/CMenuBar.h"
#include "controls/CTimer.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "controls/Text.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <thread>

using namespace merilane;
using namespace merilane::test;

TEST(ListView, RowsAreKeyedAndKeysAreUnique) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"list parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                  nullptr, nullptr, nullptr, nullptr);
    CListView list;
    list.Create(parent, 3, true);
    list.AddColumn(L"Title", 2000);
    list.AddColumn(L"Status", 1000);
    EXPECT_EQ(list.Add(L"h1A2B", L"first"), 1);
    EXPECT_EQ(list.Add(L"h3C", L"second"), 2);
    try {
        list.Add(L"h1A2B", L"again");
        ADD_FAILURE() << "a duplicate key must fail";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), kKeyNotUnique);
    }
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(ListView_GetItemCount(list.hWnd()), 2);
    EXPECT_EQ(list.Find(L"h3C"), 2);
    EXPECT_EQ(list.Find(L"hFF"), 0);

    list.SetText(L"h3C", 1, L"Not Responding");
    EXPECT_EQ(list.Text(L"h3C", 1), L"Not Responding");
    wchar_t cell[64] = {};
    ListView_GetItemText(list.hWnd(), 1, 1, cell, 64);
    EXPECT_EQ(std::wstring(cell), L"Not Responding");
    list.SetTag(L"h1A2B", L"6699");
    EXPECT_EQ(list.Tag(L"h1A2B"), L"6699");

    list.SetSelected(L"h1A2B", true);
    list.SetSelected(L"h3C", true);
    EXPECT_EQ(list.SelectedKeys(), (std::vector<std::wstring>{L"h1A2B", L"h3C"}));
    list.ClearSelection();
    EXPECT_TRUE(list.SelectedKeys().empty());

    list.Remove(L"h1A2B");
    EXPECT_EQ(list.Find(L"h3C"), 1);
    EXPECT_EQ(list.KeyAt(1), L"h3C");
    try {
        list.Remove(L"h1A2B");
        ADD_FAILURE() << "removing a missing row must fail";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), kElementNotFound);
    }
    DestroyWindow(parent);
}

TEST(ListView, ItsImagesOutliveItAndAreTheImageListsToFree) {
    CImageList images;
    images.Add(LoadIconW(nullptr, IDI_APPLICATION), L"a");
    HIMAGELIST handle = images.Handle();
    {
        HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                      nullptr, nullptr, nullptr, nullptr);
        CListView list;
        list.Create(parent, 3, false);
        list.SetSmallIcons(&images);
        DestroyWindow(parent); // the list view goes with its parent
    }
    EXPECT_EQ(ImageList_GetImageCount(handle), 1) << "the list view destroyed a list it shares";
    EXPECT_EQ(images.Add(LoadIconW(nullptr, IDI_WINLOGO), L"b"), 2);
}

TEST(MenuBar, HiddenItemsTakeTheirSubtreeAlongAndChecksStay) {
    CMenuBar menu({{1, 101, L"file", L"File"},
                   {2, 102, L"new", L"New tab"},
                   {2, 103, L"hideme", L"Hidden"},
                   {3, 104, L"inner", L"Inner"},
                   {2, 105, L"opt", L"Option", true},
                   {1, 106, L"help", L"Help"}});
    HMENU file = GetSubMenu(menu.Handle(), 0);
    EXPECT_EQ(GetMenuItemCount(file), 3);
    menu.SetVisible(L"hideme", false);
    file = GetSubMenu(menu.Handle(), 0);
    EXPECT_EQ(GetMenuItemCount(file), 2);
    EXPECT_EQ(GetMenuState(menu.Handle(), menu.CommandId(L"inner"), MF_BYCOMMAND), 0xFFFFFFFFu);
    EXPECT_TRUE(GetMenuState(file, menu.CommandId(L"opt"), MF_BYCOMMAND) & MF_CHECKED);
    menu.SetChecked(L"opt", false);
    EXPECT_FALSE(GetMenuState(file, menu.CommandId(L"opt"), MF_BYCOMMAND) & MF_CHECKED);
    menu.SetEnabled(L"new", false);
    EXPECT_TRUE(GetMenuState(file, menu.CommandId(L"new"), MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_NE(GetMenuState(file, 102, MF_BYCOMMAND), 0xFFFFFFFFu) << "the item has its given id";
    EXPECT_EQ(menu.NameOf(106), L"help");
    EXPECT_EQ(menu.NameOf(1), L"");
    EXPECT_THROW(menu.Checked(L"nothing"), Error);
}

TEST(Timer, TicksOnThisThreadAndStopsWhenDisabled) {
    int ticks = 0;
    DWORD thread = 0;
    CTimer timer(10, [&] {
        ++ticks;
        thread = GetCurrentThreadId();
    });
    Pump(100);
    EXPECT_EQ(ticks, 0); // created disabled
    timer.SetEnabled(true);
    EXPECT_TRUE(WaitUntil([&] { return ticks >= 3; }, 3000));
    EXPECT_EQ(thread, GetCurrentThreadId());
    timer.SetEnabled(false);
    int stopped = ticks;
    Pump(150);
    EXPECT_EQ(ticks, stopped);
    EXPECT_EQ(timer.Ticks(), static_cast<unsigned long long>(stopped));
}

TEST(Timer, AHandlerThatPumpsIsNotEnteredAgain) {
    int depth = 0, deepest = 0, ticks = 0;
    CTimer timer(5);
    timer.OnTick([&] {
        ++ticks;
        deepest = std::max(deepest, ++depth);
        Pump(40);
        --depth;
    });
    timer.SetEnabled(true);
    EXPECT_TRUE(WaitUntil([&] { return ticks >= 3; }, 3000));
    timer.SetEnabled(false);
    EXPECT_EQ(deepest, 1);
}

namespace {

BOOL CALLBACK MatchInputBox(HWND hwnd, LPARAM lp) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (std::wstring(cls) == L"MerilaneInputBox" && IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindInputBox() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), MatchInputBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Answers the input box from inside its own modal loop, as typed keys would.
struct InputBoxAnswer {
    std::wstring typed;
    int button;
    std::wstring prompt, initial;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        HWND box = FindInputBox();
        if (!box)
            return;
        KillTimer(nullptr, id);
        auto* self = current;
        self->prompt = WindowText(GetDlgItem(box, 100));
        self->initial = WindowText(GetDlgItem(box, 101));
        SetWindowTextW(GetDlgItem(box, 101), self->typed.c_str());
        SendMessageW(box, WM_COMMAND, MAKEWPARAM(self->button, BN_CLICKED), 0);
    }
    static inline InputBoxAnswer* current = nullptr;
};

} // namespace

TEST(InputBox, ReturnsTheAnswerAsTypedOrNothingOnCancel) {
    InputBoxAnswer ok{L"  %t (mine) ", IDOK};
    InputBoxAnswer::current = &ok;
    SetTimer(nullptr, 0, 50, InputBoxAnswer::Tick);
    auto answer = InputBox(L"Title now\r\n\r\n%t is the active caption", L"Change caption", L"%t");
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, L"  %t (mine) ");
    EXPECT_EQ(ok.prompt, L"Title now\r\n\r\n%t is the active caption");
    EXPECT_EQ(ok.initial, L"%t");

    InputBoxAnswer cancel{L"ignored", IDCANCEL};
    InputBoxAnswer::current = &cancel;
    SetTimer(nullptr, 0, 50, InputBoxAnswer::Tick);
    EXPECT_FALSE(InputBox(L"prompt", L"Change caption", L"x").has_value());
}

TEST(Text, ReplaceAllAndTrim) {
    EXPECT_EQ(ReplaceAll(L"%t-%t", L"%t", L"%t%t"), L"%t%t-%t%t");
    EXPECT_EQ(ReplaceAll(L"abc", L"", L"x"), L"abc");
    EXPECT_EQ(Trim(L"   "), L"");
    EXPECT_EQ(Trim(L"  a b  "), L"a b");
    EXPECT_EQ(FromUtf8(ToUtf8(L"\u0627\U0001F600")), L"\u0627\U0001F600");
}
