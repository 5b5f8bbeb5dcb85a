#include "window/CWindow.h"
#include "controls/Error.h"
#include "controls/Screen.h"
#include "controls/Text.h"
#include "controls/CIcon.h"
#include "controls/Handles.h"
#include "controls/MInput.h"
#include "window/ForeignCall.h"
#include "window/mExecutableName.h"
#include <atomic>
#include <memory>

namespace merilane {
namespace {

bool IsDesktop(HWND parent) {
    return IsNoWindow(parent) || parent == GetDesktopWindow();
}

// Asks the default window procedure to pop up the window's system menu at the point in lParam.
constexpr UINT kPopupSystemMenu = 0x313;
// The owner of the window runs the menu before it answers, so the answer comes only when the
// menu closes; the menu stays up whether or not this side waits for it.
constexpr UINT kPopupSystemMenuTimeoutMs = 500;
constexpr UINT kAnswerTimeoutMs = 250;

// SetWindowPos flags for a window of another thread: the change is queued to that thread
// instead of waited for.
UINT AsyncFor(HWND hwnd) {
    return IsOwnThreadWindow(hwnd) ? 0 : SWP_ASYNCWINDOWPOS;
}

void FrameChanged(HWND hwnd, UINT extraFlags) {
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | extraFlags);
}

std::atomic<CWindow::ParentSetter> g_setParent{&SetParent};

// Runs on whichever thread may wait for the window: the new parent, and the bits a capture
// changes. Back on the desktop a pop-up is a pop-up again: a child window without a parent has
// no frame, no taskbar button and cannot be activated. Style writes are read-modify-write and
// each is followed by a frame repaint, as on the window's own thread.
HWND SetParentAndFixStyle(HWND hwnd, HWND newOwner, LONG originalStyle) {
    HWND previous = g_setParent.load()(hwnd, newOwner);
    // Refused: the window is where it was, and its style is not touched.
    if (!previous)
        return nullptr;
    auto switchBits = [&](LONG off, LONG on) {
        LONG style = GetWindowLongW(hwnd, GWL_STYLE);
        SetWindowLongW(hwnd, GWL_STYLE, (style & ~off) | on);
        FrameChanged(hwnd, 0);
    };
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    if (IsDesktop(newOwner)) {
        if ((originalStyle & WS_POPUP) && (style & WS_CHILD)) {
            switchBits(WS_CHILD, 0);
            switchBits(0, WS_POPUP);
        }
    } else if (style & WS_POPUP) {
        switchBits(WS_POPUP, 0);
        switchBits(0, WS_CHILD);
    }
    return previous;
}

} // namespace

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

int16_t ShortCoordinate(LONG value) {
    if (value < INT16_MIN || value > INT16_MAX)
        Raise(kOverflow);
    return static_cast<int16_t>(value);
}

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
    WriteLong(GWL_STYLE, style, false);
}
LONG CWindow::ExStyle() const {
    return GetWindowLongW(hWnd, GWL_EXSTYLE);
}
void CWindow::SetExStyle(LONG style) const {
    WriteLong(GWL_EXSTYLE, style, false);
}

void CWindow::WriteLong(int index, LONG value, bool repaint) const {
    HWND hwnd = hWnd;
    auto write = [hwnd, index, value, repaint] {
        SetWindowLongW(hwnd, index, value);
        if (repaint)
            FrameChanged(hwnd, 0);
    };
    if (IsOwnThreadWindow(hwnd))
        write();
    else
        CallBounded(write);
}

