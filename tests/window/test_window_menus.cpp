#include "ChildProcess.h"
#include "TestSupport.h"
#include "WindowTesting.h"
#include "ThreadWindow.h"
#include "controls/Error.h"
#include "window/CWindow.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>

using namespace merilane;
using namespace merilane::test;

namespace {


struct Item {
    UINT id;
    UINT state;
    UINT type;
    bool operator==(const Item&) const = default;
};

std::vector<Item> Items(HMENU menu) {
    std::vector<Item> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW info{sizeof(info)};
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        items.push_back({info.wID, info.fState, info.fType});
    }
    return items;
}

int PositionOf(HMENU menu, UINT id) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuItemID(menu, i) == id)
            return i;
    return -1;
}

bool IsGrey(HMENU menu, int position) {
    return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_GRAYED) != 0;
}

std::wstring ItemText(HMENU menu, int position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
    return text;
}

struct MenuSearch {
    DWORD tid;
    HWND found;
};
BOOL CALLBACK FindMenuWindow(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<MenuSearch*>(lp);
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (std::wstring(cls) == L"#32768" && IsWindowVisible(hwnd) &&
        GetWindowThreadProcessId(hwnd, nullptr) == s->tid) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
HWND OpenMenuOf(const ThreadWindow& owner) {
    MenuSearch s{owner.ThreadId(), nullptr};
    EnumWindows(FindMenuWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

} // namespace

TEST(CWindowMenuRules, DisabledIdsLoseBit15AndAreFoundInEitherForm) {
    EXPECT_EQ(MarkedMenuId(SC_CLOSE, false), 0x7060u);
    EXPECT_EQ(MarkedMenuId(SC_CLOSE, true), 0xF060u);
    EXPECT_TRUE(MenuIdMatches(0xF060, SC_CLOSE));
    EXPECT_TRUE(MenuIdMatches(0x7060, SC_CLOSE));
    EXPECT_FALSE(MenuIdMatches(0xF060, 0x7060)); // the marked id does not stand for the original

    EXPECT_EQ(MakeLParam(120, 300), 120 * 65536 + 300);
    EXPECT_EQ(MakeLParam(2, -1), 2 * 65536 + 0xFFFF);
    EXPECT_EQ(ShortCoordinate(-32768), -32768);
    for (LONG outside : {32768L, -32769L}) {
        try {
            ShortCoordinate(outside);
            ADD_FAILURE() << outside << " must overflow";
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), kOverflow);
        }
    }
}

TEST(CWindowMenus, DisablingCloseGreysItAndClearsBit15AndEnablingRestores) {
    ThreadWindow owner({L"Menu owner"});
    CWindow w = Loaded(owner.Hwnd());
    HMENU menu = w.GetSysMenuHandle();
    ASSERT_NE(menu, nullptr);
    int close = PositionOf(menu, SC_CLOSE);
    ASSERT_GE(close, 0);
    UINT defaultBefore = GetMenuState(menu, close, MF_BYPOSITION) & MFS_DEFAULT;
    ASSERT_NE(defaultBefore, 0u); // Close is the default command of a system menu

    w.EnableMenuItem(SC_CLOSE, false);
    EXPECT_EQ(GetMenuItemID(menu, close), 0x7060u);
    EXPECT_TRUE(IsGrey(menu, close));
    EXPECT_EQ(PositionOf(menu, SC_CLOSE), -1);

    // Disabling again finds the item by its marked id and leaves it as it is.
    w.DisableMenuItem(SC_CLOSE);
    EXPECT_EQ(GetMenuItemID(menu, close), 0x7060u);

    w.EnableMenuItem(SC_CLOSE, true);
    EXPECT_EQ(GetMenuItemID(menu, close), 0xF060u);
    EXPECT_FALSE(IsGrey(menu, close));
    EXPECT_EQ(GetMenuState(menu, close, MF_BYPOSITION) & MFS_DEFAULT, defaultBefore);
    EXPECT_EQ(ItemText(menu, close).rfind(L"&Close", 0), 0u) << ItemText(menu, close).c_str();
}

