#include "controls/CIconPicture.h"
#include "controls/MessageWindow.h"
#include "controls/WindowObjects.h"

namespace merilane {
namespace {
constexpr wchar_t kClass[] = L"MerilaneIconPicture";
} // namespace

void CIconPicture::Create(HWND parent, int id, int x, int y, int width, int height) {
    RegisterWindowClassOnce(kClass, Proc);
    HWND hwnd = CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    WindowObjects<CIconPicture>::Set(hwnd, this);
    Attach(hwnd);
    SetSize(width, height);
}

void CIconPicture::SetSize(int width, int height) {
    if (!hWnd())
        return;
    SetWindowPos(hWnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_canvas.reset();
    m_image.reset(CreateCompatibleBitmap(BorrowScreenDC().get(), width, height));
    m_canvas = std::make_unique<CPictureDC>();
    m_canvas->SetHBitmap(m_image.get());
    Clear();
}

void CIconPicture::Clear() {
    if (!m_canvas)
        return;
    RECT all{0, 0, m_canvas->Width(), m_canvas->Height()};
    FillRect(m_canvas->hDC(), &all, GetSysColorBrush(COLOR_BTNFACE));
    Refresh();
}

COLORREF CIconPicture::Pixel(int x, int y) const {
    if (!m_canvas || x < 0 || y < 0 || x >= m_canvas->Width() || y >= m_canvas->Height())
        return CLR_INVALID;
    return GetPixel(m_canvas->hDC(), x, y);
}

void CIconPicture::Paint(HDC target) const {
    if (m_canvas)
        BitBlt(target, 0, 0, m_canvas->Width(), m_canvas->Height(), m_canvas->hDC(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK CIconPicture::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CIconPicture* self = WindowObjects<CIconPicture>::Find(hwnd);
    switch (msg) {
    case WM_ERASEBKGND:
        return 1; // the bitmap covers everything
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (self)
            self->Paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        if (self)
            self->Paint(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_NCDESTROY:
        WindowObjects<CIconPicture>::Set(hwnd, nullptr);
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace merilane