void CWindow::WriteBits(int index, LONG bits, bool switchOn) const {
    HWND hwnd = hWnd;
    // Read and written by the same thread, so that a late write does not undo a change that
    // was made meanwhile.
    auto write = [hwnd, index, bits, switchOn] {
        LONG style = GetWindowLongW(hwnd, index);
        SetWindowLongW(hwnd, index, switchOn ? (style | bits) : (style & ~bits));
        FrameChanged(hwnd, 0);
    };
    if (IsOwnThreadWindow(hwnd))
        write();
    else
        CallBounded(write);
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
    if (!IsExistingWindow())
        return;
    // Another thread's window is asked to show itself in the state, which it does when it gets
    // to it; a placement would wait for it.
    if (!IsOwnThreadWindow(hWnd)) {
        ShowWindowAsync(hWnd, static_cast<int>(state));
        return;
    }
    // The restored rectangle is left empty on purpose: whoever shows the window in the normal
    // state sizes it afterwards.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    placement.showCmd = state;
    if (!SetWindowPlacement(hWnd, &placement))
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
    m_executable.reset();
    Classname = GetWindowClassName(hwnd);
    m_originalStyle = Style();
    m_originalExStyle = ExStyle();
    m_smallIcon.reset();
    m_bigIcon.reset();
    return IsExistingWindow();
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

const std::wstring& CWindow::ExecutableName() const {
    if (!m_executable)
        m_executable = IsNoWindow(hWnd) ? std::wstring() : GetExecutablePath(hWnd);
    return *m_executable;
}

void CWindow::Resize(int width, int height, bool repaint) const {
    Move(0, 0, width, height, repaint);
}

void CWindow::Move(int x, int y, int width, int height, bool repaint) const {
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW) | AsyncFor(hWnd);
    SetWindowPos(hWnd, nullptr, x, y, width, height, flags);
}

void CWindow::SetParentSetter(ParentSetter setter) noexcept {
    g_setParent = setter ? setter : &SetParent;
}

bool CWindow::Reparent(HWND newOwner, bool setOriginals,
                       std::function<void(HWND previousParent)> whenLate) {
    HWND hwnd = hWnd;
    LONG original = m_originalStyle, originalEx = m_originalExStyle;
    auto previous = std::make_shared<HWND>(nullptr);
    DWORD ours = GetCurrentThreadId();
    auto move = [=] {
        *previous = SetParentAndFixStyle(hwnd, newOwner, original);
        // A window of another thread among ours must not tie our input to its thread.
        SeparateInput(ours, GetWindowThreadProcessId(hwnd, nullptr));
        if (setOriginals && *previous) {
            SetWindowLongW(hwnd, GWL_STYLE, original);
            SetWindowLongW(hwnd, GWL_EXSTYLE, originalEx);
        }
    };
    m_reparentRefused = false;
    if (IsOwnThreadWindow(hwnd)) {
        move();
    } else if (!CallBounded(move, [previous, whenLate] {
                   if (whenLate)
                       whenLate(*previous);
               })) {
        return false;
    }
    // A dead window is no refusal: whoever asked finds it gone.
    m_reparentRefused = !*previous && IsWindow(hwnd);
    if (!m_reparentRefused)
        LastHwnd = *previous;
    return true;
}

bool CWindow::GiveBack(HWND newParent, std::function<void()> whenLate) {
    for (UINT command : kCapturedMenuCommands)
        EnableMenuItem(command, true);
    // Copies: the wrapper may be gone by the time a late parent change ends.
    CWindow self = *this;
    auto place = [self] {
        self.SetWindowState(SW_SHOWNORMAL);
        self.Resize(kReleasedWidth, kReleasedHeight, true);
    };
    bool done = Reparent(newParent, false, [place, whenLate](HWND) {
        place();
        if (whenLate)
            whenLate();
    });
    if (done)
        place();
    return done;
}

bool CWindow::GetStyleBit(LONG bit) const {
    return (Style() & bit) != 0;
}
bool CWindow::GetExStyleBit(LONG bit) const {
    return (ExStyle() & bit) != 0;
}

void CWindow::Repaint() const {
    // The frame change is worked out by the window's own thread; another one gets it queued.
    FrameChanged(hWnd, AsyncFor(hWnd));
}

void CWindow::SetStyleBit(LONG bit, bool switchOn) const {
    WriteBits(GWL_STYLE, bit, switchOn);
}