TEST(CWindowMenus, CaptureCommandsRoundTripAndUnknownIdsChangeNothing) {
    ThreadWindow owner({L"Capture commands"});
    CWindow w = Loaded(owner.Hwnd());
    HMENU menu = w.GetSysMenuHandle();
    ASSERT_NE(menu, nullptr);
    const std::vector<Item> before = Items(menu);

    for (UINT id : {0x1234u, 0u + SC_TASKLIST, 0x7060u}) {
        w.EnableMenuItem(id, false);
        w.EnableMenuItem(id, true);
        w.RemoveMenuItem(id);
        EXPECT_EQ(Items(menu), before) << std::hex << id;
    }

    const UINT captured[] = {SC_MAXIMIZE, SC_MINIMIZE, SC_MOVE, SC_RESTORE, SC_SIZE};
    for (UINT id : captured)
        w.DisableMenuItem(id);
    for (UINT id : captured) {
        int at = PositionOf(menu, id & ~0x8000u);
        ASSERT_GE(at, 0) << std::hex << id;
        EXPECT_TRUE(IsGrey(menu, at));
    }
    EXPECT_FALSE(w.Moveable());
    for (UINT id : captured)
        w.EnableMenuItem(id, true);
    std::vector<Item> after = Items(menu);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].id, before[i].id) << i;
        bool wasCaptured =
            std::find(std::begin(captured), std::end(captured), before[i].id) != std::end(captured);
        if (wasCaptured)
            EXPECT_EQ(after[i].state & MFS_GRAYED, 0u) << i;
        else
            EXPECT_EQ(after[i].state, before[i].state) << i;
    }
    EXPECT_TRUE(w.Moveable());
}

std::vector<UINT> Ids(HMENU menu) {
    std::vector<UINT> ids;
    for (const Item& item : Items(menu))
        ids.push_back(item.id);
    return ids;
}

TEST(CWindowMenus, RemovingCloseTakesItsSeparatorOtherItemsGoAlone) {
    ThreadWindow owner({L"Remove items"});
    CWindow w = Loaded(owner.Hwnd());
    HMENU menu = w.GetSysMenuHandle();
    ASSERT_NE(menu, nullptr);
    std::vector<UINT> expected = Ids(menu);
    int close = PositionOf(menu, SC_CLOSE);
    ASSERT_GT(close, 0);
    ASSERT_TRUE(GetMenuState(menu, close - 1, MF_BYPOSITION) & MF_SEPARATOR);

    w.RemoveMenuItem(SC_MOVE);
    expected.erase(std::find(expected.begin(), expected.end(), SC_MOVE));
    EXPECT_EQ(Ids(menu), expected);

    // Greyed first: Close is found by its marked id.
    w.DisableMenuItem(SC_CLOSE);
    w.RemoveMenuItem(SC_CLOSE);
    auto at = std::find(expected.begin(), expected.end(), SC_CLOSE);
    expected.erase(at - 1, at + 1);
    EXPECT_EQ(Ids(menu), expected);
}

TEST(CWindowMenus, CloseWithoutSeparatorAboveLeavesTheItemAboveAlone) {
    ThreadWindow owner({L"No separator"});
    CWindow w = Loaded(owner.Hwnd());
    HMENU menu = w.GetSysMenuHandle();
    ASSERT_NE(menu, nullptr);
    int close = PositionOf(menu, SC_CLOSE);
    ASSERT_GT(close, 1);
    ASSERT_TRUE(RemoveMenu(menu, close - 1, MF_BYPOSITION));
    std::vector<UINT> expected = Ids(menu);
    expected.erase(std::find(expected.begin(), expected.end(), SC_CLOSE));

    w.RemoveMenuItem(SC_CLOSE);
    EXPECT_EQ(Ids(menu), expected);
}

TEST(CWindowMenus, AddedItemsTakeTheCountPlus1000) {
    ThreadWindow owner({L"Add items"});
    CWindow w = Loaded(owner.Hwnd());
    HMENU menu = w.GetSysMenuHandle();
    ASSERT_NE(menu, nullptr);
    // Seven items on Windows; Wine adds a separator and "About Wine".
    const int n = GetMenuItemCount(menu);
    ASSERT_GE(n, 7);
    const UINT first = static_cast<UINT>(n + 1000);

    EXPECT_EQ(w.AddMenuItem(5, L"Not added", nullptr), first);
    EXPECT_EQ(GetMenuItemCount(menu), n);

    EXPECT_EQ(w.AddMenuItem(MF_STRING, L"Extra command", nullptr), first);
    ASSERT_EQ(GetMenuItemCount(menu), n + 1);
    EXPECT_EQ(GetMenuItemID(menu, n), first);
    EXPECT_EQ(ItemText(menu, n), L"Extra command");

    EXPECT_EQ(w.AddMenuItem(MF_SEPARATOR, L"ignored", nullptr), first + 1);
    ASSERT_EQ(GetMenuItemCount(menu), n + 2);
    EXPECT_TRUE(GetMenuState(menu, n + 1, MF_BYPOSITION) & MF_SEPARATOR);

    HMENU sub = CreatePopupMenu();
    AppendMenuW(sub, MF_STRING, 42, L"Inner");
    EXPECT_EQ(w.AddMenuItem(MF_POPUP, L"More", sub), first + 2);
    ASSERT_EQ(GetMenuItemCount(menu), n + 3);
    EXPECT_EQ(GetSubMenu(menu, n + 2), sub);
    EXPECT_EQ(ItemText(menu, n + 2), L"More");
    // The sub-menu now belongs to the system menu and goes with it.
}

