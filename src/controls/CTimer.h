#pragma once
#include <windows.h>
#include <functional>
#include <memory>

namespace merilane {

// A thread timer that ticks on the user-interface thread, in modal loops too.
class CTimer {
  public:
    explicit CTimer(UINT interval = 0, std::function<void()> onTick = {});
    ~CTimer();
    CTimer(const CTimer&) = delete;
    CTimer& operator=(const CTimer&) = delete;

    UINT Interval() const noexcept { return m_interval; }
    void SetInterval(UINT interval);
    bool Enabled() const noexcept { return m_id != 0; }
    void SetEnabled(bool enabled);
    void OnTick(std::function<void()> onTick) { m_onTick = std::move(onTick); }
    // How many ticks have run to their end: what waits on the timer counts.
    unsigned long long Ticks() const noexcept { return m_ticks; }

  private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
    void Start();
    void Stop();

    UINT m_interval;
    UINT_PTR m_id = 0;
    DWORD m_dueAt = 0; // when the next tick is due, by GetTickCount
    bool m_ticking = false;
    unsigned long long m_ticks = 0;
    std::function<void()> m_onTick;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace merilane
