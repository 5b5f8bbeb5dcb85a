#include "window/MKeyboard.h"
#include "window/MMouse.h"
#include <gtest/gtest.h>

using namespace merilane;

namespace {

KeyEvent Down(DWORD vk) {
    return {0, WM_KEYDOWN, vk, 0};
}
KeyEvent Up(DWORD vk) {
    return {0, WM_KEYUP, vk, LLKHF_UP};
}
KeyEvent SysDown(DWORD vk, DWORD flags = LLKHF_ALTDOWN) {
    return {0, WM_SYSKEYDOWN, vk, flags};
}

// The container or a captured window in front, bindings on, tabs there.
KeyState InFront(bool ctrl, bool shift = false) {
    KeyState s;
    s.ctrl = ctrl;
    s.shift = shift;
    s.ownForeground = true;
    s.capturedForeground = true;
    s.bindingsEnabled = true;
    s.hasActiveTab = true;
    return s;
}

KeyDecision Decide(const KeyEvent& e, const KeyState& s, const KeyBindings& bindings = {}) {
    bool altTab = false;
    return DecideKey(e, s, bindings, altTab);
}

const KeyDecision kPass{};
KeyDecision Consume(KeyAction action, int tab = 0) {
    return {true, action, tab};
}

} // namespace

TEST(KeyDecisions, TabKeysMoveBetweenTabsAndOnlyTheirKeyDownsAreTaken) {
    EXPECT_EQ(Decide(Down(VK_TAB), InFront(true)), Consume(KeyAction::NextTab));
    EXPECT_EQ(Decide(Down(VK_TAB), InFront(true, true)), Consume(KeyAction::PreviousTab));
    EXPECT_EQ(Decide(Down(VK_TAB), InFront(false, true)), Consume(KeyAction::PreviousTab));
    EXPECT_EQ(Decide(Down(VK_TAB), InFront(false)), kPass) << "a plain TAB is the window's";
    for (bool ctrl : {false, true})
        for (bool shift : {false, true})
            EXPECT_EQ(Decide(Up(VK_TAB), InFront(ctrl, shift)), kPass);

    // With no tab to move to, the key is still taken, and nothing happens.
    KeyState noTabs = InFront(true);
    noTabs.hasActiveTab = false;
    EXPECT_EQ(Decide(Down(VK_TAB), noTabs), Consume(KeyAction::None));
}

TEST(KeyDecisions, ControlAndADigitPickThatTabOnlyOnTheMainRow) {
    for (DWORD digit = '1'; digit <= '9'; ++digit) {
        EXPECT_EQ(Decide(Down(digit), InFront(true)),
                  Consume(KeyAction::ActivateTab, static_cast<int>(digit - '0')));
        EXPECT_EQ(Decide(Up(digit), InFront(true)), kPass);
        EXPECT_EQ(Decide(Down(digit), InFront(false)), kPass);
    }
    // Past the last tab it is still asked for: the tab set decides.
    KeyState noTabs = InFront(true);
    noTabs.hasActiveTab = false;
    EXPECT_EQ(Decide(Down('9'), noTabs), Consume(KeyAction::ActivateTab, 9));
    EXPECT_EQ(Decide(Down('0'), InFront(true)), kPass);
    for (DWORD pad = VK_NUMPAD0; pad <= VK_NUMPAD9; ++pad)
        EXPECT_EQ(Decide(Down(pad), InFront(true)), kPass);
}

TEST(KeyDecisions, SystemKeysNeverTriggerABinding) {
    KeyBindings bindings{{'K', L"NEW"}};
    for (DWORD vk : {DWORD{'1'}, DWORD{'K'}, DWORD{VK_TAB}}) {
        KeyEvent sys{0, WM_SYSKEYDOWN, vk, 0};
        EXPECT_EQ(Decide(sys, InFront(true, true), bindings), kPass) << vk;
        KeyEvent sysUp{0, WM_SYSKEYUP, vk, LLKHF_UP};
        EXPECT_EQ(Decide(sysUp, InFront(true, true), bindings), kPass) << vk;
    }
}

