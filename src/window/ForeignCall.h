#pragma once
#include "controls/Ask.h"
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
// its own.
constexpr UINT kForeignCallBoundMs = BoundMs(Wait::Call);

// Whether the window belongs to the calling thread: calls into it wait on no one else.
bool IsOwnThreadWindow(HWND hwnd) noexcept;

// Runs `work`, a call into `target`, on a worker thread while the caller waits at most
// `boundMs`. True when the work is done.
//
// Calls into windows of one thread run one after the other on one worker, in the order made,
// however late; a few workers serve all threads, so a program that hangs holds up only its
// own calls.
//
// Meanwhile the caller handles messages sent to its thread, and only those: the call itself
// may send to our windows and would otherwise never end. No posted message, command, timer tick
// or input is dispatched; but whatever a sent message's handler does runs in the middle of the
// caller, so such handlers must not change what the caller works on.
//
// False when it is not done yet: it goes on by itself, and once it has ended `whenLate` runs on
// the user-interface thread, posted there like any other work (see PostToUiThread). The work must
// therefore own everything it touches (capture by value) and touch no window of the caller's
// thread except through calls that are safe from any thread.
bool CallBounded(HWND target, std::function<void()> work, std::function<void()> whenLate = {},
                 UINT boundMs = kForeignCallBoundMs);

// How many calls started by CallBounded have not ended yet.
int ForeignCallsInFlight() noexcept;
// How many worker threads make such calls now.
int ForeignCallWorkers() noexcept;

} // namespace merilane
