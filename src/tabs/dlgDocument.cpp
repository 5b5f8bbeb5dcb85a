#include "tabs/dlgDocument.h"
#include "app/mMain.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "controls/Screen.h"

namespace merilane {

dlgDocument::~dlgDocument() {
    GiveBackForeignChild();
}

CForm::CreateParams dlgDocument::GetCreateParams() {
    CreateParams p;
    p.className = L"MerilaneHost";
    p.style = WS_POPUP | WS_CLIPCHILDREN;
    p.exStyle = WS_EX_TOOLWINDOW;
    p.x = p.y = 0;
    p.width = 400;
    p.height = 300;
    return p;
}

void dlgDocument::Form_Resize() {
    if (!ChildWindow || !ChildWindow->IsExistingWindow())
        return;
    // Each step on its own: a window that dies half-way is simply left alone.
    try {
        int captionHeight = CWindow::CaptionHeight();
        RECT outer{};
        GetWindowRect(ExistingHwnd(), &outer);
        int width = TwipsToPixelsX(PixelsToTwipsX(outer.right - outer.left));
        int height = TwipsToPixelsY(PixelsToTwipsY(outer.bottom - outer.top));
        ChildWindow->Move(-2, -captionHeight - 1, width, height - kHeightCut, true);
    } catch (const std::exception&) {
    }
    DoEvents();
}

void dlgDocument::Form_Activate() {
    try {
        if (ChildWindow)
            (void)ChildWindow->IsExistingWindow();
    } catch (const std::exception& e) {
        MsgBox(DescriptionOf(e), MB_ICONERROR | MB_OK, L"dlgDocument.Form_Activate");
    }
}

LRESULT dlgDocument::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Whatever ends this form, its children are destroyed with it; another program's window
    // must be back on the desktop first, or that program loses it and its user's work.
    if (msg == WM_DESTROY)
        GiveBackForeignChild();
    return CForm::WindowProc(msg, wp, lp);
}

void dlgDocument::GiveBackForeignChild() noexcept {
    HWND host = ExistingHwnd();
    if (!host || !ChildWindow)
        return;
    try {
        HWND child = ChildWindow->hWnd;
        DWORD pid = 0;
        GetWindowThreadProcessId(child, &pid);
        if (!IsWindow(child) || pid == GetCurrentProcessId() ||
            GetAncestor(child, GA_PARENT) != host)
            return;
        GiveBackWindow(*ChildWindow, ChildWindow->LastHwnd);
    } catch (...) {
    }
}

} // namespace merilane
