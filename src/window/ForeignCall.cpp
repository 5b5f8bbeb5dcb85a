#include "window/ForeignCall.h"
#include "controls/Failure.h"
#include "controls/MessageWindow.h"
#include "controls/UniqueOwner.h"
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace merilane {
namespace {

constexpr UINT kLateCallEnded = WM_APP + 0x301;
constexpr const wchar_t* kNotifyClass = L"MerilaneForeignCalls";

enum CallState : int { kRunning, kDoneInTime, kAbandoned };

struct Call {
    std::function<void()> work;
    std::function<void()> whenLate;
    std::atomic<int> state{kRunning};
    UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HWND notify = nullptr;
    UINT_PTR id = 0;
};

std::mutex g_lock;
std::map<UINT_PTR, std::shared_ptr<Call>> g_late; // abandoned calls, until their end is handled
int g_inFlight = 0;
UINT_PTR g_nextId = 1;

void CountInFlight(int delta) {
    std::lock_guard<std::mutex> lock(g_lock);
    g_inFlight += delta;
}

LRESULT CALLBACK NotifyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != kLateCallEnded)
        return DefWindowProcW(hwnd, msg, wp, lp);
    std::shared_ptr<Call> call;
    {
        std::lock_guard<std::mutex> lock(g_lock);
        auto it = g_late.find(static_cast<UINT_PTR>(wp));
        if (it == g_late.end())
            return 0;
        call = std::move(it->second);
        g_late.erase(it);
        --g_inFlight;
    }
    // Whatever the continuation holds is released here, on this thread, not on the worker's.
    std::function<void()> whenLate = std::move(call->whenLate);
    if (whenLate) {
        try {
            whenLate();
        } catch (...) {
            HandleCurrentFailure();
        }
    }
    return 0;
}

// Late ends are handed to the thread that started the call through a window of its own, so
// that they are dispatched by whatever message loop runs there, modal ones included.
HWND NotifyWindow() {
    thread_local HWND window = nullptr;
    if (!window || !IsWindow(window))
        window = CreateMessageWindow(kNotifyClass, NotifyProc);
    return window;
}

void RunCall(std::shared_ptr<Call> call) {
    try {
        call->work();
    } catch (...) {
        // The work talks to another program through the system only; a failure there has
        // nothing of ours to report to.
    }
    call->work = nullptr;
    int expected = kRunning;
    if (call->state.compare_exchange_strong(expected, kDoneInTime)) {
        SetEvent(call->done.get());
        return;
    }
    // The caller stopped waiting: tell its thread that the call has ended after all.
    if (!PostMessageW(call->notify, kLateCallEnded, call->id, 0)) {
        std::lock_guard<std::mutex> lock(g_lock);
        g_late.erase(call->id);
        --g_inFlight;
    }
}

} // namespace

bool IsOwnThreadWindow(HWND hwnd) noexcept {
    return GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
}

bool CallBounded(std::function<void()> work, std::function<void()> whenLate, UINT boundMs) {
    auto call = std::make_shared<Call>();
    call->work = std::move(work);
    call->whenLate = std::move(whenLate);
    call->notify = NotifyWindow();
    {
        std::lock_guard<std::mutex> lock(g_lock);
        call->id = g_nextId++;
        ++g_inFlight;
    }
    std::thread(RunCall, call).detach();

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
        {
            std::lock_guard<std::mutex> lock(g_lock);
            if (call->state.compare_exchange_strong(expected, kAbandoned)) {
                g_late.emplace(call->id, call);
                return false;
            }
        }
        break; // it ended just now
    }
    call->whenLate = nullptr;
    CountInFlight(-1);
    return true;
}

int ForeignCallsInFlight() noexcept {
    std::lock_guard<std::mutex> lock(g_lock);
    return g_inFlight;
}

} // namespace merilane
