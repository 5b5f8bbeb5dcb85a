#pragma once
#include "controls/CPicture.h"
#include <windows.h>

namespace merilane {

// The program's dealings with window icons.
class CIcon {
  public:
    // A window's icon of the given type (ICON_SMALL or ICON_BIG); never null: a window that
    // answers nothing in time gets its class icon, or else the system's default one.
    static HICON GetWindowIconHandle(HWND window, int type);

    // Gives a window a new icon: big goes to the top of the owner chain (with ownerChain),
    // small to the window itself and to the class of the chain's top. Returns the class small
    // icon that was replaced. That icon is destroyed only when it is one this program handed
    // over earlier: another program's icon is never ours to destroy.
    static HICON SetWindowIcon(HWND window, HICON icon, int type, bool ownerChain);
    // Hands an icon the program made to SetWindowIcon; it is destroyed once it is replaced.
    static HICON SetWindowIcon(HWND window, OwnedIcon icon, int type, bool ownerChain);

    static CPicture IconHandleToPicture(HICON icon);
    static CPicture CreatePicture(HANDLE image, int type, long data1 = 0, long data2 = 0);
    static void DrawImage(HDC dc, HICON icon);

    // The window whose taskbar button and alt-tab entry stand for it: the top of its owners.
    static HWND TopOfOwnerChain(HWND window);
    // How many icons handed over to windows are waiting to be replaced.
    static int IconsHandedOver() noexcept;
};

} // namespace merilane
