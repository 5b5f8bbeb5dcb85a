// Tabs and windows moved with the mouse, driven from outside as a user would.
#include "EndToEnd.h"
#include <algorithm>

using namespace merilane;
using namespace merilane::test;

namespace {

std::vector<std::wstring> Captions(const std::vector<HWND>& windows) {
    std::vector<std::wstring> captions;
    for (HWND w : windows)
        captions.push_back(w ? WindowText(w) : L"Main menu");
    return captions;
}

POINT Centre(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool InMoveLoop(HWND window) {
    GUITHREADINFO info{sizeof(info)};
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
           info.hwndMoveSize == window;
}

} // namespace

TEST_F(EndToEnd, TabsMoveByDragAndMenuAndLeaveByMiddleClickOrDragOutWithTheirText) {
    std::vector<HWND> trio = Trio(L"Dragged", true);
    RECT before[3]{};
    for (int i = 0; i < 3; ++i)
        GetWindowRect(trio[i], &before[i]);
    Start();
    Pick(trio);
    ASSERT_TRUE(WaitUntil([&] { return Tabs() == 4; }, 15000));
    HWND a = listOrder[0], b = listOrder[1], c = listOrder[2];
    RECT aBefore = before[std::find(trio.begin(), trio.end(), a) - trio.begin()];
    TypeInto(EditOf(a), L"kept");
    auto order = [&](std::vector<HWND> tabs) {
        return WaitUntil([&] { return RemoteTabCaptions(strip) == Captions(tabs); }, 5000);
    };
    // Tab 2 two places right: it ends last, still selected, its window the one shown. (Tabs
    // are measured once their captions, which set their widths, are in.)
    ASSERT_TRUE(order({nullptr, a, b, c}));
    RECT last = TabRect(strip, 3);
    DragPointer({Centre(TabRect(strip, 1)), {last.right - 3, Centre(last).y}});
    EXPECT_TRUE(order({nullptr, b, c, a}));
    EXPECT_TRUE(WaitUntil([&] { return ActiveTab() == 4 && IsWindowVisible(ParentOf(a)); }, 5000))
        << ActiveTab();
    // CTRL + digit follows the new order (the bindings come with the watch's first tick).
    EXPECT_TRUE(WaitUntil(
        [&] {
            SendKeys({VK_CONTROL, '2'});
            return WaitUntil([&] { return ActiveTab() == 2 && IsWindowVisible(ParentOf(b)); }, 400);
        },
        5000));
    Command(L"moveLeft");
    EXPECT_TRUE(order({b, nullptr, c, a}));
    Command(L"moveRight");
    Command(L"moveRight");
    EXPECT_TRUE(order({nullptr, c, b, a}));
    EXPECT_EQ(ActiveTab(), 3);

    // A middle click releases, as "Release" does; on the intro screen's tab it does nothing.
    for (int tab : {0, 1})
        for (DWORD button : {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP})
            SendPointer(Centre(TabRect(strip, tab)), button);
    ASSERT_TRUE(order({nullptr, b, a}));
    ExpectReleased(c);

    // Out of the container: at the drop point, as big as before capture, in front, text whole.
    // The tab before it goes in mid-drag, its window closed by its program: nothing else moves.
    RECT box{};
    GetWindowRect(container, &box);
    POINT drop{box.right + 40 < 1200 ? box.right + 40 : box.left - 80, box.top + 30};
    DragPointer({Centre(TabRect(strip, 2)), drop}, false, [&] {
        PostMessageW(b, WM_CLOSE, 0, 0);
        return WaitUntil([&] { return Tabs() == 2; }, 3000);
    });
    ASSERT_TRUE(WaitUntil([&] { return ParentOf(a) == GetDesktopWindow() && Tabs() == 1; }, 10000))
        << "tabs: " << Tabs() << ", out: " << (ParentOf(a) == GetDesktopWindow());
    RECT after{};
    EXPECT_TRUE(WaitUntil([&] { return GetWindowRect(a, &after) && after.left == drop.x; }, 5000));
    EXPECT_EQ(after.top, drop.y);
    EXPECT_TRUE(after.right - after.left == aBefore.right - aBefore.left &&
                after.bottom - after.top == aBefore.bottom - aBefore.top);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == a; }, 5000));
    EXPECT_EQ(ControlText(EditOf(a)), L"kept");
}

