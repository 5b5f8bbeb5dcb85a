#pragma once
#include <windows.h>
#include <memory>

namespace merilane {

class frmSSTab;
class CSSTab;
class CWindows;
class CWindow;

// The program-wide state; everything lives on the user-interface thread.
extern std::unique_ptr<frmSSTab> ContainerForm;
extern std::shared_ptr<CSSTab> Tabs;
extern std::shared_ptr<CWindows> CapturedWindows;
extern std::shared_ptr<CWindow> ContainerWindow;

} // namespace merilane
