#include "selection/CTaskList.h"
#include "controls/Ask.h"
#include "controls/Handles.h"
#include "window/CWindow.h"
#include "window/MTermProc.h"
#include "window/mExecutableName.h"

namespace merilane {
namespace {

// A program may give its window an owner at any time (a dialog often gets one after it first
// shows), so the owner is read each time it matters. The system answers from its own records,
// without a message to the window.
HWND OwnerOf(HWND hwnd) {
    return GetWindow(hwnd, GW_OWNER);
}

} // namespace

CTaskList::CTaskList()
    : m_table(kGrowth), m_defaultLarge0(LoadIconW(nullptr, IDI_WINLOGO)),
      m_defaultLarge1(LoadIconW(nullptr, IDI_APPLICATION)), m_isNT(IsWindowsNT()) {}

void CTaskList::SetHungTimeout(int milliseconds) noexcept {
    if (milliseconds > 0)
        m_hungTimeout = milliseconds;
}

void CTaskList::SetMode(int mode) noexcept {
    if (mode == 0 || mode == 1)
        m_mode = mode;
}

const CTaskList::TaskEntry* CTaskList::Entry(long index) const {
    return index >= 1 && index <= m_count ? &m_table[static_cast<size_t>(index - 1)] : nullptr;
}

long CTaskList::Resolve(long index, HWND hwnd) const {
    return hwnd ? FindTask(hwnd) : index;
}

std::wstring CTaskList::Caption(long index) const {
    auto* e = Entry(index);
    return e ? e->Caption : std::wstring();
}

HWND CTaskList::hWnd(long index) const {
    auto* e = Entry(index);
    return e ? e->hWnd : nullptr;
}

HICON CTaskList::hIcon(long index) const {
    auto* e = Entry(index);
    if (!e)
        return nullptr;
    if (e->hIcon)
        return e->hIcon;
    return m_mode == 0 ? m_defaultLarge0 : m_defaultLarge1;
}

HICON CTaskList::hIconSm(long index) const {
    auto* e = Entry(index);
    if (!e)
        return nullptr;
    return e->hIconSm ? e->hIconSm : hIcon(index);
}

DWORD CTaskList::ProcessID(long index) const {
    auto* e = Entry(index);
    return e ? e->ProcessID : 0;
}

int CTaskList::StatusAtRefresh(long index) const {
    auto* e = Entry(index);
    if (!e)
        return 0;
    // Asking the window's thread for the caption was asking whether it answers.
    switch (e->LastReply) {
    case TaskEntry::Reply::InTime:
        return 0;
    case TaskEntry::Reply::None:
        return 1;
    default:
        return Status(index);
    }
}

int CTaskList::Status(long index) const {
    auto* e = Entry(index);
    if (!e)
        return 0;
    return Ask(e->hWnd, WM_NULL, 0, 0, static_cast<UINT>(m_hungTimeout)) ? 0 : 1;
}

bool CTaskList::IsToolWindow(HWND hwnd) {
    return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
}

bool CTaskList::IsTaskWindow(HWND hwnd, int mode) {
    if (!IsWindowVisible(hwnd) || GetParent(hwnd))
        return false;
    return QualifiesWithOwner(hwnd, OwnerOf(hwnd), mode);
}

bool CTaskList::QualifiesWithOwner(HWND hwnd, HWND owner, int mode) {
    if (mode == 0)
        return (!owner || IsToolWindow(owner)) && !IsToolWindow(hwnd);
    if (owner)
        return false;
    return !IsToolWindow(hwnd) || CWindow::GetWindowClassName(hwnd) != L"Progman";
}

bool CTaskList::IsTopLevelTask(HWND hwnd, int mode, HWND& owner) {
    // A window of the desktop's top level is visible exactly when its own style says so, and
    // has a parent (in GetParent's sense) exactly when it is an owned pop-up: the same
    // answers as IsTaskWindow, with fewer questions to the system about another program's
    // window, each of which costs a trip to the system's window manager.
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    if (!(style & WS_VISIBLE))
        return false;
    if (style & WS_CHILD)
        return IsTaskWindow(hwnd, mode);
    owner = OwnerOf(hwnd);
    if (owner && (style & WS_POPUP))
        return false;
    return QualifiesWithOwner(hwnd, owner, mode);
}

long CTaskList::FindTask(HWND hwnd) const {
    for (long i = 0; i < m_count; ++i)
        if (m_table[static_cast<size_t>(i)].hWnd == hwnd)
            return i + 1;
    return 0;
}

HICON CTaskList::AskIcon(HWND source, int type, int classIndex) const {
    auto answer =
        Ask(source, WM_GETICON, static_cast<WPARAM>(type), 0, static_cast<UINT>(m_hungTimeout));
    if (!answer)
        return nullptr;
    if (*answer)
        return reinterpret_cast<HICON>(*answer);
    return reinterpret_cast<HICON>(GetClassLongPtrW(source, classIndex));
}

std::optional<std::wstring> CTaskList::AskCaption(HWND source) const {
    UINT timeout = static_cast<UINT>(m_hungTimeout);
    // Most titles fit a short buffer, and then one message is all it takes; only a title that
    // fills it is asked for its length. That length is the window's own answer, and may be
    // anything: a title is kept to a reasonable size.
    constexpr DWORD_PTR kShort = 256;
    wchar_t shortBuffer[kShort] = {};
    auto shortCopy =
        Ask(source, WM_GETTEXT, kShort, reinterpret_cast<LPARAM>(shortBuffer), timeout);
    if (!shortCopy)
        return std::nullopt;
    auto copied = static_cast<DWORD_PTR>(*shortCopy);
    if (copied < kShort - 1)
        return std::wstring(shortBuffer, copied);
    auto asked = Ask(source, WM_GETTEXTLENGTH, 0, 0, timeout);
    if (!asked)
        return std::nullopt;
    auto length = static_cast<DWORD_PTR>(*asked);
    if (length > kLongestCaption)
        length = kLongestCaption;
    std::wstring buffer(length + 1, L'\0');
    auto longCopy =
        Ask(source, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(buffer.data()), timeout);
    if (!longCopy)
        return std::nullopt;
    copied = static_cast<DWORD_PTR>(*longCopy);
    // The length may be an overestimate (it can count in bytes); the copy is what counts.
    buffer.resize(copied <= length ? copied : length);
    return buffer;
}

void CTaskList::AddTask(HWND hwnd) {
    AddTask(hwnd, OwnerOf(hwnd));
}

void CTaskList::AddTask(HWND hwnd, HWND owner) {
    long existing = FindTask(hwnd);
    HWND source = owner ? owner : hwnd;
    std::optional<std::wstring> caption = AskCaption(source);
    // A window that does not answer keeps what it had, and a new one waits for the next
    // refresh; one without a caption is never listed.
    bool sameThread = source == hwnd || GetWindowThreadProcessId(source, nullptr) ==
                                            GetWindowThreadProcessId(hwnd, nullptr);
    auto reply = !sameThread ? TaskEntry::Reply::Unknown
                 : caption   ? TaskEntry::Reply::InTime
                             : TaskEntry::Reply::None;
    if (existing)
        m_table[static_cast<size_t>(existing - 1)].LastReply = reply;
    if (!caption || caption->empty())
        return;

    size_t slot;
    if (existing) {
        slot = static_cast<size_t>(existing - 1);
    } else {
        if (static_cast<size_t>(m_count) >= m_table.size())
            m_table.resize(m_table.size() + kGrowth);
        slot = static_cast<size_t>(m_count++);
    }
    TaskEntry& e = m_table[slot];
    // Icons are asked for once, when the task is found: whoever shows them keeps a copy made
    // then, so asking again every refresh would change nothing anyone sees.
    if (!existing) {
        e.hIcon = AskIcon(source, ICON_BIG, GCLP_HICON);
        e.hIconSm = AskIcon(source, ICON_SMALL, GCLP_HICONSM);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        e.ProcessID = pid;
    }
    e.hWnd = hwnd;
    e.Caption = std::move(*caption);
    e.LastReply = reply;
}

long CTaskList::CompactTasks() {
    if (m_count == 0)
        return 0;
    size_t kept = 0;
    for (size_t i = 0; i < static_cast<size_t>(m_count); ++i)
        if (m_table[i].hWnd) {
            if (kept != i)
                m_table[kept] = std::move(m_table[i]);
            ++kept;
        }
    for (size_t i = kept; i < m_table.size(); ++i)
        m_table[i] = TaskEntry{};
    return static_cast<long>(kept);
}

namespace {
BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(hwnd);
    return TRUE;
}
} // namespace

