#pragma once
#include <windows.h>

namespace merilane {

// Merilane holds system-wide keyboard and mouse hooks, so whatever code runs inside it sees
// every key the user types. A DLL found beside the executable (a Downloads folder, a share) or
// in the current folder must never be that code: libraries come from the system folder only.

// Restricts every later load, ours and the system's own on our behalf, to the system folder and
// takes the current folder out of the search. The first thing the program does.
void LoadOnlySystemLibraries() noexcept;

// A function of a system library that is not one of the system's known DLLs (which the loader
// would take from the program's folder first if it were imported directly), looked up in the
// system folder's copy; null when it cannot be had. The library stays loaded.
FARPROC SystemFunction(const wchar_t* library, const char* function) noexcept;

template <class F> F SystemFunctionAs(const wchar_t* library, const char* function) noexcept {
    return reinterpret_cast<F>(reinterpret_cast<void*>(SystemFunction(library, function)));
}

} // namespace merilane
