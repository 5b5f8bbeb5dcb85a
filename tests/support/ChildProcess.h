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
    // The fixture program: the one MERILANE_FIXTURE names (so that a 32-bit test can drive a
    // 64-bit one), else the one built beside the test.
    static std::wstring FixturePath();
    // A program of the system, of the machine's own bitness even when the test is a 32-bit
    // program on a 64-bit system.
    static std::wstring SystemProgramPath(const std::wstring& fileName);

  private:
    PROCESS_INFORMATION m_info{};
};

} // namespace merilane::test
