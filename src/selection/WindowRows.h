#pragma once
#include "controls/CImageList.h"
#include "controls/CListView.h"
#include "selection/CTaskList.h"
#include <string>
#include <unordered_map>

namespace merilane {

// The rows of a live window list: one per task of the desktop, keyed "h" + hexadecimal handle,
// updated in place from a task table. Both the picker's list and the properties dialog's
// switch list are refreshed by this one routine, so they show the same windows at the same
// cost: one title per task per refresh, an icon once per new row.
//
// Columns: 0 the caption, 1 the state, 2 the decimal handle; with process columns also 3 the
// decimal process id and 4 the executable's file name.
class WindowRows {
  public:
    WindowRows(CListView& list, CImageList& images, CTaskList& tasks, bool processColumns)
        : m_list(list), m_images(images), m_tasks(tasks), m_processColumns(processColumns) {}
    WindowRows(const WindowRows&) = delete;
    WindowRows& operator=(const WindowRows&) = delete;

    // One refresh. A failure while a row or its icon is added is ignored (the row or icon is
    // tried again next time); any other failure passes to the caller.
    void Refresh();

    static std::wstring RowKey(HWND hwnd);
    static HWND HandleOfRowKey(const std::wstring& key);
    // Whether a file name is that of this program, or of another copy of it.
    static bool IsOwnExecutable(const std::wstring& fileName);

    static constexpr const wchar_t* kRunning = L"Running";
    static constexpr const wchar_t* kNotResponding = L"Not Responding";

  private:
    struct Process {
        std::wstring fileName;
        bool own = false;
    };
    const Process& ProcessOf(DWORD pid);

    CListView& m_list;
    CImageList& m_images;
    CTaskList& m_tasks;
    bool m_processColumns;
    // Executable names by process, for the processes that have tasks now: looking a name up
    // costs more than the rest of a refresh.
    std::unordered_map<DWORD, Process> m_processes;
};

} // namespace merilane
