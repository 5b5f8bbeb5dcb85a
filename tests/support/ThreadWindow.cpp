#include "ThreadWindow.h"

namespace merilane::test {
namespace {

constexpr UINT kHangNow = WM_APP + 17;
constexpr UINT kRunWork = WM_APP + 18;

} // namespace

LRESULT CALLBACK ThreadWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<ThreadWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case kHangNow:
        while (self && self->m_hang)
            Sleep(20);
        return 0;
    case kRunWork:
        (*reinterpret_cast<const std::function<void()>*>(lp))();
        return 0;
    case WM_CLOSE:
        if (self) {
            ++self->m_closeRequests;
            if (!self->m_closeOnRequest)
                return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

ThreadWindow::ThreadWindow(Options options)
    : m_closeOnRequest(options.closeOnRequest), m_thread([this, options] { Run(options); }) {
    while (!m_ready)
        Sleep(5);
}

ThreadWindow::~ThreadWindow() {
    m_hang = false;
    if (m_threadId)
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    if (m_thread.joinable())
        m_thread.join();
}

void ThreadWindow::Hang() {
    m_hang = true;
    PostMessageW(m_hwnd, kHangNow, 0, 0);
    Sleep(50);
}

void ThreadWindow::Resume() {
    m_hang = false;
}

void ThreadWindow::OnThread(const std::function<void()>& work) const {
    SendMessageW(m_hwnd, kRunWork, 0, reinterpret_cast<LPARAM>(&work));
}

void ThreadWindow::Run(Options options) {
    static std::atomic<int> serial{0};
    std::wstring className = L"MerilaneThreadWindow" + std::to_wstring(++serial);
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = options.classIcon;
    wc.hIconSm = options.classSmallIcon;
    wc.lpszClassName = className.c_str();
    RegisterClassExW(&wc);
    HWND hwnd = CreateWindowExW(options.exStyle, className.c_str(), options.title.c_str(),
                                options.style, 120, 120, 400, 300, options.owner, nullptr,
                                GetModuleHandleW(nullptr), this);
    if (hwnd && options.windowIcon) {
        SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(options.windowIcon));
        SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(options.windowIcon));
    }
    m_hwnd = hwnd;
    m_threadId = GetCurrentThreadId();
    m_ready = true;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (IsWindow(hwnd))
        DestroyWindow(hwnd);
    UnregisterClassW(className.c_str(), GetModuleHandleW(nullptr));
}

} // namespace merilane::test
