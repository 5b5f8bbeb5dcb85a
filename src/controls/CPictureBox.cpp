#include "controls/CPictureBox.h"
#include "controls/MessageWindow.h"

namespace merilane {

void CPictureBox::Create(HWND parent, int id) {
    RegisterWindowClassOnce(L"MerilanePicture", DefWindowProcW,
                            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    Attach(CreateWindowExW(0, L"MerilanePicture", L"",
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr));
}

} // namespace merilane