void CWindow::SetExStyleBit(LONG bit, bool switchOn) const {
    WriteBits(GWL_EXSTYLE, bit, switchOn);
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

void CWindow::ShowSystemMenu() const {
    POINT cursor{};
    GetCursorPos(&cursor);
    LPARAM where = MakeLParam(ShortCoordinate(cursor.y), ShortCoordinate(cursor.x));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(hWnd, kPopupSystemMenu, 0, where, SMTO_ABORTIFHUNG,
                        kPopupSystemMenuTimeoutMs, &ignored);
    DoEvents();
}

void CWindow::DisableMenuItem(UINT menuItem) const {
    EnableMenuItem(menuItem, false);
}

void CWindow::EnableMenuItem(UINT menuItem, bool enabled) const {
    HMENU menu = GetSysMenuHandle();
    int position = FindSystemMenuItem(menuItem);
    if (!menu || position < 0)
        return;
    wchar_t text[80] = {};
    MENUITEMINFOW item{sizeof(item)};
    item.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE | MIIM_DATA;
    item.dwTypeData = text;
    item.cch = 80;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item))
        return;
    MENUITEMINFOW update{sizeof(update)};
    update.fMask = MIIM_STATE | MIIM_ID;
    // Only the grey mark changes: Close stays the menu's default item, a check mark stays.
    update.fState = (item.fState & ~MFS_GRAYED) | (enabled ? 0 : MF_GRAYED);
    update.wID = MarkedMenuId(menuItem, enabled);
    SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &update);
}

void CWindow::RemoveMenuItem(UINT menuItem) const {
    HMENU menu = GetSysMenuHandle();
    int position = FindSystemMenuItem(menuItem);
    if (!menu || position < 0)
        return;
    // By position: a disabled item no longer carries the id it is asked for by.
    RemoveMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
    // Close is set off from the other commands by a separator that would be left dangling; any
    // other item above it is a command of its own and stays.
    if (menuItem == SC_CLOSE && position > 0 &&
        (GetMenuState(menu, static_cast<UINT>(position - 1), MF_BYPOSITION) & MF_SEPARATOR))
        RemoveMenu(menu, static_cast<UINT>(position - 1), MF_BYPOSITION);
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

HMENU CWindow::GetSysMenuHandle() const {
    return IsNoWindow(hWnd) ? nullptr : GetSystemMenu(hWnd, FALSE);
}

UINT CWindow::AddMenuItem(UINT itemType, const std::wstring& itemName, HMENU subMenu) const {
    HMENU menu = GetSysMenuHandle();
    UINT id = static_cast<UINT>(GetMenuItemCount(menu) + 1000);
    if (menu) {
        switch (itemType) {
        case MF_STRING:
            AppendMenuW(menu, MF_STRING, id, itemName.c_str());
            break;
        case MF_POPUP:
            AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(subMenu), itemName.c_str());
            break;
        case MF_SEPARATOR:
            AppendMenuW(menu, MF_SEPARATOR, id, nullptr);
            break;
        default:
            break;
        }
    }
    Repaint();
    return id;
}

bool CWindow::GetMenuItemState(int position) const {
    HMENU menu = GetSysMenuHandle();
    MENUITEMINFOW item{sizeof(item)};
    item.fMask = MIIM_STATE;
    if (!menu || position < 0 || !GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item))
        return false;
    return item.fState != 0;
}

bool CWindow::Moveable() const {
    return !GetMenuItemState(FindSystemMenuItem(SC_MOVE));
}
void CWindow::SetMoveable(bool value) const {
    EnableMenuItem(SC_MOVE, value);
}

bool CWindow::Sizeable() const {
    return IsSizable();
}
void CWindow::SetSizeable(bool value) const {
    EnableMenuItem(SC_SIZE, value);
    SetStyleBit(WS_THICKFRAME, value);
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
    SetExStyleBit(WS_EX_LAYERED, true);
    if (!SetLayeredWindowAttributes(hWnd, 0, *alpha, LWA_ALPHA))
        return kTransparencyError;
    return kTransparencyDone;
}

TransparencyResult CWindow::MakeOpaque() const {
    if (!IsExistingWindow() || !Answers())
        return kTransparencyError;
    // Without the layered style the window is drawn opaque again; an alpha set afterwards would
    // fail, and if it took it would make the window vanish.
    SetExStyleBit(WS_EX_LAYERED, false);
    return IsTransparent() ? kTransparencyError : kTransparencyDone;
}

bool CWindow::Answers() const {
    if (IsOwnThreadWindow(hWnd))
        return true;
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &ignored) !=
           0;
}

int CWindow::FindSystemMenuItem(UINT id) const {
    HMENU menu = GetSysMenuHandle();
    if (!menu)
        return -1;
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position)
        if (MenuIdMatches(GetMenuItemID(menu, position), id))
            return position;
    return -1;
}

HICON CWindow::GetIconHandle(int type) const {
    if (IsNoWindow(hWnd))
        return nullptr;
    return CIcon::GetWindowIconHandle(hWnd, type);
}

} // namespace merilane
