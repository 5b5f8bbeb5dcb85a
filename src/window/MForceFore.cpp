#include "window/MForceFore.h"
#include "controls/MInput.h"
#include "window/ForeignCall.h"
#include <atomic>
#include <memory>

namespace merilane {
namespace {

// A program that answers at all takes part in a change of foreground within milliseconds.
constexpr UINT kForegroundBoundMs = 50;

// The calling thread's input joined to the foreground thread's for as long as the object
// lives: the system lets a thread change the foreground when it shares the input of the
// thread in front. Never left joined.
class JoinedInput {
  public:
    explicit JoinedInput(DWORD foregroundThread) noexcept {
        if (AttachThreadInput(foregroundThread, GetCurrentThreadId(), TRUE))
            m_thread = foregroundThread;
    }
    ~JoinedInput() {
        if (m_thread)
            SeparateInput(GetCurrentThreadId(), m_thread);
    }
    JoinedInput(const JoinedInput&) = delete;
    JoinedInput& operator=(const JoinedInput&) = delete;

  private:
    DWORD m_thread = 0;
};

// Asks for the foreground with a thread of ours joined to the input of the thread in front,
// or else Windows may only flash the window. The join is made by a thread of its own: joined,
// a change of activation waits for the thread in front, and that one may have stopped
// answering; the user-interface thread keeps its input to itself (see MInput) and waits for
// the exchange only briefly.
bool SetForegroundJoined(HWND hwnd, HWND foreground, DWORD foregroundThread) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    // In line with the other calls into the program in front, which it waits on.
    bool inTime = CallBounded(
        foreground,
        [hwnd, foregroundThread, done] {
            JoinedInput joined(foregroundThread);
            *done = SetForegroundWindow(hwnd) != FALSE;
        },
        {}, kForegroundBoundMs);
    return inTime && *done;
}

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
    // Raising, activating and showing another thread's window are handed to that thread.
    bool own = to == GetCurrentThreadId();
    if (own)
        BringWindowToTop(hwnd);
    else
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
    // With our own thread in front, this process has the foreground and needs no help.
    bool ok = from && from != GetCurrentThreadId() ? SetForegroundJoined(hwnd, foreground, from)
                                                   : SetForegroundWindow(hwnd) != FALSE;
    int show = IsIconic(hwnd) ? SW_RESTORE : SW_SHOW;
    if (own)
        ShowWindow(hwnd, show);
    else
        ShowWindowAsync(hwnd, show);
    return ok;
}

} // namespace merilane
