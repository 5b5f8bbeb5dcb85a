#include "window/MForceFore.h"

namespace merilane {
namespace {
constexpr UINT kAnswerTimeoutMs = 250;
} // namespace

bool ForceForeground(HWND hwnd) {
    if (!IsWindow(hwnd))
        return false;
    AllowSetForegroundWindow(GetCurrentProcessId());
    HWND foreground = GetForegroundWindow();
    if (foreground == hwnd)
        return true;
    DWORD from = GetWindowThreadProcessId(foreground, nullptr);
    DWORD to = GetWindowThreadProcessId(hwnd, nullptr);
    // Raising and activating wait on the window's thread; one that has stopped answering is
    // only asked to show itself when it comes back.
    DWORD_PTR ignored = 0;
    if (to != GetCurrentThreadId() &&
        !SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &ignored)) {
        ShowWindowAsync(hwnd, IsIconic(hwnd) ? SW_RESTORE : SW_SHOW);
        return false;
    }
    // Joining the two input queues is what lets the change of foreground through; it is undone
    // at once, since a joined queue would stall with either thread.
    bool attached = from && to && from != to && AttachThreadInput(from, to, TRUE);
    BringWindowToTop(hwnd);
    BOOL ok = SetForegroundWindow(hwnd);
    ShowWindow(hwnd, IsIconic(hwnd) ? SW_RESTORE : SW_SHOW);
    if (attached)
        AttachThreadInput(from, to, FALSE);
    return ok != FALSE;
}

} // namespace merilane
