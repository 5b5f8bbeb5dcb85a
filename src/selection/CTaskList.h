#pragma once
#include <windows.h>
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
    bool Valid(long index, HWND hwnd);
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
    const TaskEntry* Entry(long index) const;
    long Resolve(long index, HWND hwnd) const;
    void AddTask(HWND hwnd);
    long CompactTasks();
    long FindTask(HWND hwnd) const;
    HICON AskIcon(HWND source, int type, int classIndex) const;

    std::vector<TaskEntry> m_table;
    long m_count = 0;
    HICON m_defaultLarge0;
    HICON m_defaultLarge1;
    int m_mode = 0;
    int m_hungTimeout = kDefaultHungTimeout;
    bool m_isNT;
};

} // namespace merilane
