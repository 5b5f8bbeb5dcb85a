#include "window/MForceFore.h"
#include "window/ForeignCall.h"

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
    DWORD self = GetCurrentThreadId();
    // Joining the two input queues is what lets the change of foreground through. This thread
    // never joins its own: a joined queue makes activation a synchronous exchange with the
    // other thread, which would hold us for as long as that thread does not answer. When one
    // of the two is ours, this process has the foreground and needs no help. The join is
    // undone at once.
    bool attached =
        from && to && from != to && from != self && to != self && AttachThreadInput(from, to, TRUE);
    // Raising, activating and showing another thread's window are handed to that thread.
    bool own = to == self;
    if (own)
        BringWindowToTop(hwnd);
    else
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
    BOOL ok = SetForegroundWindow(hwnd);
    int show = IsIconic(hwnd) ? SW_RESTORE : SW_SHOW;
    if (own)
        ShowWindow(hwnd, show);
    else
        ShowWindowAsync(hwnd, show);
    if (attached)
        AttachThreadInput(from, to, FALSE);
    return ok != FALSE;
}

} // namespace merilane
