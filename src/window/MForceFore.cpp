#include "window/MForceFore.h"

namespace merilane {

bool ForceForeground(HWND hwnd) {
    if (!IsWindow(hwnd))
        return false;
    AllowSetForegroundWindow(GetCurrentProcessId());
    HWND foreground = GetForegroundWindow();
    if (foreground == hwnd)
        return true;
    DWORD from = GetWindowThreadProcessId(foreground, nullptr);
    DWORD to = GetWindowThreadProcessId(hwnd, nullptr);
    // Joining the two input queues is what lets the change of foreground through; it is undone
    // at once, since a joined queue would stall with either thread.
    bool attached = from && to && from != to && AttachThreadInput(from, to, TRUE);
    BringWindowToTop(hwnd);
    BOOL ok = SetForegroundWindow(hwnd);
    int show = IsIconic(hwnd) ? SW_RESTORE : SW_SHOW;
    if (IsHungAppWindow(hwnd))
        ShowWindowAsync(hwnd, show);
    else
        ShowWindow(hwnd, show);
    if (attached)
        AttachThreadInput(from, to, FALSE);
    return ok != FALSE;
}

} // namespace merilane