void CTaskList::Refresh() {
    // The desktop's top-level windows in z-order, topmost first, taken in one go.
    std::vector<HWND> desktop;
    desktop.reserve(static_cast<size_t>(m_count) + 64);
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&desktop));
    std::unordered_set<HWND> present(desktop.begin(), desktop.end());

    // A window found on the desktop a moment ago exists; only the others are asked.
    for (long i = 0; i < m_count; ++i) {
        TaskEntry& e = m_table[static_cast<size_t>(i)];
        if (!present.count(e.hWnd) && !IsWindow(e.hWnd))
            e.hWnd = nullptr;
    }
    m_count = CompactTasks();
    m_qualified.clear();
    for (HWND h : desktop) {
        HWND owner = nullptr;
        if (!IsTopLevelTask(h, m_mode, owner))
            continue;
        m_qualified.insert(h);
        AddTask(h, owner);
    }
}

bool CTaskList::ValidAtRefresh(HWND hwnd) {
    long at = FindTask(hwnd);
    if (!at)
        return false;
    if (m_qualified.count(hwnd))
        return true;
    m_table[static_cast<size_t>(at - 1)].hWnd = nullptr;
    m_count = CompactTasks();
    return false;
}

long CTaskList::ZorderOf(HWND hwnd, int mode) {
    long position = 0;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (!IsTaskWindow(h, mode))
            continue;
        // A task is listed with its owner's title, and never without one.
        HWND source = OwnerOf(h);
        wchar_t first[2] = {};
        if (InternalGetWindowText(source ? source : h, first, 2) <= 0)
            continue;
        ++position;
        if (h == hwnd)
            return position;
    }
    return 0;
}

