#pragma once
#include <functional>

namespace merilane {

// Names the calling thread as the user-interface thread, the one posted work runs on. Called
// once, early, by that thread; work posted before then waits for it.
void BindUiThread();

// The one way to have something done later on the user-interface thread: the work runs from
// that thread's message loop (modal loops and message-pump passes included), after whatever
// runs now has returned, in the order posted. A failure inside it goes to the program's
// handler of unhandled failures. Safe to call from any thread.
void PostToUiThread(std::function<void()> work);

} // namespace merilane
