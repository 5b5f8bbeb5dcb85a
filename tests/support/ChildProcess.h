#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace merilane::test {

// A program started for a test, ended when the test is done with it.
class ChildProcess {
  public:
    ChildProcess(const std::wstring& exe, const std::vector<std::wstring>& args);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The fixture program that stands in for other programs (see tests/fixtures).
    static ChildProcess Fixture(const std::vector<std::wstring>& args);
    ChildProcess(ChildProcess&& other) noexcept;

    DWORD Pid() const noexcept { return m_info.dwProcessId; }
    HANDLE Handle() const noexcept { return m_info.hProcess; }

    // The process's top-level windows; with a title, only those titled so.
    std::vector<HWND> Windows(const std::wstring& title = {}, bool visibleOnly = true) const;
    // Waits for a (visible) top-level window of the process, with the title if one is given.
    HWND WaitForWindow(const std::wstring& title = {}, int timeoutMs = 15000) const;
    bool WaitForExit(int timeoutMs);
    bool Running() const;
    void Kill();

    static std::wstring BinDir();

  private:
    PROCESS_INFORMATION m_info{};
};

} // namespace merilane::test
