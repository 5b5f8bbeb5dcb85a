#include "window/CWindow.h"
#include "controls/Error.h"
#include "controls/Text.h"
#include "tabs/CIcon.h"
#include "window/Handles.h"
#include "window/mExecutableName.h"

namespace merilane {
namespace {

bool IsDesktop(HWND parent) {
    return IsNoWindow(parent) || parent == GetDesktopWindow();
}

} // namespace

void CWindow::CloseWindow() const {
    PostMessageW(hWnd, WM_CLOSE, 0, 0);
}

int CWindow::CaptionHeight() {
    return GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYEDGE);
}

LONG CWindow::Style() const {
    return GetWindowLongW(hWnd, GWL_STYLE);
}
void CWindow::SetStyle(LONG style) const {
    SetWindowLongW(hWnd, GWL_STYLE, style);
}
LONG CWindow::ExStyle() const {
    return GetWindowLongW(hWnd, GWL_EXSTYLE);
}
void CWindow::SetExStyle(LONG style) const {
    SetWindowLongW(hWnd, GWL_EXSTYLE, style);
}

bool CWindow::IsExistingWindow() const {
    return !IsNoWindow(hWnd) && IsWindow(hWnd);
}
bool CWindow::IsForegroundWindow() const {
    return GetForegroundWindow() == hWnd;
}

UINT CWindow::GetWindowState() const {
    WINDOWPLACEMENT placement{sizeof(placement)};
    if (!GetWindowPlacement(hWnd, &placement))
        return 0;
    return placement.showCmd;
}

void CWindow::SetWindowState(UINT state) const {
    // The restored rectangle is left empty on purpose: whoever shows the window in the normal
    // state sizes it afterwards.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    placement.showCmd = state;
    if (SetWindowPlacement(hWnd, &placement) || !IsExistingWindow())
        return;
    // Wine refuses placements of other processes' windows; showing the window in the state
    // gives the same result. A hung window gets the request queued rather than waited on.
    if (IsHungAppWindow(hWnd))
        ShowWindowAsync(hWnd, static_cast<int>(state));
    else
        ShowWindow(hWnd, static_cast<int>(state));
}

CWindow CWindow::GetParentWindow() const {
    CWindow parent;
    parent.Load(LocalHwnd);
    return parent;
}

bool CWindow::Visible() const {
    return GetStyleBit(WS_VISIBLE);
}
void CWindow::SetVisible(bool value) const {
    SetStyleBit(WS_VISIBLE, value);
}

bool CWindow::Load(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    int64_t width = int64_t{r.right} - r.left, height = int64_t{r.bottom} - r.top;
    if (width != static_cast<int32_t>(width) || height != static_cast<int32_t>(height))
        Raise(kOverflow);
    Width = static_cast<int32_t>(width);
    Height = static_cast<int32_t>(height);
    PID = 0;
    GetWindowThreadProcessId(hwnd, &PID);
    LastHwnd = GetParent(hwnd);
    hWnd = hwnd;
    ExecutableName = IsNoWindow(hwnd) ? std::wstring() : GetExecutablePath(hwnd);
    Classname = GetWindowClassName(hwnd);
    m_originalStyle = Style();
    m_originalExStyle = ExStyle();
    SmallIconHandle = GetIconHandle(ICON_SMALL);
    BigIconHandle = GetIconHandle(ICON_BIG);
    return IsExistingWindow();
}

void CWindow::Resize(int width, int height, bool repaint) const {
    MoveWindow(hWnd, 0, 0, width, height, repaint);
}

void CWindow::Reparent(HWND newOwner, bool setOriginals) {
    LastHwnd = SetParent(hWnd, newOwner);
    if (IsDesktop(newOwner)) {
        // Back on the desktop a pop-up must be a pop-up again: a child window without a parent
        // has no frame, no taskbar button and cannot be activated.
        if ((m_originalStyle & WS_POPUP) && GetStyleBit(WS_CHILD)) {
            SetStyleBit(WS_CHILD, false);
            SetStyleBit(WS_POPUP, true);
        }
    } else if (GetStyleBit(WS_POPUP)) {
        SetStyleBit(WS_POPUP, false);
        SetStyleBit(WS_CHILD, true);
    }
    if (setOriginals) {
        SetStyle(m_originalStyle);
        SetExStyle(m_originalExStyle);
    }
}

bool CWindow::GetStyleBit(LONG bit) const {
    return (Style() & bit) != 0;
}
bool CWindow::GetExStyleBit(LONG bit) const {
    return (ExStyle() & bit) != 0;
}

void CWindow::Repaint() const {
    SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
}

void CWindow::SetStyleBit(LONG bit, bool switchOn) const {
    LONG style = Style();
    SetWindowLongW(hWnd, GWL_STYLE, switchOn ? (style | bit) : (style & ~bit));
    Repaint();
}

void CWindow::SetExStyleBit(LONG bit, bool switchOn) const {
    LONG style = ExStyle();
    SetWindowLongW(hWnd, GWL_EXSTYLE, switchOn ? (style | bit) : (style & ~bit));
    Repaint();
}

bool CWindow::IsSizable() const {
    return GetStyleBit(WS_THICKFRAME);
}
bool CWindow::IsMaxizable() const {
    return GetStyleBit(WS_MAXIMIZEBOX);
}
bool CWindow::IsDialogBox() const {
    return !IsSizable() && !IsMaxizable();
}

std::wstring CWindow::ReplacedCaption(std::optional<int> length) const {
    std::wstring text = ReplaceAll(Caption, L"%t", GetWindowCaptionText(hWnd));
    if (length) {
        if (*length > 32764)
            Raise(kOverflow);
        if (*length > 0 && text.size() > static_cast<size_t>(*length) + 3)
            text = text.substr(0, static_cast<size_t>(*length)) + L"...";
    }
    return text;
}

std::wstring CWindow::ActiveCaption() const {
    return GetWindowCaptionText(hWnd);
}

std::wstring CWindow::GetWindowCaptionText(HWND hwnd) {
    if (IsNoWindow(hwnd))
        return L"No window with this handle.";
    // GetWindowTextW does not wait on a hung window of another process: it reads the text the
    // system keeps for it.
    wchar_t buffer[256] = {};
    int n = GetWindowTextW(hwnd, buffer, 256);
    if (n <= 0)
        return {};
    // The cut at 255 must not leave half of a surrogate pair behind.
    if (n == 255 && IS_HIGH_SURROGATE(buffer[254]))
        --n;
    return std::wstring(buffer, static_cast<size_t>(n));
}

std::wstring CWindow::GetWindowClassName(HWND hwnd) {
    wchar_t buffer[100] = {};
    int n = GetClassNameW(hwnd, buffer, 100);
    return n > 0 ? std::wstring(buffer, static_cast<size_t>(n)) : std::wstring();
}

CPicture CWindow::GetIcon(HICON icon, int) const {
    return CIcon::CreatePicture(icon, CPicture::kTypeIcon, 0, 0);
}

HICON CWindow::GetIconHandle(int type) const {
    if (IsNoWindow(hWnd))
        return nullptr;
    return CIcon::GetWindowIconHandle(hWnd, type);
}

} // namespace merilane
