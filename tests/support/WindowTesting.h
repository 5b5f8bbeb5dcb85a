#pragma once
#include "window/CWindow.h"

namespace merilane::test {

// A wrapper loaded with the window, as the program makes them.
inline CWindow Loaded(HWND hwnd) {
    CWindow w;
    w.Load(hwnd);
    return w;
}

} // namespace merilane::test
