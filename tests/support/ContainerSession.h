#pragma once
#include <windows.h>

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

} // namespace merilane::test
