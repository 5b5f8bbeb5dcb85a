#pragma once
#include <windows.h>

namespace merilane {

// A message-only window of the calling thread with the procedure: a place to post to that the
// thread's message loop, modal loops included, dispatches. The class is registered once.
HWND CreateMessageWindow(const wchar_t* className, WNDPROC procedure);

} // namespace merilane
