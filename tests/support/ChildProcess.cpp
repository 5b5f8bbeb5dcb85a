#include "ChildProcess.h"
#include "TestSupport.h"
#include <stdexcept>

namespace merilane::test {
namespace {

std::wstring Quote(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos)
        return arg;
    std::wstring out = L"\"";
    for (wchar_t c : arg) {
        if (c == L'"')
            out += L'\\';
        out += c;
    }
    return out + L"\"";
}

struct Search {
    DWORD pid;
    const std::wstring* title;
    bool visibleOnly;
    std::vector<HWND>* found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || (s->visibleOnly && !IsWindowVisible(hwnd)))
        return TRUE;
    // A fixture that does not answer says so at the end of its title; it is the same window.
    std::wstring title = WindowText(hwnd);
    if (FixtureHangs(hwnd))
        title.resize(title.size() - 7);
    if (!s->title->empty() && title != *s->title)
        return TRUE;
    s->found->push_back(hwnd);
    return TRUE;
}

} // namespace

ChildProcess::ChildProcess(const std::wstring& exe, const std::vector<std::wstring>& args) {
    std::wstring line = Quote(exe);
    for (auto& a : args)
        line += L" " + Quote(a);
    STARTUPINFOW si{sizeof(si)};
    // Wine now and then refuses a start while another program is on its way up; a moment
    // later it takes it.
    DWORD error = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &si, &m_info)) {
            error = 0;
            break;
        }
        error = GetLastError();
        Sleep(200);
    }
    if (error)
        throw std::runtime_error("cannot start a test program (error " + std::to_string(error) +
                                 ")");
    WaitForInputIdle(m_info.hProcess, 10000);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : m_info(other.m_info) {
    other.m_info = PROCESS_INFORMATION{};
}

ChildProcess::~ChildProcess() {
    Kill();
    if (m_info.hThread)
        CloseHandle(m_info.hThread);
    if (m_info.hProcess)
        CloseHandle(m_info.hProcess);
}

ChildProcess ChildProcess::Fixture(const std::vector<std::wstring>& args) {
    return ChildProcess(FixturePath(), args);
}

std::wstring ChildProcess::FixturePath() {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD n = GetEnvironmentVariableW(L"MERILANE_FIXTURE", path, MAX_PATH * 2);
    if (n > 0 && n < MAX_PATH * 2)
        return path;
    return BinDir() + L"\\merilane_fixture.exe";
}

std::wstring ChildProcess::SystemProgramPath(const std::wstring& fileName) {
    wchar_t dir[MAX_PATH] = {};
    BOOL wow64 = FALSE;
    // A 32-bit process sees the 32-bit system folder under the usual name; "sysnative" is the
    // machine's own.
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) {
        GetWindowsDirectoryW(dir, MAX_PATH);
        return std::wstring(dir) + L"\\sysnative\\" + fileName;
    }
    GetSystemDirectoryW(dir, MAX_PATH);
    return std::wstring(dir) + L"\\" + fileName;
}

std::wstring ChildProcess::BinDir() {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring dir = path;
    return dir.substr(0, dir.rfind(L'\\'));
}

std::vector<HWND> ChildProcess::Windows(const std::wstring& title, bool visibleOnly) const {
    std::vector<HWND> found;
    Search s{Pid(), &title, visibleOnly, &found};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&s));
    return found;
}

HWND ChildProcess::WaitForWindow(const std::wstring& title, int timeoutMs) const {
    HWND hwnd = nullptr;
    WaitUntil(
        [&] {
            auto found = Windows(title);
            hwnd = found.empty() ? nullptr : found.front();
            return hwnd != nullptr;
        },
        timeoutMs);
    return hwnd;
}

bool ChildProcess::WaitForExit(int timeoutMs) {
    return WaitUntil([&] { return !Running(); }, timeoutMs);
}

bool ChildProcess::Running() const {
    return m_info.hProcess && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

void ChildProcess::Kill() {
    if (Running()) {
        TerminateProcess(m_info.hProcess, 0);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
}

} // namespace merilane::test
