#pragma once
#include <functional>

namespace merilane {

// The one way to have something done later on the user-interface thread: the work runs from
// that thread's message loop (modal loops and message-pump passes included), after whatever
// runs now has returned, in the order posted. A failure inside it goes to the program's
// handler of unhandled failures. Safe to call from any thread.
//
// The work is received by a message-only window of the thread that posts first (the
// user-interface thread: the first command or the keyboard hook's first key); should that
// window be gone, the next thread to post makes it again.
void PostToUiThread(std::function<void()> work);

} // namespace merilane
