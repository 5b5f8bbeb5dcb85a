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

COLORREF ActiveTabBackColor = RGB(255, 255, 230);
COLORREF InactiveTabBackColor = RGB(207, 207, 207);
COLORREF ActiveTabForeColor = RGB(0, 0, 0);
COLORREF InactiveTabForeColor = RGB(0, 0, 0);

} // namespace merilane
