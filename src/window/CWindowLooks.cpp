#include "window/CWindow.h"
#include "controls/CIcon.h"
#include "controls/Handles.h"
#include "window/CWindowShared.h"
#include "window/ForeignCall.h"
#include <memory>

// The wrapper's looks: transparency, z-order and icons.
namespace merilane {

using detail::AsyncFor;
using detail::FrameChanged;

std::optional<BYTE> TransparencyAlpha(int percent) noexcept {
    if (percent < 0 || percent > 100)
        return std::nullopt;
    // (100 - percent) / 100 * 255 in exact integers, so that a half is seen as a half.
    int scaled = (100 - percent) * 255;
    int alpha = scaled / 100, rest = scaled % 100;
    if (rest > 50 || (rest == 50 && alpha % 2 == 1))
        ++alpha;
    return static_cast<BYTE>(alpha);
}

HICON CWindow::SmallIconHandle() const {
    if (!m_smallIcon)
        m_smallIcon = GetIconHandle(ICON_SMALL);
    return *m_smallIcon;
}

HICON CWindow::BigIconHandle() const {
    if (!m_bigIcon)
        m_bigIcon = GetIconHandle(ICON_BIG);
    return *m_bigIcon;
}

UINT CWindow::PositionFlags() const {
    return SWP_NOSIZE | SWP_NOMOVE | AsyncFor(hWnd);
}

void CWindow::ZorderTop(bool value) const {
    if (value)
        SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, PositionFlags());
}

bool CWindow::TopMost() const {
    return GetExStyleBit(WS_EX_TOPMOST);
}

void CWindow::SetTopMost(bool value) const {
    SetWindowPos(hWnd, value ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, PositionFlags());
}

void CWindow::SetIcon(HICON icon, int iconType, bool ownerChain) const {
    CIcon::SetWindowIcon(hWnd, icon, iconType, ownerChain);
}

CPicture CWindow::GetIcon(HICON icon, int) const {
    return CIcon::CreatePicture(icon, CPicture::kTypeIcon, 0, 0);
}

bool CWindow::IsTransparent() const {
    return GetExStyleBit(WS_EX_LAYERED);
}

TransparencyResult CWindow::MakeTransparent(int16_t percent) const {
    std::optional<BYTE> alpha = TransparencyAlpha(percent);
    if (!alpha)
        return kTransparencyOutOfRange;
    if (!IsExistingWindow() || !Answers())
        return kTransparencyError;
    // The style and the alpha are one change, made by one call in that order: a layered window
    // without its attributes is not drawn at all, so a style write that lands late must not
    // leave the window like that.
    HWND hwnd = hWnd;
    BYTE value = *alpha;
    auto ok = std::make_shared<bool>(false);
    auto change = [hwnd, value, ok] {
        LONG style = GetWindowLongW(hwnd, GWL_EXSTYLE);
        SetWindowLongW(hwnd, GWL_EXSTYLE, style | WS_EX_LAYERED);
        *ok = SetLayeredWindowAttributes(hwnd, 0, value, LWA_ALPHA) != 0;
        FrameChanged(hwnd, 0);
    };
    if (IsOwnThreadWindow(hwnd))
        change();
    else if (!CallBounded(hwnd, change))
        return kTransparencyError; // it lands whole when the window answers; not done yet
    return *ok ? kTransparencyDone : kTransparencyError;
}

TransparencyResult CWindow::MakeOpaque() const {
    if (!IsExistingWindow() || !Answers())
        return kTransparencyError;
    // Without the layered style the window is drawn opaque again; an alpha set afterwards would
    // fail, and if it took it would make the window vanish.
    SetExStyleBit(WS_EX_LAYERED, false);
    return IsTransparent() ? kTransparencyError : kTransparencyDone;
}

HICON CWindow::GetIconHandle(int type) const {
    if (IsNoWindow(hWnd))
        return nullptr;
    return CIcon::GetWindowIconHandle(hWnd, type);
}

} // namespace merilane
