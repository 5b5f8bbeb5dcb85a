#pragma once
#include "controls/CImageList.h"
#include "controls/CListView.h"
#include "controls/CTimer.h"
#include "selection/CTaskList.h"
#include "selection/WindowRows.h"
#include "window/CWindow.h"
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace merilane {

// Windows picked from the list, keyed by their row key, in list order.
using WindowSelection = std::vector<std::pair<std::wstring, CWindow>>;

// The live list of the desktop's tasks: a row per window (icon, caption, state, handle),
// refreshed in place once a second, never showing the program's own windows.
class CTLWindowList {
  public:
    CTLWindowList();

    // Makes the list on the parent form and fills it. `firstIcon` is the list's first image,
    // which no row uses (the program's icon); without it one is loaded from the program.
    void Create(HWND parent, int id, HICON firstIcon = nullptr);
    void Move(int x, int y, int width, int height);

    void RefreshTaskList();
    WindowSelection GetWindows();
    void SetTimerEnabled(bool enabled) { Timer1.SetEnabled(enabled); }
    // The rows' icons, square, in pixels (16 at 96 dots per inch).
    void SetIconSize(int pixels);

    std::function<void(CWindow& window)> MouseDoubleClick;
    std::function<void(CWindow& window, int button, int shift, float x, float y)> MouseUp;
    std::function<void(int keyCode, int shift)> keyUp;
    std::function<void(int column)> ColumnClick;
    // The host forwards WM_NOTIFY of the list here.
    void HandleNotify(const NMHDR& header);

    static std::wstring RowKey(HWND hwnd) { return WindowRows::RowKey(hwnd); }
    static HWND HandleOfRowKey(const std::wstring& key) { return WindowRows::HandleOfRowKey(key); }
    // Whether a file name is that of this program, or of another copy of it.
    static bool IsOwnExecutable(const std::wstring& fileName) {
        return WindowRows::IsOwnExecutable(fileName);
    }

    static constexpr int kHungTimeout = 250;
    static constexpr UINT kRefreshInterval = 1000;
    static constexpr const wchar_t* kRunning = WindowRows::kRunning;
    static constexpr const wchar_t* kNotResponding = WindowRows::kNotResponding;

    CListView ListView1;
    CImageList ImageList1;
    CTimer Timer1;
    CTaskList Tasks;

  private:
    CWindow SelectedWindow() const;

    WindowRows m_rows{ListView1, ImageList1, Tasks, false};
};

} // namespace merilane
