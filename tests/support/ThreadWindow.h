#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace merilane::test {

// A window of another thread of the test process. Wine lets a process reach into its own
// threads' windows the way Windows lets it reach into any process's (icons, menus), so such
// windows stand in for foreign ones where Wine falls short.
class ThreadWindow {
  public:
    struct Options {
        std::wstring title = L"Thread window";
        DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
        HICON classIcon = nullptr;
        HICON classSmallIcon = nullptr;
        HICON windowIcon = nullptr; // answered to WM_GETICON, both sizes
        HWND owner = nullptr;
        DWORD exStyle = 0;
        bool closeOnRequest = true; // false: WM_CLOSE is counted and otherwise ignored
    };
    explicit ThreadWindow(Options options);
    ~ThreadWindow();
    ThreadWindow(const ThreadWindow&) = delete;
    ThreadWindow& operator=(const ThreadWindow&) = delete;

    HWND Hwnd() const noexcept { return m_hwnd; }
    DWORD ThreadId() const noexcept { return m_threadId; }
    // The thread stops answering messages until Resume.
    void Hang();
    void Resume();
    // How many WM_CLOSE messages the window has received.
    int CloseRequests() const noexcept { return m_closeRequests; }
    // Runs the work on the window's thread and waits for it to be done.
    void OnThread(const std::function<void()>& work) const;

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Run(Options options);
    std::atomic<HWND> m_hwnd{nullptr};
    std::atomic<DWORD> m_threadId{0};
    std::atomic<bool> m_hang{false};
    std::atomic<bool> m_ready{false};
    std::atomic<int> m_closeRequests{0};
    bool m_closeOnRequest = true;
    std::thread m_thread;
};

} // namespace merilane::test