bool CTaskList::Valid(long index, HWND hwnd) {
    long at = Resolve(index, hwnd);
    if (!Entry(at))
        return false;
    TaskEntry& e = m_table[static_cast<size_t>(at - 1)];
    if (IsTaskWindow(e.hWnd, m_mode))
        return true;
    e.hWnd = nullptr;
    m_count = CompactTasks();
    return false;
}

int CTaskList::VDM(long index, HWND hwnd) {
    long at = Resolve(index, hwnd);
    if (!m_isNT || !Entry(at))
        return 0;
    TaskEntry& e = m_table[static_cast<size_t>(at - 1)];
    e.VDM = IsWowProcess(e.ProcessID) ? 1 : IsDosProcess(e.ProcessID) ? 2 : 0;
    return e.VDM;
}

bool CTaskList::Activate(long index, HWND hwnd) {
    long at = Resolve(index, hwnd);
    auto* e = Entry(at);
    if (!e || e->Caption.empty())
        return false;
    HWND target = e->hWnd;
    // Handed to the window's thread, which restores it when it gets to it: waiting for that
    // would hold this thread for as long as the task does not answer.
    if (IsIconic(target))
        ShowWindowAsync(target, SW_RESTORE);
    SetForegroundWindow(target);
    return GetForegroundWindow() == target;
}

bool CTaskList::Terminate(long index, HWND hwnd, DWORD dialogDelay) {
    long at = Resolve(index, hwnd);
    if (!Entry(at))
        return false;
    TaskEntry copy = *Entry(at);
    switch (VDM(at, nullptr)) {
    case 1:
        CloseWowTask(copy.hWnd, dialogDelay);
        return true;
    case 2:
        PostCloseToProcess(copy.ProcessID, copy.hWnd);
        return true;
    default:
        return CloseProcessWindows(copy.hWnd, copy.ProcessID, dialogDelay);
    }
}

} // namespace merilane
