#pragma once
#include "window/ForeignCall.h"
#include <windows.h>

// What the files of the window wrapper share.
namespace merilane::detail {

// SetWindowPos flags for a window of another thread: the change is queued to that thread
// instead of waited for.
inline UINT AsyncFor(HWND hwnd) noexcept {
    return IsOwnThreadWindow(hwnd) ? 0 : SWP_ASYNCWINDOWPOS;
}

inline void FrameChanged(HWND hwnd, UINT extraFlags) noexcept {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | extraFlags);
}

} // namespace merilane::detail
