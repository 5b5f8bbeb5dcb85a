#include "window/MMouse.h"
#include "controls/Clock.h"
#include "controls/CTabStrip.h"
#include "controls/UiThread.h"
#include "window/CaptureRecord.h"
#include <deque>

namespace merilane {

UniqueHook MouseHookHandle;

namespace {

constexpr size_t kTimesKept = 8192;

MouseHost* g_host = nullptr;
DragInSession g_session;
std::deque<DragInDecision> g_asked;
std::vector<double> g_times(kTimesKept);
uint64_t g_calls = 0;
POINT g_lastCursor{};
uint64_t g_lastCalls = 0;
DWORD g_lastInput = 0;
POINT g_pressedAt{};

void CarryNext() {
    if (g_asked.empty() || !g_host)
        return;
    DragInDecision decision = g_asked.front();
    g_asked.pop_front();
    g_host->CarryDragIn(decision);
}

} // namespace

HWND MovedByItsThread(HWND window) {
    GUITHREADINFO info{sizeof(info)};
    if (!window || !GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ||
        !(info.flags & GUI_INMOVESIZE) || !info.hwndMoveSize)
        return nullptr;
    return GetAncestor(info.hwndMoveSize, GA_ROOT);
}

DragInDecision DecideDragIn(WPARAM message, POINT point, const DragInFacts& facts,
                            DragInSession& session) {
    DragInDecision none;
    if (message != WM_MOUSEMOVE && message != WM_LBUTTONUP)
        return none;
    bool moving = facts.moving && !facts.ours && facts.accepting;
    if (moving && session.window != facts.moving)
        session = DragInSession{facts.moving, facts.movingSize, session.mark};
    bool sized = moving &&
                 (facts.movingSize.cx != session.size.cx || facts.movingSize.cy != session.size.cy);
    bool inRow = PtInRect(&facts.tabRow, point) != 0;
    bool over = moving && !sized && (inRow || PtInRect(&facts.display, point));
    int gap = inRow ? InsertionGap(facts.tabs, point) : static_cast<int>(facts.tabs.size());
    int hadMark = session.mark;
    if (message == WM_LBUTTONUP) {
        session = DragInSession{};
        // The window follows the pointer in its move loop. Where that loop starts at the press
        // (Windows), a click on the caption of a window lying over the container is a "move"
        // that ends over the tabs, and would take a window nobody dragged.
        bool moved = point.x != facts.pressedAt.x || point.y != facts.pressedAt.y;
        if (over && moved)
            return {DragInAction::Drop, facts.moving, gap, point};
        return hadMark >= 0 ? DragInDecision{DragInAction::Unmark} : none;
    }
    if (over) {
        session.mark = gap;
        return gap == hadMark ? none : DragInDecision{DragInAction::Mark, facts.moving, gap};
    }
    session.mark = -1;
    if (!moving)
        session = DragInSession{};
    return hadMark >= 0 ? DragInDecision{DragInAction::Unmark} : none;
}

bool HookLooksRemoved(POINT lastCursor, POINT cursor, uint64_t lastCalls, uint64_t calls) {
    return (lastCursor.x != cursor.x || lastCursor.y != cursor.y) && calls == lastCalls;
}

LRESULT CALLBACK MouseHook(int nCode, WPARAM wParam, LPARAM lParam) {
    double start = NowUs();
    if (nCode == HC_ACTION && wParam == WM_LBUTTONDOWN)
        g_pressedAt = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->pt;
    if (g_host && nCode == HC_ACTION && (wParam == WM_MOUSEMOVE || wParam == WM_LBUTTONUP)) {
        try {
            const auto& raw = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
            if (wParam == WM_LBUTTONUP && g_host->TabDragging()) {
                POINT at = raw.pt;
                PostToUiThread([at] {
                    if (g_host)
                        g_host->DropDraggedTab(at);
                });
            }
            DragInFacts facts;
            facts.pressedAt = g_pressedAt;
            facts.moving = MovedByItsThread(GetForegroundWindow());
            if (facts.moving) {
                RECT r{};
                GetWindowRect(facts.moving, &r);
                facts.movingSize = {r.right - r.left, r.bottom - r.top};
                DWORD pid = 0;
                GetWindowThreadProcessId(facts.moving, &pid);
                CaptureRecord held;
                facts.ours = pid == GetCurrentProcessId() || HeldWindows::Find(facts.moving, held);
                facts.accepting = !facts.ours && g_host->DragInTarget(facts);
            }
            // Nothing to look at while no drag is watched and none runs: the common case
            // costs two reads.
            if (facts.moving || g_session.window) {
                DragInDecision decision = DecideDragIn(wParam, raw.pt, facts, g_session);
                if (decision.action != DragInAction::None) {
                    g_asked.push_back(decision);
                    PostToUiThread(CarryNext);
                }
            }
        } catch (...) {
            // The event passes as it came.
        }
    }
    g_times[g_calls % kTimesKept] = NowUs() - start;
    ++g_calls;
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

bool InstallMouseHook(MouseHost& host) {
    g_host = &host;
    GetCursorPos(&g_lastCursor);
    g_lastCalls = g_calls;
    MouseHookHandle.reset(SetWindowsHookExW(WH_MOUSE_LL, MouseHook, GetModuleHandleW(nullptr), 0));
    return static_cast<bool>(MouseHookHandle);
}

bool KeepMouseHook(MouseHost& host) {
    if (g_host != &host || !MouseHookHandle)
        return InstallMouseHook(host);
    // Without input since the last look the cursor has not moved: the cursor's place is asked
    // of the display server, which costs more than the rest of the watch's tick together.
    LASTINPUTINFO input{sizeof(input)};
    if (GetLastInputInfo(&input) && input.dwTime == g_lastInput)
        return false;
    g_lastInput = input.dwTime;
    POINT cursor{};
    GetCursorPos(&cursor);
    bool removed = !MouseHookHandle || HookLooksRemoved(g_lastCursor, cursor, g_lastCalls, g_calls);
    g_lastCursor = cursor;
    g_lastCalls = g_calls;
    if (!removed)
        return false;
    // Unhooking one the system removed already fails harmlessly.
    MouseHookHandle.reset();
    return InstallMouseHook(host);
}

void RemoveMouseHook() noexcept {
    MouseHookHandle.reset();
    g_asked.clear();
    g_session = DragInSession{};
    g_host = nullptr;
}

void ForgetDragIn() noexcept {
    g_session = DragInSession{};
}

std::vector<double> MouseHookCallTimesUs() {
    size_t kept = g_calls < kTimesKept ? static_cast<size_t>(g_calls) : kTimesKept;
    std::vector<double> times;
    times.reserve(kept);
    for (uint64_t i = g_calls - kept; i < g_calls; ++i)
        times.push_back(g_times[i % kTimesKept]);
    return times;
}

uint64_t MouseHookCalls() noexcept {
    return g_calls;
}

} // namespace merilane
