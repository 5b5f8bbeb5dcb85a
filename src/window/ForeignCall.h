#pragma once
#include <windows.h>
#include <functional>

namespace merilane {

// The one place that knows which calls into another program's window can wait on it, and makes
// sure the user-interface thread never waits long.
//
// Calls that the window's own thread has to take part in (SetParent, style writes, synchronous
// SetWindowPos, placement, ShowWindow) are made either in their asynchronous form or through
// CallBounded. Asking the window first ("does it answer?") is no protection: it can stop
// answering between the question and the call.

// How long the user-interface thread waits for such a call before it lets the call finish on
// its own. A window that answers at all answers in a few milliseconds.
constexpr UINT kForeignCallBoundMs = 500;

// Whether the window belongs to the calling thread: calls into it wait on no one else.
bool IsOwnThreadWindow(HWND hwnd) noexcept;

// Runs `work` on a thread of its own while the caller waits at most `boundMs`, handling only
// messages sent to it meanwhile: no command, timer tick or input is dispatched, so nothing runs
// in the middle of the caller. True when the work is done.
//
// False when it is not done yet: it goes on by itself, and once it has ended `whenLate` runs on
// the caller's thread, dispatched from the message loop like any other handler. The work must
// therefore own everything it touches (capture by value) and touch no window of the caller's
// thread except through calls that are safe from any thread.
bool CallBounded(std::function<void()> work, std::function<void()> whenLate = {},
                 UINT boundMs = kForeignCallBoundMs);

// How many calls started by CallBounded have not ended yet.
int ForeignCallsInFlight() noexcept;

} // namespace merilane
