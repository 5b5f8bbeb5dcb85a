#include "window/GiveBack.h"
#include "window/CWindow.h"
#include "controls/Ask.h"
#include "controls/Handles.h"
#include "controls/MInput.h"
#include <iterator>

namespace merilane {
namespace {

// Position of the system-menu item that stands for `command`, in its enabled or its disabled
// form, or -1.
int FindCommand(HMENU menu, UINT command) noexcept {
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position)
        if (MenuIdMatches(GetMenuItemID(menu, position), command))
            return position;
    return -1;
}

void FrameChanged(HWND hwnd) noexcept {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// A window that is the active one of its thread stays so once the move joins that thread's
// input to ours, and for a moment it is then our thread's active window too: told of a change of
// activation meanwhile, our thread would tell this window it is no longer active, and wait for
// it, maybe for as long as it hangs on the style change that follows. So our window takes the
// activation first, and the window's thread takes that in before the move.
void HandOverActivation(HWND hwnd, HWND ourWindow) noexcept {
    GUITHREADINFO info{sizeof(info)};
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) ||
        info.hwndActive != hwnd)
        return;
    SetForegroundWindow(GetAncestor(ourWindow, GA_ROOT));
    Ask(hwnd, WM_NULL, 0, 0, Wait::Call);
}

} // namespace

RECT NormalPlace(const WINDOWPLACEMENT& placement, bool toolWindow, POINT workOffset) noexcept {
    RECT place = placement.rcNormalPosition;
    if (!toolWindow)
        OffsetRect(&place, workOffset.x, workOffset.y);
    return place;
}

bool IsDesktopParent(HWND parent) noexcept {
    return !parent || HandleValue(parent) < 1 || parent == GetDesktopWindow();
}

bool SetSystemMenuCommand(HWND window, UINT command, bool enabled) noexcept {
    HMENU menu = IsWindow(window) ? GetSystemMenu(window, FALSE) : nullptr;
    int position = menu ? FindCommand(menu, command) : -1;
    if (position < 0)
        return false;
    MENUITEMINFOW item{sizeof(item)};
    item.fMask = MIIM_STATE;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item))
        return false;
    MENUITEMINFOW update{sizeof(update)};
    update.fMask = MIIM_STATE | MIIM_ID;
    // Only the grey mark changes: Close stays the menu's default item, a check mark stays.
    update.fState = (item.fState & ~MFS_GRAYED) | (enabled ? 0 : MF_GRAYED);
    update.wID = MarkedMenuId(command, enabled);
    return SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &update) != 0;
}

UINT GreyCapturedMenuCommands(HWND window) noexcept {
    UINT greyed = 0;
    for (UINT i = 0; i < std::size(kCapturedMenuCommands); ++i)
        if (SetSystemMenuCommand(window, kCapturedMenuCommands[i], false))
            greyed |= 1u << i;
    return greyed;
}

HWND SetParentAndFixStyle(HWND hwnd, HWND newParent, LONG originalStyle) noexcept {
    DWORD parentProcess = 0;
    DWORD parentThread =
        IsDesktopParent(newParent) ? 0 : GetWindowThreadProcessId(newParent, &parentProcess);
    // Made by a thread of ours that is not the new parent's: both threads may wait on this one.
    bool intoOurs = parentProcess == GetCurrentProcessId() && parentThread != GetCurrentThreadId();
    if (intoOurs)
        HandOverActivation(hwnd, newParent);
    HWND previous = CWindow::ParentSetterInUse()(hwnd, newParent);
    // Refused: the window is where it was, and its style is not touched.
    if (!previous)
        return nullptr;
    if (!IsDesktopParent(newParent)) {
        // The move joined its input to that of the new parent's thread; undone before anything
        // else can hang, or every change of focus there would wait on this window's thread.
        SeparateInput(parentThread, GetWindowThreadProcessId(hwnd, nullptr));
        // What the move set off is dealt with before the style changes: the window's thread
        // finishes with it, then ours handles what it was told meanwhile (that the active window
        // changed, say). Handled later, while the window hangs on a style change, it would wait
        // for the hang, and our thread with it.
        if (intoOurs) {
            Ask(hwnd, WM_NULL, 0, 0, Wait::Call);
            Ask(newParent, WM_NULL, 0, 0, Wait::Call);
        }
    }
    // Read-modify-write, each followed by a frame repaint, as the window's own thread would.
    auto switchBits = [&](LONG off, LONG on) {
        LONG style = GetWindowLongW(hwnd, GWL_STYLE);
        SetWindowLongW(hwnd, GWL_STYLE, (style & ~off) | on);
        FrameChanged(hwnd);
    };
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    if (IsDesktopParent(newParent)) {
        // A child window without a parent has no frame, no taskbar button and cannot be
        // activated.
        if ((originalStyle & WS_POPUP) && (style & WS_CHILD)) {
            switchBits(WS_CHILD, 0);
            switchBits(0, WS_POPUP);
        }
    } else if (style & WS_POPUP) {
        switchBits(WS_POPUP, 0);
        switchBits(0, WS_CHILD);
    }
    return previous;
}

bool GiveBackNow(const CaptureRecord& record, const RECT& placement) noexcept {
    HWND hwnd = record.window;
    if (!hwnd || !IsWindow(hwnd))
        return true; // nothing left to lose
    for (UINT i = 0; i < std::size(kCapturedMenuCommands); ++i)
        if (record.greyedMenuItems & (1u << i))
            SetSystemMenuCommand(hwnd, kCapturedMenuCommands[i], true);
    // Back to the parent it came from only when that is another program's window that still
    // exists; anything of ours goes when we do.
    HWND parent = record.previousParent;
    DWORD parentProcess = 0;
    if (IsDesktopParent(parent) || !IsWindow(parent) ||
        (GetWindowThreadProcessId(parent, &parentProcess), parentProcess == GetCurrentProcessId()))
        parent = nullptr;
    SetParentAndFixStyle(hwnd, parent, record.style);
    HWND now = GetAncestor(hwnd, GA_PARENT);
    if (record.host && now == record.host)
        return false;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetWindowPos(hwnd, nullptr, placement.left, placement.top, placement.right - placement.left,
                 placement.bottom - placement.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

} // namespace merilane
