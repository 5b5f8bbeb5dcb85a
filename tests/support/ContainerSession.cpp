#include "ContainerSession.h"
#include "TestSupport.h"
#include "app/Globals.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "window/CWindow.h"
#include "window/MKeyboard.h"
#include "window/MMouse.h"
#include <stdexcept>

namespace merilane::test {

ContainerSession::ContainerSession(Timers timers) {
    Main();
    FailTestsOnUnhandledFailures();
    if (timers == Timers::Off)
        ContainerForm->DisableTimers();
    WaitUntil([] { return ContainerForm && IsWindowVisible(ContainerForm->ExistingHwnd()); });
}

ContainerSession::~ContainerSession() {
    if (ContainerForm)
        ContainerForm->DisableTimers();
    RemoveKeyboardHook();
    RemoveMouseHook();
    GiveBackAllWindows();
    if (ContainerForm && ContainerForm->CloseTimerId)
        KillTimer(ContainerForm->ExistingHwnd(), ContainerForm->CloseTimerId);
    Tabs.reset();
    CapturedWindows.reset();
    ContainerWindow.reset();
    ContainerForm.reset();
    Pump(50);
}

HWND ContainerSession::Container() const {
    return ContainerForm ? ContainerForm->ExistingHwnd() : nullptr;
}
HWND ContainerSession::Picture() const {
    return ContainerForm ? ContainerForm->Picture1.hWnd() : nullptr;
}
HWND ContainerSession::TabStrip() const {
    return ContainerForm ? ContainerForm->TabStrip1.hWnd() : nullptr;
}

CapturedFixture CaptureFixture(const std::wstring& title, const std::vector<std::wstring>& more) {
    std::vector<std::wstring> args{L"--title", title};
    args.insert(args.end(), more.begin(), more.end());
    ChildProcess program = ChildProcess::Fixture(args);
    HWND hwnd = program.WaitForWindow(title);
    if (!hwnd)
        throw std::runtime_error("the fixture's window did not show");
    CaptureWindow(hwnd);
    return CapturedFixture(std::move(program), hwnd);
}

} // namespace merilane::test
