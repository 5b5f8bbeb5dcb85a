#pragma once
#include <windows.h>

namespace merilane::test {

// The program's container, started in the test process as Main starts it, and taken down
// afterwards with every foreign window given back first.
class ContainerSession {
  public:
    ContainerSession();
    ~ContainerSession();
    ContainerSession(const ContainerSession&) = delete;
    ContainerSession& operator=(const ContainerSession&) = delete;

    HWND Container() const;
    HWND Picture() const;
    HWND TabStrip() const;
};

} // namespace merilane::test
