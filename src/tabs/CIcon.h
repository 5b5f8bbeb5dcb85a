#pragma once
#include <windows.h>

namespace merilane {

// The program's dealings with window icons.
class CIcon {
public:
    // A window's icon of the given type (ICON_SMALL or ICON_BIG); never null: a window that
    // answers nothing in time gets its class icon, or else the system's default one.
    static HICON GetWindowIconHandle(HWND window, int type);

    static constexpr UINT kIconQueryTimeoutMs = 3000;
};

} // namespace merilane
