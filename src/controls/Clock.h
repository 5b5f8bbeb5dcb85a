#pragma once
#include <windows.h>

namespace merilane {

// The performance counter in microseconds: for timing the hooks' own calls, which take far less
// than GetTickCount can see.
inline double NowUs() noexcept {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1e6 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace merilane
