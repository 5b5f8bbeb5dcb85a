#pragma once
#include "controls/UniqueOwner.h"
#include <windows.h>
#include <functional>
#include <string>
#include <utility>

namespace merilane {

// The commands behind the menu items the container hides at start: they are complete, and
// reachable by their command ids (see CommandIds.h) sent as WM_COMMAND to the container.

// The tab properties dialog of the active tab's window.
void ShowDebugProperties();
// The key mappings dialog, one for the whole run.
void ShowKeyMappings();
// The font dialog; its choice is not used.
void PickFont();
// The colour dialog, starting from `colour`, which takes the choice (and stays when cancelled).
void PickColor(COLORREF& colour);

// The shell's icon picker: true and the file and icon index chosen, false when cancelled.
// Tests give a stand-in (the shell's own is a stub where they run).
using IconPicker = std::function<bool(HWND owner, std::wstring& path, int& index)>;
void SetIconPicker(IconPicker picker);
bool PickIcon(HWND owner, std::wstring& path, int& index);

// The small and large icon chosen with the shell's picker, both null when nothing was chosen
// or the file holds no icon.
struct IconPair {
    OwnedIcon small;
    OwnedIcon large;
    explicit operator bool() const noexcept { return small && large; }
};

} // namespace merilane
