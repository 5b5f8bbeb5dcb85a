#include "selection/CTaskList.h"
#include "window/CWindow.h"
#include "controls/Handles.h"
#include "window/MTermProc.h"
#include "window/mExecutableName.h"

namespace merilane {
namespace {

HWND OwnerOf(HWND hwnd) {
    return reinterpret_cast<HWND>(GetWindowLongPtrW(hwnd, GWLP_HWNDPARENT));
}

std::wstring ClassNameOf(HWND hwnd) {
    wchar_t buffer[256] = {};
    int n = GetClassNameW(hwnd, buffer, 256);
    return n > 0 ? std::wstring(buffer, static_cast<size_t>(n)) : std::wstring();
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

int CTaskList::Status(long index) const {
    auto* e = Entry(index);
    if (!e)
        return 0;
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(e->hWnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                               static_cast<UINT>(m_hungTimeout), &ignored)
               ? 0
               : 1;
}

bool CTaskList::IsToolWindow(HWND hwnd) {
    return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
}

bool CTaskList::IsTaskWindow(HWND hwnd, int mode) {
    if (!IsWindowVisible(hwnd) || GetParent(hwnd))
        return false;
    HWND owner = OwnerOf(hwnd);
    if (mode == 0)
        return (!owner || IsToolWindow(owner)) && !IsToolWindow(hwnd);
    if (owner)
        return false;
    return !IsToolWindow(hwnd) || ClassNameOf(hwnd) != L"Progman";
}

long CTaskList::FindTask(HWND hwnd) const {
    for (long i = 0; i < m_count; ++i)
        if (m_table[static_cast<size_t>(i)].hWnd == hwnd)
            return i + 1;
    return 0;
}

HICON CTaskList::AskIcon(HWND source, int type, int classIndex) const {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(source, WM_GETICON, static_cast<WPARAM>(type), 0, SMTO_ABORTIFHUNG,
                             static_cast<UINT>(m_hungTimeout), &answer))
        return nullptr;
    if (answer)
        return reinterpret_cast<HICON>(answer);
    return reinterpret_cast<HICON>(GetClassLongPtrW(source, classIndex));
}

void CTaskList::AddTask(HWND hwnd) {
    long existing = FindTask(hwnd);
    HWND source = OwnerOf(hwnd);
    if (!source)
        source = hwnd;
    UINT timeout = static_cast<UINT>(m_hungTimeout);
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(source, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeout, &length))
        return;
    if (length == 0)
        return;
    // The length is the window's own answer, and may be anything: a title is kept to a
    // reasonable size. It may also be an overestimate (it can count in bytes); the copy is
    // what counts.
    if (length > kLongestCaption)
        length = kLongestCaption;
    std::wstring buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(source, WM_GETTEXT, length + 1,
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, timeout,
                             &copied))
        return;
    buffer.resize(copied <= length ? copied : length);
    if (buffer.empty())
        return;
    HICON large = AskIcon(source, ICON_BIG, GCLP_HICON);
    HICON small = AskIcon(source, ICON_SMALL, GCLP_HICONSM);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);

    size_t slot;
    if (existing) {
        slot = static_cast<size_t>(existing - 1);
    } else {
        if (static_cast<size_t>(m_count) >= m_table.size())
            m_table.resize(m_table.size() + kGrowth);
        slot = static_cast<size_t>(m_count++);
    }
    TaskEntry& e = m_table[slot];
    e.hWnd = hwnd;
    e.hIcon = large;
    e.hIconSm = small;
    e.ProcessID = pid;
    e.Caption = std::move(buffer);
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

void CTaskList::Refresh() {
    for (long i = 0; i < m_count; ++i) {
        TaskEntry& e = m_table[static_cast<size_t>(i)];
        if (!IsWindow(e.hWnd))
            e.hWnd = nullptr;
    }
    m_count = CompactTasks();
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        if (IsTaskWindow(h, m_mode))
            AddTask(h);
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
        PostCloseToProcess(copy.ProcessID);
        return true;
    default:
        return CloseProcessWindows(copy.ProcessID, dialogDelay);
    }
}

} // namespace merilane
