#include "ThreadWindow.h"
#include <future>
#include <stdexcept>

namespace merilane::test {
namespace {

constexpr UINT kRunWork = WM_APP + 1;
constexpr UINT kDestroy = WM_APP + 2;

// Each window gets a class of its own, so that a test that changes class icons changes them
// for its own window only.
std::wstring NewClassName() {
    static std::atomic<int> counter{0};
    return L"MerilaneThreadWindow" + std::to_wstring(++counter);
}

} // namespace

ThreadWindow::ThreadWindow(Options options) : m_closeOnRequest(options.closeOnRequest) {
    std::promise<void> made;
    auto ready = made.get_future();
    m_thread = std::thread([this, options = std::move(options), &made]() mutable {
        m_threadId = GetCurrentThreadId();
        std::wstring className = NewClassName();
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = className.c_str();
        RegisterClassExW(&wc);
        m_hwnd = CreateWindowExW(options.exStyle, className.c_str(), options.title.c_str(),
                                 options.style & ~WS_VISIBLE, 120, 120, 360, 240, options.owner,
                                 nullptr, GetModuleHandleW(nullptr), this);
        if (m_hwnd)
            ShowWindow(m_hwnd, SW_SHOWNORMAL);
        made.set_value();
        if (!m_hwnd)
            return;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        UnregisterClassW(className.c_str(), GetModuleHandleW(nullptr));
    });
    ready.wait();
    if (!m_hwnd) {
        m_thread.join();
        throw std::runtime_error("cannot make a thread window");
    }
}

ThreadWindow::~ThreadWindow() {
    if (IsWindow(m_hwnd))
        PostMessageW(m_hwnd, kDestroy, 0, 0);
    else
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    m_thread.join();
}

void ThreadWindow::Run(const std::function<void()>& work) const {
    SendMessageW(m_hwnd, kRunWork, 0, reinterpret_cast<LPARAM>(&work));
}

LRESULT CALLBACK ThreadWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ThreadWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case kRunWork:
        (*reinterpret_cast<const std::function<void()>*>(lp))();
        return 0;
    case kDestroy:
        DestroyWindow(hwnd);
        return 0;
    case WM_CLOSE:
        if (self)
            ++self->m_closeRequests;
        if (!self || self->m_closeOnRequest)
            DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

} // namespace merilane::test
