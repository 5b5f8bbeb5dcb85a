#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace merilane::test {

// A top-level window made and served by a thread of its own in the test process. To the code
// under test it is another thread's window; Wine lets such a window's system menu and icons be
// reached the way Windows lets another process's be, which Wine does not allow.
class ThreadWindow {
public:
    struct Options {
        std::wstring title = L"Thread window";
        DWORD style = WS_OVERLAPPEDWINDOW;
        DWORD exStyle = 0;
        HWND owner = nullptr;
        bool closeOnRequest = true; // false: WM_CLOSE is counted and ignored
    };
    explicit ThreadWindow(Options options);
    explicit ThreadWindow(const std::wstring& title) : ThreadWindow(Options{title}) {}
    ~ThreadWindow();
    ThreadWindow(const ThreadWindow&) = delete;
    ThreadWindow& operator=(const ThreadWindow&) = delete;

    HWND Hwnd() const noexcept { return m_hwnd; }
    DWORD ThreadId() const noexcept { return m_threadId; }
    int CloseRequests() const noexcept { return m_closeRequests; }
    // Runs the work on the window's thread and waits for it.
    void Run(const std::function<void()>& work) const;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND m_hwnd = nullptr;
    DWORD m_threadId = 0;
    std::atomic<int> m_closeRequests{0};
    bool m_closeOnRequest = true;
    std::thread m_thread;
};

} // namespace merilane::test
