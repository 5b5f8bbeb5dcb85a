#pragma once
#include "controls/UniqueOwner.h"
#include <windows.h>
#include <cstdint>
#include <vector>

namespace merilane {

// Another program's window dragged onto the container's tabs. The user drags it by its
// caption, in the system's move loop, which runs on that window's thread and tells nobody
// (window events for the start and end of a move are not raised everywhere): a low-level mouse
// hook watches the pointer, and while the foreground thread is in its move loop and the pointer
// is over the tab row or the display area, the strip shows where the tab would go. Releasing the
// button there drops the window in; anything else (moving away, Escape, which ends the move
// loop) leaves it where the move loop puts it.
//
// As with the keyboard hook, the hook only decides: it reads state that costs no message to
// anyone and posts what it decided to the user-interface thread. The system removes a
// low-level hook that takes too long, silently.

// What the decision depends on besides the mouse event, as it is at that moment.
struct DragInFacts {
    HWND moving = nullptr;  // the top-level window in the foreground thread's move loop
    SIZE movingSize{};      // its size now: a size that changes is a sizing, not a move
    bool ours = false;      // it is one of the program's windows, or held in a tab already
    bool accepting = false; // the container can take a window: shown, enabled, no dialog up
    RECT tabRow{};          // the band of tabs, on the screen
    RECT display{};         // the display area, on the screen
    std::vector<RECT> tabs; // each tab, on the screen
    POINT pressedAt{};      // where the left button last went down
};

// What the hook remembers from one event to the next.
struct DragInSession {
    HWND window = nullptr; // the window whose drag is being watched
    SIZE size{};           // its size when the watch began
    int mark = -1;         // the gap the mark shows, -1 for none
};

enum class DragInAction {
    None,
    Mark,   // show the mark at `gap`
    Unmark, // take it away
    Drop,   // the window was released at `point`, to go into `gap`
};

struct DragInDecision {
    DragInAction action = DragInAction::None;
    HWND window = nullptr;
    int gap = -1;
    POINT point{};
    bool operator==(const DragInDecision& o) const {
        return action == o.action && window == o.window && gap == o.gap && point.x == o.point.x &&
               point.y == o.point.y;
    }
};

// The decision for one mouse event (WM_MOUSEMOVE or WM_LBUTTONUP at `point`); the session is
// read and updated.
DragInDecision DecideDragIn(WPARAM message, POINT point, const DragInFacts& facts,
                            DragInSession& session);

// The top-level window that the thread of `window` moves or sizes now, if any; read without
// asking anyone.
HWND MovedByItsThread(HWND window);

// Whether a low-level hook looks removed by the system: the pointer moved since the last look
// and the hook was not called once meanwhile.
bool HookLooksRemoved(POINT lastCursor, POINT cursor, uint64_t lastCalls, uint64_t calls);

// What the hook needs of the program.
class MouseHost {
  public:
    // Fills in the container's side of the facts; false when it takes no window now.
    virtual bool DragInTarget(DragInFacts& facts) = 0;
    // Carries out a decision; called on the hook's thread after the hook returned.
    virtual void CarryDragIn(const DragInDecision& decision) = 0;
    // A tab of the container is being dragged; and its drop, wherever the button is let go.
    virtual bool TabDragging() = 0;
    virtual void DropDraggedTab(POINT point) = 0;

  protected:
    ~MouseHost() = default;
};

extern UniqueHook MouseHookHandle;
// Installs the low-level mouse hook on this thread for the host; false when the system refuses.
bool InstallMouseHook(MouseHost& host);
// Called now and then: installs the hook, or puts it back when the system seems to have removed
// it. True when it (re)installed it.
bool KeepMouseHook(MouseHost& host);
void RemoveMouseHook() noexcept;
// Forgets the drag being watched (its window left the move loop without the hook seeing it).
void ForgetDragIn() noexcept;

LRESULT CALLBACK MouseHook(int nCode, WPARAM wParam, LPARAM lParam);

// How long the hook's latest calls took, in microseconds, oldest first (at most the latest
// 8192), and how many calls there have been since it was installed.
std::vector<double> MouseHookCallTimesUs();
uint64_t MouseHookCalls() noexcept;

} // namespace merilane
