#include "app/Globals.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "controls/SystemLibrary.h"
#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    merilane::LoadOnlySystemLibraries();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    merilane::Main();
    int code = merilane::RunMessageLoop();
    merilane::ContainerForm.reset();
    return code;
}
