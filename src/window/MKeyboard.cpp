#include "window/MKeyboard.h"
#include "controls/Clock.h"
#include "controls/UiThread.h"
#include <deque>

namespace merilane {

KeyBindings KeyMap;
bool NewCaptureRequested = false;
bool AltTabPending = false;
UniqueHook KeyboardHookHandle;
TabKeys TabKeysInForce = TabKeys::Standard;

namespace {

constexpr unsigned kCtrl = 1, kShift = 2, kAlt = 4;

// The modifiers a key wants held; those in `ignored` may be held or not.
struct Chord {
    unsigned held;
    unsigned ignored;
    bool Matches(unsigned down) const { return (down & ~ignored) == held; }
};

struct TabKeySet {
    Chord next, previous, numbered, goTo;
    // With ALT held and CTRL not, a key arrives as a system key; a set that uses ALT takes both.
    bool systemKeys;
    TabKeyTexts texts;
};

// The first set never looks at ALT: CTRL + ALT + TAB does what CTRL + TAB does, as it always did.
constexpr TabKeySet kTabKeySets[kTabKeysCount] = {
    {{kCtrl, kAlt},
     {kShift, kCtrl | kAlt},
     {kCtrl, kShift | kAlt},
     {kCtrl | kShift, kAlt},
     false,
     {L"CTRL + TAB, SHIFT + TAB, CTRL + 1..9", L"CTRL  + TAB\r\nSHIFT + TAB\r\nCTRL  + #[TABNUM]",
      L"Hold CTRL   + TAB down to go to next tab", L"Hold SHIFT + TAB down to go to previous tab",
      L"Hold CTRL   + 1..9 to activate numbered tab"}},
    {{kCtrl, kAlt},
     {kCtrl | kShift, kAlt},
     {kCtrl, kShift | kAlt},
     {kCtrl | kShift, kAlt},
     false,
     {L"CTRL + TAB, CTRL + SHIFT + TAB, CTRL + 1..9",
      L"CTRL  + TAB\r\nCTRL + SHIFT + TAB\r\nCTRL  + #[TABNUM]",
      L"Hold CTRL   + TAB down to go to next tab",
      L"Hold CTRL + SHIFT + TAB down to go to previous tab",
      L"Hold CTRL   + 1..9 to activate numbered tab"}},
    {{kCtrl | kAlt, 0},
     {kCtrl | kAlt | kShift, 0},
     {kCtrl | kAlt, kShift},
     {kCtrl | kAlt, kShift},
     true,
     {L"CTRL + ALT + TAB, CTRL + ALT + SHIFT + TAB, CTRL + ALT + 1..9",
      L"CTRL + ALT + TAB\r\nCTRL + ALT + SHIFT + TAB\r\nCTRL + ALT + #[TABNUM]",
      L"Hold CTRL + ALT + TAB down to go to next tab",
      L"Hold CTRL + ALT + SHIFT + TAB down to go to previous tab",
      L"Hold CTRL + ALT + 1..9 to activate numbered tab"}},
};

const TabKeySet& SetOf(TabKeys keys) {
    auto at = static_cast<size_t>(keys);
    return kTabKeySets[at < static_cast<size_t>(kTabKeysCount) ? at : 0];
}

KeyboardHost* g_host = nullptr;
std::deque<std::pair<KeyAction, int>> g_asked;
double g_longestCallMs = 0;

bool IsKeyMessage(WPARAM message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP;
}

const std::wstring* Bound(const KeyBindings& bindings, DWORD vk) {
    for (auto& [key, command] : bindings)
        if (key == vk)
            return &command;
    return nullptr;
}

// What the keys ask for is carried out from the thread's message loop, in the order asked;
// whatever was asked before the hook was removed is not.
void CarryNext() {
    if (g_asked.empty() || !g_host)
        return;
    auto [action, tab] = g_asked.front();
    g_asked.pop_front();
    g_host->Carry(action, tab);
}

} // namespace

const TabKeyTexts& TextsOf(TabKeys keys) {
    return SetOf(keys).texts;
}

void InitKeyMap() {
    KeyMap.clear();
}

KeyDecision DecideKey(const KeyEvent& event, const KeyState& state, const KeyBindings& bindings,
                      bool& altTabPending) {
    KeyDecision decision;
    if (event.code != 0 || !IsKeyMessage(event.message))
        return decision;
    const DWORD vk = event.vk;
    const bool down = event.message == WM_KEYDOWN;

    // ALT + TAB: any key but the releases of that same combination ends it.
    if (altTabPending && !(vk == VK_LMENU && event.message == WM_KEYUP) &&
        !(vk == VK_TAB && event.message == WM_SYSKEYUP))
        altTabPending = false;
    const TabKeySet& keys = SetOf(state.tabKeys);
    // CTRL + ALT + TAB is a tab key of its own in a set that uses ALT, no ALT + TAB.
    if ((event.flags & LLKHF_ALTDOWN) && vk == VK_TAB && event.message == WM_SYSKEYDOWN &&
        !(keys.systemKeys && state.ctrl)) {
        altTabPending = true;
        // The system still sees the combination; the container goes in front of it first.
        if (state.capturedForeground)
            decision.action = KeyAction::ContainerForward;
    }
    // The drag has the mouse captured, not the keyboard, which is wherever it was.
    if (state.tabDragging && vk == VK_ESCAPE && down)
        return {true, KeyAction::CancelDrag};
    if (!state.ownForeground)
        return decision;
    if (!down && !(keys.systemKeys && event.message == WM_SYSKEYDOWN))
        return decision;
    const unsigned held =
        (state.ctrl ? kCtrl : 0) | (state.shift ? kShift : 0) | (state.alt ? kAlt : 0);

    KeyAction tabCommand = KeyAction::None;
    if (vk == VK_TAB) {
        if (keys.previous.Matches(held))
            tabCommand = KeyAction::PreviousTab;
        else if (keys.next.Matches(held))
            tabCommand = KeyAction::NextTab;
    } else {
        if (!state.bindingsEnabled || !state.ctrl)
            return decision;
        if (vk == VK_SPACE && keys.goTo.Matches(held))
            return {true, KeyAction::GoToTab};
        if (!keys.numbered.Matches(held))
            return decision;
        if (const std::wstring* command = Bound(bindings, vk)) {
            if (*command == L"CAPTION")
                return {true, KeyAction::ChangeCaption};
            if (*command == L"NEW")
                return {true, KeyAction::NewCapture};
            if (*command == L"RELEASE")
                return {true, KeyAction::ReleaseActive};
        }
        // The digits of the main row only; '0' and the keypad pass.
        if (vk >= '1' && vk <= '9')
            return {true, KeyAction::ActivateTab, static_cast<int>(vk - '0')};
        return decision;
    }

    if (tabCommand == KeyAction::None)
        return decision;
    if (!state.bindingsEnabled)
        return decision;
    // Consumed even without a tab to move to.
    decision.consume = true;
    if (state.hasActiveTab)
        decision.action = tabCommand;
    return decision;
}

LRESULT CALLBACK KeyboardHook(int nCode, WPARAM wParam, LPARAM lParam) {
    double start = NowUs();
    KeyDecision decision;
    if (g_host && nCode == 0 && IsKeyMessage(wParam)) {
        try {
            const auto& raw = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
            KeyEvent event{nCode, wParam, raw.vkCode, raw.flags};
            KeyState state;
            state.ctrl = GetAsyncKeyState(VK_CONTROL) != 0;
            state.shift = GetAsyncKeyState(VK_SHIFT) != 0;
            // The left ALT, held now. The right one is ALTGR on many keyboards, which the system
            // sends as CTRL + ALT: the characters it types (braces, brackets, @) stay the
            // programs'.
            state.alt = (GetAsyncKeyState(VK_LMENU) & 0x8000) != 0;
            state.tabKeys = TabKeysInForce;
            state.ownForeground = g_host->IsOwnForeground(true);
            state.capturedForeground = state.ownForeground && g_host->IsOwnForeground(false);
            state.bindingsEnabled = g_host->KeyBindingsEnabled();
            state.hasActiveTab = g_host->HasActiveTab();
            state.tabDragging = g_host->TabDragging();
            decision = DecideKey(event, state, KeyMap, AltTabPending);
            if (decision.action != KeyAction::None) {
                g_asked.emplace_back(decision.action, decision.tab);
                PostToUiThread(CarryNext);
            }
        } catch (...) {
            // A key that cannot be decided on passes unchanged.
            decision = KeyDecision{};
        }
    }
    double took = (NowUs() - start) / 1000;
    if (took > g_longestCallMs)
        g_longestCallMs = took;
    if (decision.consume)
        return 1;
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

bool InstallKeyboardHook(KeyboardHost& host) {
    g_host = &host;
    g_longestCallMs = 0;
    KeyboardHookHandle.reset(
        SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, GetModuleHandleW(nullptr), 0));
    return static_cast<bool>(KeyboardHookHandle);
}

void RemoveKeyboardHook() noexcept {
    KeyboardHookHandle.reset();
    g_asked.clear();
    g_host = nullptr;
}

double LongestKeyboardHookCallMs() noexcept {
    return g_longestCallMs;
}

} // namespace merilane
