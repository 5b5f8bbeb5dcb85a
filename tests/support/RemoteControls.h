#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace merilane::test {

// Works the standard controls of another process as a user would see them: the messages
// that carry a structure need it in that process's memory.
class RemoteListView {
  public:
    explicit RemoteListView(HWND list);
    ~RemoteListView();
    RemoteListView(const RemoteListView&) = delete;
    RemoteListView& operator=(const RemoteListView&) = delete;

    int Count() const;
    std::wstring Text(int row, int column = 0) const;
    void Select(int row, bool selected) const;
    void SelectNone() const;
    // Rows whose "hWnd" column names the window.
    int RowOf(HWND window) const;

  private:
    HWND m_list;
    HANDLE m_process = nullptr;
    void* m_remote = nullptr;
};

// The tab captions of another process's tab control.
std::vector<std::wstring> RemoteTabCaptions(HWND strip);
// Clicks the tab at the 0-based position with the mouse, through the system's input.
void ClickTab(HWND strip, int index);
// The rectangle of the tab at the 0-based position, on the screen.
RECT TabRect(HWND strip, int index);
// The pointer through the system's input: moved to `at` (absolute) with the button flags given.
void SendPointer(POINT at, DWORD buttons = 0);
// The pointer pressed at the first point, taken along the others in even steps and let go at
// the last, as a hand would; with `escape`, Escape is pressed before the release. `started` is
// waited for after the first step (a move loop, say).
void DragPointer(const std::vector<POINT>& path, bool escape = false,
                 const std::function<bool()>& started = {});
// The point a window is dragged by: its caption, a little in from the left.
POINT CaptionPoint(HWND window);

// Keys as a user types them: through the system's input (SendInput), or as X keyboard input
// through xdotool, which Wine turns into the same key events. `keys` are xdotool's names, such
// as "ctrl+Tab" or "shift+Tab".
void SendKeys(const std::vector<WORD>& down);
bool XdotoolKey(const std::string& keys);

// The children of a window with the class (and text, if given), in z-order.
std::vector<HWND> ChildrenOf(HWND parent, const std::wstring& className,
                             const std::wstring& text = {});
// Clicks a button of another process.
void Click(HWND button);
// Presses and releases a key in a control of another process.
void PressKey(HWND control, UINT key);
// Types text into a control of another process, a character at a time.
void TypeInto(HWND control, const std::wstring& text);

} // namespace merilane::test
