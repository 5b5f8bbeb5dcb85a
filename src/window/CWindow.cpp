#include "window/CWindow.h"
#include "controls/Ask.h"
#include "controls/Error.h"
#include "controls/Handles.h"
#include "controls/MInput.h"
#include "controls/Text.h"
#include "window/CWindowShared.h"
#include "window/CaptureRecord.h"
#include "window/ForeignCall.h"
#include "window/mExecutableName.h"
#include <atomic>
#include <memory>

// The wrapper's core: what the window is, its styles and placement, and its moves into a host
// and back out.
namespace merilane {
namespace {

using detail::AsyncFor;
using detail::FrameChanged;

std::atomic<CWindow::ParentSetter> g_setParent{&SetParent};
std::atomic<LateMoveReceiver> g_lateMoveReceiver{nullptr};

void TellLateMoveEnded(HWND window) {
    if (LateMoveReceiver receiver = g_lateMoveReceiver.load())
        receiver(window);
}

} // namespace

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
        CallBounded(hwnd, write);
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
        CallBounded(hwnd, write);
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
    m_record = CaptureRecord{};
    m_record.window = hwnd;
    // GetParent answers the owner of an owned pop-up: given back there, the window would end
    // inside its owner as a child. The record keeps the parent it really had.
    HWND parent = GetAncestor(hwnd, GA_PARENT);
    m_record.previousParent = IsDesktopParent(parent) ? nullptr : parent;
    m_record.style = Style();
    m_record.exStyle = ExStyle();
    m_record.rect = r;
    WINDOWPLACEMENT placement{sizeof(placement)};
    if (GetWindowPlacement(hwnd, &placement)) {
        m_record.showCmd = placement.showCmd;
        MONITORINFO monitor{sizeof(monitor)};
        POINT offset{};
        if (GetMonitorInfoW(MonitorFromRect(&placement.rcNormalPosition, MONITOR_DEFAULTTONEAREST),
                            &monitor))
            offset = {monitor.rcWork.left - monitor.rcMonitor.left,
                      monitor.rcWork.top - monitor.rcMonitor.top};
        m_record.rect = NormalPlace(placement, m_record.exStyle & WS_EX_TOOLWINDOW, offset);
    }
    m_smallIcon.reset();
    m_bigIcon.reset();
    return IsExistingWindow();
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

CWindow::ParentSetter CWindow::ParentSetterInUse() noexcept {
    return g_setParent.load();
}

void SetLateMoveReceiver(LateMoveReceiver receiver) noexcept {
    g_lateMoveReceiver = receiver;
}

bool CWindow::Reparent(HWND newOwner) {
    HWND hwnd = hWnd;
    LONG original = m_record.style;
    bool intoHost = !IsDesktopParent(newOwner);
    // Another thread's window is on record before it goes in: whatever happens to the program
    // from here on, the record is what brings it back.
    bool recorded = intoHost && !IsOwnThreadWindow(hwnd);
    if (recorded) {
        m_record.host = newOwner;
        if (!HeldWindows::Hold(m_record)) {
            m_reparentRefused = true;
            return true;
        }
    }
    auto previous = std::make_shared<HWND>(nullptr);
    DWORD ours = GetCurrentThreadId();
    auto move = [=] {
        // Once the program is breaking down the rescue has the window: a move that had not
        // begun does not, and one under way is waited for before the window is given back.
        int mark = recorded ? HeldWindows::BeginMove(hwnd, true) : -1;
        if (recorded && mark < 0)
            return;
        *previous = SetParentAndFixStyle(hwnd, newOwner, original);
        HeldWindows::EndMove(mark);
        // A window of another thread among ours must not tie our input to its thread.
        SeparateInput(ours, GetWindowThreadProcessId(hwnd, nullptr));
    };
    // Once the move has ended, in time or late: a window that went out, or never got in, is
    // off the record.
    auto settle = [hwnd, intoHost, recorded](HWND previousParent) {
        bool moved = previousParent || !IsWindow(hwnd);
        if ((recorded && !moved) || (!intoHost && moved))
            HeldWindows::Forget(hwnd);
    };
    m_reparentRefused = false;
    if (IsOwnThreadWindow(hwnd)) {
        move();
    } else if (!CallBounded(hwnd, move, [previous, settle, hwnd] {
                   settle(*previous);
                   TellLateMoveEnded(hwnd);
               })) {
        return false;
    }
    settle(*previous);
    // A dead window is no refusal: whoever asked finds it gone.
    m_reparentRefused = !*previous && IsWindow(hwnd);
    if (!m_reparentRefused)
        LastHwnd = *previous;
    return true;
}

void CWindow::GreyCapturedMenu() {
    m_record.greyedMenuItems |= GreyCapturedMenuCommands(hWnd);
    // Only a window on record is held; a record of one that is not would bring it back later.
    CaptureRecord held;
    if (HeldWindows::Find(hWnd, held)) {
        held.greyedMenuItems = m_record.greyedMenuItems;
        HeldWindows::Hold(held);
    }
}

bool CWindow::GiveBack(HWND newParent, const RECT* placement) {
    CaptureRecord record = m_record;
    record.previousParent = newParent;
    HWND hwnd = hWnd;
    DWORD ours = GetCurrentThreadId();
    RECT where = placement ? *placement : kReleasedPlacement;
    auto out = [record, ours, where] {
        int mark = HeldWindows::BeginMove(record.window, false);
        GiveBackNow(record, where);
        HeldWindows::EndMove(mark);
        SeparateInput(ours, GetWindowThreadProcessId(record.window, nullptr));
    };
    auto settle = [hwnd, host = LocalHwnd] {
        if (!IsWindow(hwnd) || GetAncestor(hwnd, GA_PARENT) != host)
            HeldWindows::Forget(hwnd);
    };
    m_record.greyedMenuItems = 0;
    if (IsOwnThreadWindow(hwnd)) {
        out();
    } else if (!CallBounded(hwnd, out, [settle, hwnd] {
                   settle();
                   TellLateMoveEnded(hwnd);
               })) {
        return false;
    }
    settle();
    LastHwnd = newParent;
    return true;
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
    std::wstring text = !Name.empty() ? Name
                        : !RuleName.empty()
                            ? RuleName
                            : ReplaceAll(Caption, L"%t", GetWindowCaptionText(hWnd));
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

bool CWindow::Answers() const {
    if (IsOwnThreadWindow(hWnd))
        return true;
    return Ask(hWnd, WM_NULL, 0, 0, Wait::Answer).has_value();
}

} // namespace merilane