TEST_F(EndToEnd, AWindowDraggedOntoTheTabsGoesInAtTheMarkAndNowhereElse) {
    std::vector<HWND> trio = Trio(L"Dropped", true);
    Start();
    Pick({trio[0]});
    ASSERT_TRUE(WaitUntil([&] { return Tabs() == 2; }, 15000));
    HWND dropped = trio[1], passing = trio[2];
    // Both beside the container, where their captions can be taken.
    RECT box{};
    GetWindowRect(container, &box);
    SetWindowPos(dropped, HWND_TOP, box.right + 10, 100, 300, 200, SWP_SHOWWINDOW);
    SetWindowPos(passing, HWND_TOP, box.right + 10, 400, 300, 200, SWP_SHOWWINDOW);
    auto home = [&](HWND w) { return ParentOf(w) == GetDesktopWindow() && !IsZoomed(w); };
    auto gapAfterIntro = [&] {
        return POINT{TabRect(strip, 1).left + 3, Centre(TabRect(strip, 1)).y};
    };
    // Over the tabs and away again, Escape before the drop, or a drop on the container's own
    // caption: nothing is taken.
    POINT away{box.right + 200, 900};
    DragPointer({CaptionPoint(passing), gapAfterIntro(), away}, false,
                [&] { return InMoveLoop(passing); });
    DragPointer({CaptionPoint(passing), gapAfterIntro()}, true,
                [&] { return InMoveLoop(passing); });
    DragPointer({CaptionPoint(passing), CaptionPoint(container)}, false,
                [&] { return InMoveLoop(passing); });
    Pump(1000);
    EXPECT_TRUE(home(passing));
    EXPECT_EQ(Tabs(), 2);
    SetWindowPos(passing, HWND_TOP, box.right + 10, 400, 300, 200, SWP_SHOWWINDOW);

    // Dropped before the second tab, it becomes the second tab, shown and selected.
    DragPointer({CaptionPoint(dropped), gapAfterIntro()}, false,
                [&] { return InMoveLoop(dropped); });
    ASSERT_TRUE(WaitUntil([&] { return IsDescendantOf(dropped, container); }, 10000));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return RemoteTabCaptions(strip) == Captions({nullptr, dropped, trio[0]});
        },
        5000));
    EXPECT_EQ(ActiveTab(), 2);
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(dropped) != FALSE; }, 5000));

    // One that does not answer cannot be dragged in: it is left whole where it is.
    HangFixtureOn(passing, WM_APP + 77, 60000);
    PostMessageW(passing, WM_APP + 77, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return FixtureHangs(trio[0]); }, 5000));
    DragPointer({CaptionPoint(passing), gapAfterIntro()});
    Pump(1500);
    EndFixtureHang(passing);
    DragPointer({{5, 1000}}); // a click that ends whatever the released hang left running
    Pump(1500);
    EXPECT_TRUE(home(passing));
    EXPECT_EQ(Tabs(), 3);

    // One closed in mid-drag is simply gone: no tab, and nothing to tell.
    BoxAnswerer told(L"Merilane", IDOK, 3000, program->Pid());
    DragPointer({CaptionPoint(passing), gapAfterIntro()}, false, [&] {
        return InMoveLoop(passing) && PostMessageW(passing, WM_CLOSE, 0, 0);
    });
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(passing); }, 5000));
    Pump(1000);
    EXPECT_FALSE(told.Answered()) << told.Text();
    EXPECT_EQ(Tabs(), 3);
}
