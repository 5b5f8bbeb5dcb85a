#pragma once
#include <windows.h>
#include <optional>
#include <unordered_set>
#include <string>
#include <vector>

namespace merilane {

// The tasks of the desktop: visible top-level windows that stand for running programs, in
// the order they were found (a fresh table is in z-order, topmost first). Read by 1-based
// index; an index out of range answers 0, "" or false. Every message to a task's window is
// bounded by HungTimeout.
class CTaskList {
  public:
    struct TaskEntry {
        HWND hWnd = nullptr; // null marks an empty slot
        HICON hIcon = nullptr;
        HICON hIconSm = nullptr;
        DWORD ProcessID = 0;
        int VDM = 0;
        std::wstring Caption;
        // How the window's thread answered at the latest refresh: in time, not at all, or not
        // known (the caption came from another thread's window).
        enum class Reply { Unknown, InTime, None } LastReply = Reply::Unknown;
    };

    CTaskList();

    int HungTimeout() const noexcept { return m_hungTimeout; }
    void SetHungTimeout(int milliseconds) noexcept;
    int Mode() const noexcept { return m_mode; }
    void SetMode(int mode) noexcept;

    std::wstring Caption(long index) const;
    long Count() const noexcept { return m_count; }
    HWND hWnd(long index) const;
    HICON hIcon(long index) const;
    HICON hIconSm(long index) const;
    DWORD ProcessID(long index) const;
    int Status(long index) const;
    // Status as the latest Refresh found it, without asking the window again: the caption it
    // read was the window's answer (or the lack of one).
    int StatusAtRefresh(long index) const;
    bool Valid(long index, HWND hwnd);
    // Valid for a window by what the latest Refresh found: whether it qualified when the
    // desktop was walked. Saves asking the system the same questions twice in one go.
    bool ValidAtRefresh(HWND hwnd);
    int VDM(long index, HWND hwnd);
    bool Activate(long index, HWND hwnd);
    long GetIndex(HWND hwnd) const { return FindTask(hwnd); }
    void Refresh();
    bool Terminate(long index, HWND hwnd, DWORD dialogDelay);

    // How many slots the table has; it grows 20 at a time.
    size_t Slots() const noexcept { return m_table.size(); }

    static constexpr size_t kGrowth = 20;
    static constexpr int kDefaultHungTimeout = 500;
    // The most of a window's title the table keeps.
    static constexpr DWORD_PTR kLongestCaption = 4096;

    // The 1-based position the window would have in a freshly refreshed table, 0 when it would
    // not be listed; found without sending any window a message (titles are read as the
    // system keeps them), so that it can be asked as often as wanted.
    static long ZorderOf(HWND hwnd, int mode = 0);

    // The qualification rules, on their own.
    static bool IsToolWindow(HWND hwnd);
    static bool IsTaskWindow(HWND hwnd, int mode);

  private:
    // The rules that remain once a window is known to be visible and not a child or an owned
    // pop-up.
    static bool QualifiesWithOwner(HWND hwnd, HWND owner, int mode);
    const TaskEntry* Entry(long index) const;
    long Resolve(long index, HWND hwnd) const;
    void AddTask(HWND hwnd);
    void AddTask(HWND hwnd, HWND owner);
    // IsTaskWindow for a window of the desktop's top level, giving its owner as well.
    static bool IsTopLevelTask(HWND hwnd, int mode, HWND& owner);
    long CompactTasks();
    long FindTask(HWND hwnd) const;
    HICON AskIcon(HWND source, int type, int classIndex) const;
    // The window's text, asked of it, or nothing when it does not answer in time.
    std::optional<std::wstring> AskCaption(HWND source) const;

    std::vector<TaskEntry> m_table;
    std::unordered_set<HWND> m_qualified; // the task windows the latest Refresh found
    long m_count = 0;
    HICON m_defaultLarge0;
    HICON m_defaultLarge1;
    int m_mode = 0;
    int m_hungTimeout = kDefaultHungTimeout;
    bool m_isNT;
};

} // namespace merilane
