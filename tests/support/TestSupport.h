#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace merilane::test {

// A failure that leaves one of the program's handlers fails the running test at once, instead
// of waiting on a message box nobody answers. Main() installs the program's own handler, so
// whoever calls it installs this one again afterwards.
void FailTestsOnUnhandledFailures();

// Pumps this thread's messages until the condition holds or the time is up. Gives up at once
// when a failure has left one of the program's handlers.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
// Lets this thread's queued and posted messages run for a while.
void Pump(int milliseconds);
// Pumps until the timer has run `ticks` more ticks to their end: a tick that began after this
// call has seen whatever was done before it. For checks that something does not happen.
template <class Timer>
bool WaitForTicks(const Timer& timer, unsigned ticks = 2, int timeoutMs = 5000) {
    auto until = timer.Ticks() + ticks;
    return WaitUntil([&] { return timer.Ticks() >= until; }, timeoutMs);
}
// A fine clock for measurements, in milliseconds from an arbitrary start.
double NowMs();

std::wstring WindowText(HWND hwnd);

// Saves what the screen shows as <name>.bmp in the folder that MERILANE_SCREENSHOTS names, for
// a person to look at; does nothing when it names none.
void SaveScreenshot(const std::wstring& name);

// The fixture program stops answering the moment its window receives `message`, for `ms`
// milliseconds (0: for ever); while it hangs its title ends in " [hung]".
void HangFixtureOn(HWND fixtureWindow, UINT message, int ms);
bool FixtureHangs(HWND fixtureWindow);
// Ends the fixture's hang now: a test hangs it for longer than it can need, and ends the hang
// when it is done with it, instead of guessing how long its checks take.
void EndFixtureHang(HWND fixtureWindow);
// What a control of another process holds (asked of the control itself).
std::wstring ControlText(HWND hwnd);
HWND ParentOf(HWND hwnd);
bool IsDescendantOf(HWND window, HWND ancestor);
RECT RectInParent(HWND hwnd);
LONG StyleOf(HWND hwnd);

// Answers the next message box that carries the title (of this process, or of the process
// given), the way a user would, from another thread, and records what the box said.
class BoxAnswerer {
  public:
    BoxAnswerer(std::wstring title, int button, int timeoutMs = 20000, DWORD pid = 0);
    ~BoxAnswerer();
    bool Answered() const noexcept { return m_answered; }
    std::wstring Text() const;

  private:
    void Run(int timeoutMs);
    std::wstring m_title;
    int m_button;
    DWORD m_pid;
    std::atomic<bool> m_answered{false};
    std::atomic<bool> m_stop{false};
    std::wstring m_text;
    mutable std::atomic<bool> m_textReady{false};
    std::thread m_thread;
};

} // namespace merilane::test