TEST(KeyDecisions, BoundLettersRunTheirCommandAndOthersFallThrough) {
    EXPECT_EQ(Decide(Down('K'), InFront(true)), kPass) << "nothing is bound at start";
    KeyBindings bindings{
        {'K', L"NEW"}, {'C', L"CAPTION"}, {'R', L"RELEASE"}, {'2', L"OTHER"}, {'X', L"OTHER"}};
    EXPECT_EQ(Decide(Down('K'), InFront(true), bindings), Consume(KeyAction::NewCapture));
    EXPECT_EQ(Decide(Down('C'), InFront(true), bindings), Consume(KeyAction::ChangeCaption));
    EXPECT_EQ(Decide(Down('R'), InFront(true), bindings), Consume(KeyAction::ReleaseActive));
    EXPECT_EQ(Decide(Down('X'), InFront(true), bindings), kPass);
    EXPECT_EQ(Decide(Down('2'), InFront(true), bindings), Consume(KeyAction::ActivateTab, 2));
    EXPECT_EQ(Decide(Down('K'), InFront(false), bindings), kPass);
    EXPECT_EQ(Decide(Up('K'), InFront(true), bindings), kPass);
    // Bound commands do not need a tab.
    KeyState noTabs = InFront(true);
    noTabs.hasActiveTab = false;
    EXPECT_EQ(Decide(Down('K'), noTabs, bindings), Consume(KeyAction::NewCapture));
}

TEST(KeyDecisions, WithBindingsOffOnlyTheAltTabHandOverIsLeft) {
    KeyBindings bindings{{'K', L"NEW"}};
    KeyState off = InFront(true, true);
    off.bindingsEnabled = false;
    for (const KeyEvent& e : {Down(VK_TAB), Down('1'), Down('K'), Down('9')})
        EXPECT_EQ(Decide(e, off, bindings), kPass) << e.vk;
    off.ctrl = false;
    EXPECT_EQ(Decide(Down(VK_TAB), off, bindings), kPass);
    bool altTab = false;
    EXPECT_EQ(DecideKey(SysDown(VK_TAB), off, bindings, altTab),
              (KeyDecision{false, KeyAction::ContainerForward}));
    EXPECT_TRUE(altTab);
}

TEST(KeyDecisions, NothingIsTakenWhileAnotherProgramIsInFront) {
    KeyBindings bindings{{'K', L"NEW"}};
    KeyState other = InFront(true, true);
    other.ownForeground = other.capturedForeground = false;
    for (const KeyEvent& e : {Down(VK_TAB), Down('1'), Down('K'), Up(VK_TAB), SysDown(VK_TAB)})
        EXPECT_EQ(Decide(e, other, bindings), kPass) << e.vk;
}

TEST(KeyDecisions, EitherControlOrShiftKeyCountsAndTheModifiersThemselvesPass) {
    // A real keyboard (and X input under Wine) sends the left and right keys; their own
    // presses and releases pass, and the keys that follow see the modifier held.
    for (DWORD modifier : {DWORD{VK_LCONTROL}, DWORD{VK_RCONTROL}, DWORD{VK_CONTROL},
                           DWORD{VK_LSHIFT}, DWORD{VK_RSHIFT}, DWORD{VK_SHIFT}}) {
        bool control = modifier == VK_LCONTROL || modifier == VK_RCONTROL || modifier == VK_CONTROL;
        EXPECT_EQ(Decide(Down(modifier), InFront(control, !control)), kPass) << modifier;
        EXPECT_EQ(Decide(Up(modifier), InFront(false)), kPass) << modifier;
    }
    EXPECT_EQ(Decide(Down('3'), InFront(true)), Consume(KeyAction::ActivateTab, 3));
    EXPECT_EQ(Decide(Down(VK_TAB), InFront(false, true)), Consume(KeyAction::PreviousTab));
}

