#include "controls/CControl.h"
#include "controls/Screen.h"

namespace merilane {

CControl::~CControl() {
    if (m_hwnd && IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
}

RECT CControl::BoundsInParent() const {
    RECT r{};
    if (!m_hwnd)
        return r;
    GetWindowRect(m_hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(m_hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

long CControl::Left() const {
    return PixelsToTwipsX(BoundsInParent().left, m_hwnd);
}
long CControl::Top() const {
    return PixelsToTwipsY(BoundsInParent().top, m_hwnd);
}
long CControl::Width() const {
    RECT r = BoundsInParent();
    return PixelsToTwipsX(r.right - r.left, m_hwnd);
}
long CControl::Height() const {
    RECT r = BoundsInParent();
    return PixelsToTwipsY(r.bottom - r.top, m_hwnd);
}

void CControl::SetLeft(long twips) {
    RECT r = BoundsInParent();
    SetWindowPos(m_hwnd, nullptr, TwipsToPixelsX(twips, m_hwnd), r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void CControl::SetTop(long twips) {
    RECT r = BoundsInParent();
    SetWindowPos(m_hwnd, nullptr, r.left, TwipsToPixelsY(twips, m_hwnd), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void CControl::SetWidth(long twips) {
    RECT r = BoundsInParent();
    int width = TwipsToPixelsX(twips, m_hwnd);
    SetWindowPos(m_hwnd, nullptr, 0, 0, width < 0 ? 0 : width, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void CControl::SetHeight(long twips) {
    RECT r = BoundsInParent();
    int height = TwipsToPixelsY(twips, m_hwnd);
    SetWindowPos(m_hwnd, nullptr, 0, 0, r.right - r.left, height < 0 ? 0 : height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CControl::Visible() const {
    return m_hwnd && (GetWindowLongW(m_hwnd, GWL_STYLE) & WS_VISIBLE);
}

void CControl::SetVisible(bool visible) {
    ShowWindow(m_hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

void CControl::Refresh() {
    if (m_hwnd) {
        InvalidateRect(m_hwnd, nullptr, TRUE);
        UpdateWindow(m_hwnd);
    }
}

} // namespace merilane
