#pragma once
#include <windows.h>

namespace merilane {

// The one road to the foreground for the whole program. True when the window is in the
// foreground afterwards as far as can be told; false for a handle that is no window.
bool ForceForeground(HWND hwnd);

} // namespace merilane