TEST(KeyDecisions, AltTabIsTrackedUntilAnotherKeyAndHandedToTheContainer) {
    bool altTab = false;
    KeyState captured = InFront(false);
    EXPECT_EQ(DecideKey(SysDown(VK_TAB), captured, {}, altTab),
              (KeyDecision{false, KeyAction::ContainerForward}));
    EXPECT_TRUE(altTab);
    // Its own releases keep it; anything else ends it.
    DecideKey({0, WM_SYSKEYUP, VK_TAB, LLKHF_UP | LLKHF_ALTDOWN}, captured, {}, altTab);
    EXPECT_TRUE(altTab);
    DecideKey(Up(VK_LMENU), captured, {}, altTab);
    EXPECT_TRUE(altTab);
    DecideKey(Down('A'), captured, {}, altTab);
    EXPECT_FALSE(altTab);

    // From the container itself, or from another program, nothing is handed over.
    KeyState container = InFront(false);
    container.capturedForeground = false;
    EXPECT_EQ(DecideKey(SysDown(VK_TAB), container, {}, altTab), kPass);
    EXPECT_TRUE(altTab);
    KeyState other;
    EXPECT_EQ(DecideKey(SysDown(VK_TAB), other, {}, altTab), kPass);
    // Without ALT held the same key is no ALT + TAB.
    altTab = false;
    EXPECT_EQ(DecideKey(SysDown(VK_TAB, 0), captured, {}, altTab), kPass);
    EXPECT_FALSE(altTab);
}

TEST(KeyDecisions, OnlyKeyMessagesWithCodeZeroAreLookedAt) {
    bool altTab = true;
    EXPECT_EQ(DecideKey({HC_NOREMOVE, WM_KEYDOWN, VK_TAB, 0}, InFront(true), {}, altTab), kPass);
    EXPECT_EQ(DecideKey({0, WM_CHAR, VK_TAB, 0}, InFront(true), {}, altTab), kPass);
    EXPECT_TRUE(altTab) << "nor do they end an ALT + TAB";
}

namespace {

const HWND kDragged = reinterpret_cast<HWND>(0x1001);

// The container's tab row at the top (two tabs), its display area below.
DragInFacts Moving(HWND window, LONG width = 300) {
    return {window,
            {width, 200},
            false,
            window != nullptr,
            {0, 0, 400, 20},
            {0, 20, 400, 300},
            {{0, 0, 100, 20}, {100, 0, 200, 20}},
            {500, 500}};
}

} // namespace

TEST(DragInDecisions, TheMarkFollowsTheDragAndOnlyAReleaseOverTheTabsDrops) {
    using A = DragInAction;
    DragInSession s;
    auto decide = [&](WPARAM m, POINT at, const DragInFacts& f) {
        return DecideDragIn(m, at, f, s);
    };
    EXPECT_EQ(decide(WM_MOUSEMOVE, {500, 500}, Moving(kDragged)), DragInDecision{});
    EXPECT_EQ(decide(WM_MOUSEMOVE, {120, 10}, Moving(kDragged)),
              (DragInDecision{A::Mark, kDragged, 1}));
    EXPECT_EQ(decide(WM_MOUSEMOVE, {50, 100}, Moving(kDragged)),
              (DragInDecision{A::Mark, kDragged, 2}))
        << "the display area puts it last";
    EXPECT_EQ(decide(WM_MOUSEMOVE, {500, 100}, Moving(kDragged)), DragInDecision{A::Unmark});
    EXPECT_EQ(decide(WM_LBUTTONUP, {500, 100}, Moving(kDragged)), DragInDecision{});
    // Escape ends the move loop: the next event takes the mark away, the release drops nothing.
    decide(WM_MOUSEMOVE, {10, 10}, Moving(kDragged));
    EXPECT_EQ(decide(WM_MOUSEMOVE, {10, 10}, Moving(nullptr)), DragInDecision{A::Unmark});
    EXPECT_EQ(decide(WM_LBUTTONUP, {10, 10}, Moving(nullptr)), DragInDecision{});
    // A drag too fast for any move over the tabs still lands where it is let go.
    EXPECT_EQ(decide(WM_LBUTTONUP, {10, 10}, Moving(kDragged)),
              (DragInDecision{A::Drop, kDragged, 0, {10, 10}}));
}

