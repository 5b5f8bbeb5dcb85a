#pragma once
#include "window/CaptureRecord.h"

namespace merilane {

// Where a window that is given back goes and how big it is, unless a caller says otherwise.
constexpr int kReleasedWidth = 500;
constexpr int kReleasedHeight = 500;
constexpr RECT kReleasedPlacement{0, 0, kReleasedWidth, kReleasedHeight};

// The system-menu commands a captured window does without, in the order they are switched.
inline constexpr UINT kCapturedMenuCommands[] = {SC_MAXIMIZE, SC_MINIMIZE, SC_MOVE, SC_RESTORE,
                                                 SC_SIZE};

// Where a window lies, and how big it is, when it is shown normally, on the screen; for a
// minimised or maximised window its rectangle now is neither. The placement keeps that in
// work-area coordinates, except for a tool window: `workOffset` is how far the work area of the
// window's monitor lies from the monitor's corner (a taskbar at the left or the top).
RECT NormalPlace(const WINDOWPLACEMENT& placement, bool toolWindow, POINT workOffset) noexcept;

// Whether a parent stands for the desktop: none, no window, or the desktop window itself.
bool IsDesktopParent(HWND parent) noexcept;

// Greys a system-menu command out, or restores it; answers whether the menu held it.
bool SetSystemMenuCommand(HWND window, UINT command, bool enabled) noexcept;
// Greys the commands a captured window does without; answers which were greyed, as the
// record's greyedMenuItems.
UINT GreyCapturedMenuCommands(HWND window) noexcept;

// Moves the window to `newParent` (null: the desktop). Back on the desktop a window that was a
// pop-up before capture is a pop-up again; in a host form a pop-up becomes a child. Answers the
// previous parent, or null when the system refused (the window then is where it was).
HWND SetParentAndFixStyle(HWND window, HWND newParent, LONG originalStyle) noexcept;

// Undoes everything the record says capture changed, with plain system calls and nothing else
// of the program: the greyed system-menu commands come back, the window goes to the desktop (or
// to the parent it had, when that still exists and is not ours to lose), a pop-up is a pop-up
// again, and it is shown normal at `placement`. The calls wait on the window's thread: make it
// only where waiting is safe (a worker thread, the last rescue). Answers whether the window is
// out of its host.
bool GiveBackNow(const CaptureRecord& record, const RECT& placement = kReleasedPlacement) noexcept;

} // namespace merilane
