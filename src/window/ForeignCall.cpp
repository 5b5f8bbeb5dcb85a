#include "window/ForeignCall.h"
#include "controls/Lasting.h"
#include "controls/UiThread.h"
#include "controls/UniqueOwner.h"
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace merilane {
namespace {

// Threads that make calls at once; more waiting programs than this wait in line.
constexpr int kMaxWorkers = 8;

enum CallState : int { kRunning, kDoneInTime, kAbandoned };

struct Call {
    std::function<void()> work;
    std::function<void()> whenLate;
    std::atomic<int> state{kRunning};
    UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// The calls into one program's thread, in the order they were made: a late style write and a
// late parent change for one hung window land in that order once it answers.
struct Lane {
    std::deque<std::shared_ptr<Call>> calls;
    bool served = false;
};

struct Lanes {
    std::mutex lock;
    std::map<DWORD, Lane> byThread; // by the thread that owns the target window
};
Lasting<Lanes> g_shared;
std::mutex& g_lock = g_shared.value.lock;
std::map<DWORD, Lane>& g_lanes = g_shared.value.byThread;
int g_inFlight = 0;
int g_workers = 0;

// A late end is handled on the user-interface thread, dispatched by whatever message loop runs
// there, modal ones included.
void EndLate(const std::shared_ptr<Call>& call) {
    {
        std::lock_guard<std::mutex> lock(g_lock);
        --g_inFlight;
    }
    // Whatever the continuation holds is released here, on this thread, not on the worker's.
    std::function<void()> whenLate = std::move(call->whenLate);
    if (whenLate)
        whenLate();
}

void Finish(const std::shared_ptr<Call>& call) {
    call->work = nullptr;
    int expected = kRunning;
    if (call->state.compare_exchange_strong(expected, kDoneInTime)) {
        SetEvent(call->done.get());
        return;
    }
    // The caller stopped waiting: the call has ended after all.
    PostToUiThread([call] { EndLate(call); });
}

// Takes the next call of a lane that no worker serves, marking the lane served; null when
// there is none (the worker then ends).
std::shared_ptr<Call> NextCall(DWORD& lane) {
    std::lock_guard<std::mutex> lock(g_lock);
    auto own = g_lanes.find(lane);
    if (own != g_lanes.end() && !own->second.calls.empty()) {
        auto call = std::move(own->second.calls.front());
        own->second.calls.pop_front();
        return call;
    }
    if (own != g_lanes.end())
        g_lanes.erase(own);
    for (auto& [thread, other] : g_lanes) {
        if (other.served || other.calls.empty())
            continue;
        other.served = true;
        lane = thread;
        auto call = std::move(other.calls.front());
        other.calls.pop_front();
        return call;
    }
    --g_workers;
    return nullptr;
}

void Serve(DWORD lane) {
    while (auto call = NextCall(lane)) {
        try {
            call->work();
        } catch (...) {
            // The work talks to another program through the system only; a failure there has
            // nothing of ours to report to.
        }
        Finish(call);
    }
}

void Enqueue(DWORD lane, std::shared_ptr<Call> call) {
    bool start = false;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        ++g_inFlight;
        Lane& queue = g_lanes[lane];
        queue.calls.push_back(std::move(call));
        if (!queue.served && g_workers < kMaxWorkers) {
            queue.served = true;
            ++g_workers;
            start = true;
        }
    }
    if (start)
        std::thread(Serve, lane).detach();
}

} // namespace

bool IsOwnThreadWindow(HWND hwnd) noexcept {
    return GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
}

bool CallBounded(HWND target, std::function<void()> work, std::function<void()> whenLate,
                 UINT boundMs) {
    auto call = std::make_shared<Call>();
    call->work = std::move(work);
    call->whenLate = std::move(whenLate);
    // A window that is gone has no thread; its calls fail at once wherever they run.
    Enqueue(GetWindowThreadProcessId(target, nullptr), call);

    HANDLE done = call->done.get();
    DWORD start = GetTickCount();
    for (;;) {
        DWORD waited = GetTickCount() - start;
        DWORD left = waited >= boundMs ? 0 : boundMs - waited;
        DWORD r = MsgWaitForMultipleObjects(1, &done, FALSE, left, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0)
            break;
        if (r == WAIT_OBJECT_0 + 1) {
            // Messages sent to this thread (the call may send some to our windows) are handled;
            // posted ones wait for the caller's own loop.
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        int expected = kRunning;
        if (call->state.compare_exchange_strong(expected, kAbandoned))
            return false;
        break; // it ended just now
    }
    call->whenLate = nullptr;
    std::lock_guard<std::mutex> lock(g_lock);
    --g_inFlight;
    return true;
}

int ForeignCallsInFlight() noexcept {
    std::lock_guard<std::mutex> lock(g_lock);
    return g_inFlight;
}

int ForeignCallWorkers() noexcept {
    std::lock_guard<std::mutex> lock(g_lock);
    return g_workers;
}

} // namespace merilane