TEST(CWindowMenus, ItemStateMoveableAndSizeable) {
    ThreadWindow owner({L"Move and size"});
    CWindow w = Loaded(owner.Hwnd());
    HMENU menu = w.GetSysMenuHandle();
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(w.GetMenuItemState(-1));
    EXPECT_FALSE(w.GetMenuItemState(99));
    int move = PositionOf(menu, SC_MOVE);
    ASSERT_GE(move, 0);
    EXPECT_FALSE(w.GetMenuItemState(move));
    EXPECT_TRUE(w.Moveable());
    w.SetMoveable(false);
    EXPECT_TRUE(w.GetMenuItemState(move));
    EXPECT_FALSE(w.Moveable());
    w.SetMoveable(true);
    EXPECT_TRUE(w.Moveable());

    EXPECT_TRUE(w.Sizeable());
    w.SetSizeable(false);
    EXPECT_FALSE(StyleOf(owner.Hwnd()) & WS_THICKFRAME);
    EXPECT_FALSE(w.Sizeable());
    int size = PositionOf(menu, SC_SIZE & ~0x8000u);
    ASSERT_GE(size, 0);
    EXPECT_TRUE(IsGrey(menu, size));
    w.SetSizeable(true);
    EXPECT_TRUE(StyleOf(owner.Hwnd()) & WS_THICKFRAME);
    EXPECT_EQ(PositionOf(menu, SC_SIZE), size);
    EXPECT_FALSE(IsGrey(menu, size));

    ThreadWindow bare(ThreadWindow::Options{L"No system menu", WS_POPUP | WS_VISIBLE});
    EXPECT_TRUE(Loaded(bare.Hwnd()).Moveable());
    CWindow none;
    EXPECT_TRUE(none.Moveable());
    EXPECT_EQ(none.GetSysMenuHandle(), nullptr);
    none.EnableMenuItem(SC_CLOSE, false); // nothing to change, nothing to fail
    none.RemoveMenuItem(SC_CLOSE);
}

TEST(CWindowMenus, SystemMenuPopsUpAtThePointerAndGreyItemsStayGrey) {
    ThreadWindow owner({L"Pop-up menu"});
    CWindow w = Loaded(owner.Hwnd());
    HMENU menu = w.GetSysMenuHandle();
    ASSERT_NE(menu, nullptr);
    int move = PositionOf(menu, SC_MOVE);
    ASSERT_GE(move, 0);
    // The window is not maximised, so the system would enable Move when it prepares the menu.
    w.DisableMenuItem(SC_MOVE);
    ASSERT_TRUE(SetCursorPos(300, 160));

    DWORD start = GetTickCount();
    w.ShowSystemMenu();
    DWORD took = GetTickCount() - start;
    HWND popup = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (popup = OpenMenuOf(owner)) != nullptr; }, 3000));
    EXPECT_LT(took, 2000u);
    if (popup) {
        RECT r{};
        GetWindowRect(popup, &r);
        EXPECT_EQ(r.left, 300);
        EXPECT_EQ(r.top, 160);
    }
    EXPECT_TRUE(IsGrey(menu, move));
    owner.OnThread([] { EndMenu(); });
    EXPECT_TRUE(WaitUntil([&] { return OpenMenuOf(owner) == nullptr; }, 3000));
}

TEST(CWindowMenus, AnotherProcesssMenuIsLeftAloneWhereItCannotBeReached) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Foreign menu"});
    HWND hwnd = fixture.WaitForWindow(L"Foreign menu");
    ASSERT_NE(hwnd, nullptr);
    CWindow w = Loaded(hwnd);
    HMENU menu = w.GetSysMenuHandle();
    if (!menu) {
        // Wine: no menu of another process can be reached; every operation is a no-op.
        w.DisableMenuItem(SC_CLOSE);
        w.RemoveMenuItem(SC_CLOSE);
        EXPECT_TRUE(w.Moveable());
        EXPECT_FALSE(w.GetMenuItemState(0));
        EXPECT_EQ(w.AddMenuItem(MF_STRING, L"Nowhere", nullptr), 999u);
        EXPECT_TRUE(IsWindow(hwnd));
        return;
    }
    // Windows: the same round trip as on a window of this process.
    int close = PositionOf(menu, SC_CLOSE);
    ASSERT_GE(close, 0);
    w.DisableMenuItem(SC_CLOSE);
    EXPECT_EQ(GetMenuItemID(menu, close), 0x7060u);
    w.EnableMenuItem(SC_CLOSE, true);
    EXPECT_EQ(GetMenuItemID(menu, close), 0xF060u);
}
