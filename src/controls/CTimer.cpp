#include "controls/CTimer.h"
#include "controls/Failure.h"
#include <unordered_map>

namespace merilane {
namespace {
std::unordered_map<UINT_PTR, CTimer*>& Running() {
    static std::unordered_map<UINT_PTR, CTimer*> timers;
    return timers;
}
} // namespace

CTimer::CTimer(UINT interval, std::function<void()> onTick)
    : m_interval(interval), m_onTick(std::move(onTick)) {}

CTimer::~CTimer() {
    *m_alive = false;
    Stop();
}

void CTimer::SetInterval(UINT interval) {
    m_interval = interval;
    if (Enabled()) {
        Stop();
        Start();
    }
}

void CTimer::SetEnabled(bool enabled) {
    if (enabled && !Enabled())
        Start();
    else if (!enabled)
        Stop();
}

void CTimer::Start() {
    if (m_interval == 0)
        return;
    m_dueAt = GetTickCount() + m_interval;
    m_id = SetTimer(nullptr, 0, m_interval, TimerProc);
    if (m_id)
        Running()[m_id] = this;
}

void CTimer::Stop() {
    if (!m_id)
        return;
    KillTimer(nullptr, m_id);
    Running().erase(m_id);
    m_id = 0;
}

void CALLBACK CTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Running().find(id);
    if (it == Running().end())
        return;
    CTimer* timer = it->second;
    // A tick whose handler pumps messages must not run underneath itself.
    if (timer->m_ticking || !timer->m_onTick)
        return;
    timer->m_ticking = true;
    // No ticks pile up while a handler runs (Wine would hand a due timer to every message-pump
    // pass inside it); the next one comes an interval after this one began, or at once when
    // the handler took longer than that.
    SetTimer(nullptr, id, USER_TIMER_MAXIMUM, TimerProc);
    DWORD started = GetTickCount();
    // A tick that came late (the system's timers are coarse) makes the next one come early.
    DWORD late = static_cast<LONG>(started - timer->m_dueAt) > 0 ? started - timer->m_dueAt : 0;
    auto alive = timer->m_alive;
    Guarded(timer->m_onTick);
    // The handler may have stopped, restarted or destroyed its own timer.
    if (!*alive)
        return;
    timer->m_ticking = false;
    ++timer->m_ticks;
    // Ticks keep their rhythm: the time the handler took, and the tick's lateness, come off
    // the next wait.
    DWORD now = GetTickCount();
    DWORD spent = (now - started) + late;
    UINT next = spent + USER_TIMER_MINIMUM < timer->m_interval ? timer->m_interval - spent
                                                               : USER_TIMER_MINIMUM;
    if (timer->m_id == id) {
        timer->m_dueAt = now + next;
        SetTimer(nullptr, id, next, TimerProc);
    }
}

} // namespace merilane
