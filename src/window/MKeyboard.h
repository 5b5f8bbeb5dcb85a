#pragma once
#include "controls/UniqueOwner.h"
#include <windows.h>
#include <string>
#include <utility>
#include <vector>

namespace merilane {

// The system-wide key bindings: while the container or a captured window has the foreground,
// CTRL + TAB moves to the next tab, SHIFT + TAB (with or without CTRL) to the previous one,
// CTRL + 1 to 9 to that tab, and CTRL + a bound letter runs its command. ALT + TAB from a
// captured window first hands the foreground to the container.
//
// The hook decides at once which keys are consumed and what they ask for; the asking is
// carried out right after the hook has returned, in order. Windows removes a low-level hook
// that takes too long, silently, and what a key asks for (activating a tab, forcing the
// foreground, opening dialogs) must never be able to make it take that long.

// CTRL + key bindings, in the order they were made: virtual-key code to "CAPTION", "NEW" or
// "RELEASE" (any other command is ignored).
using KeyBindings = std::vector<std::pair<DWORD, std::wstring>>;
extern KeyBindings KeyMap;
void InitKeyMap();

// Which keys move between tabs. The first set is the one Merilane always had; it takes SHIFT +
// TAB and CTRL + TAB from every program in a tab, which the others leave to them.
enum class TabKeys {
    Standard,     // CTRL + TAB, SHIFT + TAB (with or without CTRL), CTRL + 1..9
    ControlShift, // CTRL + TAB, CTRL + SHIFT + TAB, CTRL + 1..9
    ControlAlt,   // CTRL + ALT + TAB, CTRL + ALT + SHIFT + TAB, CTRL + ALT + 1..9
};
inline constexpr int kTabKeysCount = 3;

// How a set of tab keys is named to the user: in the keybindings box (one line a key), in the
// intro screen's hints and in the menu.
struct TabKeyTexts {
    const wchar_t* menuCaption;
    const wchar_t* boxLines;
    const wchar_t* introNext;
    const wchar_t* introPrevious;
    const wchar_t* introNumbered;
};
const TabKeyTexts& TextsOf(TabKeys keys);

// The tab keys in force; read by the hook on every key.
extern TabKeys TabKeysInForce;

// Set by the "NEW" binding; the container's capture-request timer opens the picker and clears it.
extern bool NewCaptureRequested;
// An ALT + TAB has been pressed and not yet followed by another key or by the container's
// activation.
extern bool AltTabPending;
// The installed hook, removed when the container closes.
extern UniqueHook KeyboardHookHandle;

enum class KeyAction {
    None,
    NextTab,
    PreviousTab,
    ActivateTab, // the tab at KeyDecision::tab
    ChangeCaption,
    NewCapture,
    ReleaseActive,
    ContainerForward, // ALT + TAB out of a captured window
    CancelDrag,       // Escape while a tab is being dragged
    GoToTab,          // the "Go to tab" box
};

struct KeyEvent {
    int code;       // the hook's nCode
    WPARAM message; // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN or WM_SYSKEYUP
    DWORD vk;
    DWORD flags; // KBDLLHOOKSTRUCT flags
};

// What the decision depends on besides the event, as it is at that moment.
struct KeyState {
    bool ctrl = false;               // a Control key is down, either of them
    bool shift = false;              // a Shift key is down, either of them
    bool alt = false;                // an Alt key is down, either of them
    bool ownForeground = false;      // the container or a captured window is in front
    bool capturedForeground = false; // a captured window is in front
    bool bindingsEnabled = true;     // "Enable keybindings" carries its check mark
    bool hasActiveTab = false;
    bool tabDragging = false; // a tab of the container is being dragged
    TabKeys tabKeys = TabKeys::Standard;
};

struct KeyDecision {
    bool consume = false;
    KeyAction action = KeyAction::None;
    int tab = 0;
    bool operator==(const KeyDecision&) const = default;
};

// The hook's decision for one key event; `altTabPending` is read and updated.
KeyDecision DecideKey(const KeyEvent& event, const KeyState& state, const KeyBindings& bindings,
                      bool& altTabPending);

// What the hook needs of the program.
class KeyboardHost {
  public:
    // The container (with `includeContainer`) or a captured window is the foreground window.
    virtual bool IsOwnForeground(bool includeContainer) = 0;
    virtual bool KeyBindingsEnabled() = 0;
    virtual bool HasActiveTab() = 0;
    virtual bool TabDragging() = 0;
    // Carries out what a key asked for; called on the hook's thread after the hook returned.
    virtual void Carry(KeyAction action, int tab) = 0;

  protected:
    ~KeyboardHost() = default;
};

// Installs the low-level keyboard hook on this thread for the host; false when the system
// refuses it.
bool InstallKeyboardHook(KeyboardHost& host);
void RemoveKeyboardHook() noexcept;

LRESULT CALLBACK KeyboardHook(int nCode, WPARAM wParam, LPARAM lParam);

// How long the slowest hook call took, in milliseconds, since the hook was installed.
double LongestKeyboardHookCallMs() noexcept;

} // namespace merilane
