#include "TestSupport.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "controls/Text.h"
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <vector>

namespace merilane::test {

namespace {
bool g_handlerFailed = false;
} // namespace

void FailTestsOnUnhandledFailures() {
    g_handlerFailed = false;
    SetUnhandledFailureHandler([](const std::exception& e) {
        g_handlerFailed = true;
        ADD_FAILURE() << "a failure left a handler: " << ToUtf8(DescriptionOf(e));
    });
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs || g_handlerFailed)
            return false;
        MSG msg;
        // Bounded: a timer that keeps firing must not keep the clock from being looked at.
        for (int n = 0; n < 200 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

void Pump(int milliseconds) {
    WaitUntil([] { return false; }, milliseconds);
}

double NowMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

void HangFixtureOn(HWND fixtureWindow, UINT message, int ms) {
    static const UINT arm = RegisterWindowMessageW(L"MerilaneFixtureHangOn");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(fixtureWindow, arm, message, ms, SMTO_ABORTIFHUNG, 5000, &ignored);
}

void EndFixtureHang(HWND fixtureWindow) {
    DWORD pid = 0;
    GetWindowThreadProcessId(fixtureWindow, &pid);
    HANDLE wake = OpenEventW(EVENT_MODIFY_STATE, FALSE,
                             (L"MerilaneFixtureWake" + std::to_wstring(pid)).c_str());
    if (!wake) {
        ADD_FAILURE() << "the fixture's hang cannot be ended: it has no wake event";
        return;
    }
    SetEvent(wake);
    CloseHandle(wake);
}

bool FixtureHangs(HWND fixtureWindow) {
    std::wstring title = WindowText(fixtureWindow);
    return title.size() >= 7 && title.compare(title.size() - 7, 7, L" [hung]") == 0;
}

void SaveScreenshot(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"MERILANE_SCREENSHOTS", folder, MAX_PATH))
        return;
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u), size = stride * height;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + size;
    std::wstring path = std::wstring(folder) + L"\\" + name + L".bmp";
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(out, &file, sizeof(file), &written, nullptr);
        WriteFile(out, &info.bmiHeader, sizeof(info.bmiHeader), &written, nullptr);
        WriteFile(out, bits, size, &written, nullptr);
        CloseHandle(out);
    }
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

std::wstring WindowText(HWND hwnd) {
    wchar_t buffer[1024] = {};
    int n = GetWindowTextW(hwnd, buffer, 1024);
    return std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

std::wstring ControlText(HWND hwnd) {
    wchar_t buffer[1024] = {};
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 2000, &n))
        return L"<no answer>";
    return std::wstring(buffer, n);
}

HWND ParentOf(HWND hwnd) {
    return GetAncestor(hwnd, GA_PARENT);
}

bool IsDescendantOf(HWND window, HWND ancestor) {
    for (HWND p = ParentOf(window); p && p != GetDesktopWindow(); p = ParentOf(p))
        if (p == ancestor)
            return true;
    return false;
}

RECT RectInParent(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    HWND parent = ParentOf(hwnd);
    if (parent && parent != GetDesktopWindow())
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LONG StyleOf(HWND hwnd) {
    return GetWindowLongW(hwnd, GWL_STYLE);
}

namespace {
struct BoxSearch {
    const std::wstring* title;
    DWORD pid;
    HWND found;
};
// Each box is answered by one answerer only, so that several can wait for boxes in a row.
std::mutex g_claimLock;
std::set<HWND> g_claimed;
BOOL CALLBACK FindBox(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<BoxSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (pid == s->pid && std::wstring(cls) == L"#32770" && IsWindowVisible(hwnd) &&
        WindowText(hwnd) == *s->title) {
        if (g_claimed.count(hwnd))
            return TRUE;
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
BOOL CALLBACK CollectStatic(HWND child, LPARAM lp) {
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    if (std::wstring(cls) == L"Static") {
        std::wstring text = WindowText(child);
        if (!text.empty())
            *reinterpret_cast<std::wstring*>(lp) += text;
    }
    return TRUE;
}
} // namespace

BoxAnswerer::BoxAnswerer(std::wstring title, int button, int timeoutMs, DWORD pid)
    : m_title(std::move(title)), m_button(button), m_pid(pid ? pid : GetCurrentProcessId()),
      m_thread([this, timeoutMs] { Run(timeoutMs); }) {}

BoxAnswerer::~BoxAnswerer() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

std::wstring BoxAnswerer::Text() const {
    return m_textReady ? m_text : std::wstring();
}

void BoxAnswerer::Run(int timeoutMs) {
    DWORD start = GetTickCount();
    while (!m_stop && static_cast<int>(GetTickCount() - start) < timeoutMs) {
        BoxSearch s{&m_title, m_pid, nullptr};
        {
            std::lock_guard<std::mutex> lock(g_claimLock);
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&s));
            if (s.found)
                g_claimed.insert(s.found);
        }
        if (s.found) {
            std::wstring text;
            EnumChildWindows(s.found, CollectStatic, reinterpret_cast<LPARAM>(&text));
            m_text = text;
            m_textReady = true;
            // Marked first: the box may be gone, and its caller on, before PostMessage returns.
            m_answered = true;
            PostMessageW(s.found, WM_COMMAND, MAKEWPARAM(m_button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(s.found, m_button)));
            return;
        }
        Sleep(30);
    }
}

} // namespace merilane::test