TEST(DragInDecisions, OwnHeldSizedOrUnwelcomeWindowsAreNeverDroppedAndEscapeEndsATabDrag) {
    DragInSession s;
    DragInFacts ours = Moving(kDragged), closed = Moving(kDragged);
    ours.ours = true;
    closed.accepting = false;
    for (const DragInFacts& f : {ours, closed}) {
        EXPECT_EQ(DecideDragIn(WM_MOUSEMOVE, {10, 10}, f, s), DragInDecision{});
        EXPECT_EQ(DecideDragIn(WM_LBUTTONUP, {10, 10}, f, s), DragInDecision{});
    }
    // Released where it was pressed: a click on the caption of a window over the tabs, in a
    // move loop that began at the press, moved nothing.
    DragInFacts clicked = Moving(kDragged);
    clicked.pressedAt = {10, 10};
    EXPECT_EQ(DecideDragIn(WM_LBUTTONUP, {10, 10}, clicked, s), DragInDecision{});
    // A window whose size changes is being sized by a border, not moved.
    DecideDragIn(WM_MOUSEMOVE, {500, 500}, Moving(kDragged), s);
    EXPECT_EQ(DecideDragIn(WM_MOUSEMOVE, {10, 10}, Moving(kDragged, 350), s), DragInDecision{});
    EXPECT_EQ(DecideDragIn(WM_LBUTTONUP, {10, 10}, Moving(kDragged, 350), s), DragInDecision{});

    // A tab drag has the mouse, not the keyboard: the hook takes Escape wherever the focus is.
    KeyState dragging;
    dragging.tabDragging = true;
    EXPECT_EQ(Decide(Down(VK_ESCAPE), dragging), Consume(KeyAction::CancelDrag));
    EXPECT_EQ(Decide(Up(VK_ESCAPE), dragging), kPass);
    EXPECT_EQ(Decide(Down(VK_ESCAPE), InFront(false)), kPass) << "no drag: the window's key";
}

TEST(KeyDecisions, EachSetOfTabKeysTakesItsOwnKeysAndLeavesTheProgramsTheirs) {
    using A = KeyAction;
    const auto S = TabKeys::Standard, CS = TabKeys::ControlShift, CA = TabKeys::ControlAlt;
    struct Case {
        TabKeys keys;
        WPARAM message;
        DWORD vk;
        bool ctrl, shift, alt;
        KeyDecision want;
    };
    const Case cases[] = {
        {S, WM_KEYDOWN, VK_SPACE, true, true, false, Consume(A::GoToTab)},
        {S, WM_KEYDOWN, VK_SPACE, true, false, false, kPass},
        {CS, WM_KEYDOWN, VK_TAB, false, true, false, kPass},
        {CS, WM_KEYDOWN, VK_TAB, true, true, false, Consume(A::PreviousTab)},
        {CS, WM_KEYDOWN, VK_TAB, true, false, false, Consume(A::NextTab)},
        {CA, WM_KEYDOWN, VK_TAB, true, false, false, kPass},
        {CA, WM_KEYDOWN, VK_TAB, false, true, false, kPass},
        {CA, WM_KEYDOWN, '2', true, false, false, kPass},
        {CA, WM_KEYDOWN, VK_SPACE, true, true, false, kPass},
        {CA, WM_KEYDOWN, VK_TAB, true, false, true, Consume(A::NextTab)},
        {CA, WM_SYSKEYDOWN, VK_TAB, true, false, true, Consume(A::NextTab)},
        {CA, WM_KEYDOWN, VK_TAB, true, true, true, Consume(A::PreviousTab)},
        {CA, WM_KEYDOWN, '2', true, false, true, Consume(A::ActivateTab, 2)},
        {CA, WM_SYSKEYDOWN, 'K', true, false, true, Consume(A::NewCapture)},
        {CA, WM_KEYDOWN, VK_SPACE, true, false, true, Consume(A::GoToTab)},
    };
    const KeyBindings bindings{{'K', L"NEW"}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        KeyState s = InFront(c.ctrl, c.shift);
        s.alt = c.alt, s.tabKeys = c.keys;
        EXPECT_EQ(Decide({0, c.message, c.vk, 0}, s, bindings), c.want) << "case " << i;
        s.ownForeground = s.capturedForeground = false;
        EXPECT_EQ(Decide({0, c.message, c.vk, 0}, s, bindings), kPass) << "another program, " << i;
    }
    // ALT + TAB hands the foreground over whichever keys move between tabs.
    for (TabKeys keys : {S, CS, CA}) {
        KeyState s = InFront(false);
        s.alt = true, s.tabKeys = keys;
        EXPECT_EQ(Decide(SysDown(VK_TAB), s), (KeyDecision{false, A::ContainerForward}));
    }
}
