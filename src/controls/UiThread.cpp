#include "controls/UiThread.h"
#include "controls/Failure.h"
#include "controls/Lasting.h"
#include "controls/MessageWindow.h"
#include <windows.h>
#include <deque>
#include <mutex>

namespace merilane {
namespace {

constexpr UINT kRunPosted = WM_APP + 0x302;

// Workers post here until the system ends them, after main has returned too.
struct Posted {
    std::mutex lock;
    std::deque<std::function<void()>> work; // one posted message stands for each
};
Lasting<Posted> g_posted;
std::mutex& g_lock = g_posted.value.lock;
std::deque<std::function<void()>>& g_work = g_posted.value.work;
// A message-only window of the user-interface thread. Only that thread makes it: a window
// made by a worker would go with the worker, and the work with it.
HWND g_window = nullptr;

LRESULT CALLBACK UiThreadProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != kRunPosted)
        return DefWindowProcW(hwnd, msg, wp, lp);
    std::function<void()> work;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        if (g_work.empty())
            return 0;
        work = std::move(g_work.front());
        g_work.pop_front();
    }
    Guarded(work);
    return 0;
}

} // namespace

void BindUiThread() {
    std::unique_lock<std::mutex> hold(g_lock);
    if (g_window && IsWindow(g_window) &&
        GetWindowThreadProcessId(g_window, nullptr) == GetCurrentThreadId())
        return;
    g_window = CreateMessageWindow(L"MerilaneUiThread", UiThreadProc);
    HWND window = g_window;
    // Whatever was posted before (or went with an earlier window) is still owed its message.
    size_t waiting = g_work.size();
    hold.unlock();
    for (size_t i = 0; i < waiting; ++i)
        PostMessageW(window, kRunPosted, 0, 0);
}

void PostToUiThread(std::function<void()> work) {
    std::unique_lock<std::mutex> hold(g_lock);
    g_work.push_back(std::move(work));
    HWND window = g_window;
    hold.unlock();
    if (window)
        PostMessageW(window, kRunPosted, 0, 0);
}

} // namespace merilane
