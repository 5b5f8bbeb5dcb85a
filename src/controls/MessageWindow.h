#pragma once
#include <windows.h>

namespace merilane {

// Registers one of the program's window classes (arrow cursor, the background given or none)
// the first time it is asked for; later calls for the same name change nothing.
void RegisterWindowClassOnce(const wchar_t* className, WNDPROC procedure,
                             HBRUSH background = nullptr);

// A message-only window of the calling thread with the procedure: a place to post to that the
// thread's message loop, modal loops included, dispatches. The class is registered once.
HWND CreateMessageWindow(const wchar_t* className, WNDPROC procedure);

} // namespace merilane
