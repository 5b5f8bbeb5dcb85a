#include "app/Globals.h"
#include "app/frmSSTab.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "window/CWindow.h"

namespace merilane {

std::unique_ptr<frmSSTab> ContainerForm;
std::shared_ptr<CSSTab> Tabs;
std::shared_ptr<CWindows> CapturedWindows;
std::shared_ptr<CWindow> ContainerWindow;

} // namespace merilane
