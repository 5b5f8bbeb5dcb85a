#pragma once
#include "ChildProcess.h"
#include <windows.h>
#include <string>
#include <vector>

namespace merilane::test {

// The program's container, started in the test process as Main starts it, and taken down
// afterwards with every foreign window given back first.
class ContainerSession {
  public:
    enum class Timers { Off, On };
    // The watch timers run only when a test asks for them: a test of anything else must not
    // race them.
    explicit ContainerSession(Timers timers = Timers::Off);
    ~ContainerSession();
    ContainerSession(const ContainerSession&) = delete;
    ContainerSession& operator=(const ContainerSession&) = delete;

    HWND Container() const;
    HWND Picture() const;
    HWND TabStrip() const;
};

// A fixture program with one window titled `title` (and the further arguments), captured into
// the running session's container.
struct CapturedFixture : ChildProcess {
    CapturedFixture(ChildProcess program, HWND window)
        : ChildProcess(std::move(program)), hwnd(window) {}
    HWND hwnd;
};
// Throws, failing the test, when the window does not show.
CapturedFixture CaptureFixture(const std::wstring& title,
                               const std::vector<std::wstring>& more = {});

} // namespace merilane::test
