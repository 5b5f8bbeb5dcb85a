#include "tabs/dlgDocument.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "controls/Screen.h"
#include "window/CaptureRecord.h"
#include "window/ForeignCall.h"
#include <algorithm>

namespace merilane {
namespace {
std::vector<dlgDocument*>& Hosts() {
    static std::vector<dlgDocument*> hosts;
    return hosts;
}
} // namespace

dlgDocument::dlgDocument() {
    Hosts().push_back(this);
}

dlgDocument::~dlgDocument() {
    auto& hosts = Hosts();
    hosts.erase(std::remove(hosts.begin(), hosts.end(), this), hosts.end());
}

std::vector<dlgDocument*> dlgDocument::Live() {
    return Hosts();
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

HWND dlgDocument::HeldForeignWindow() const {
    HWND host = ExistingHwnd();
    if (!host)
        return nullptr;
    for (HWND child = GetWindow(host, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (!IsOwnThreadWindow(child))
            return child;
    return nullptr;
}

void dlgDocument::GiveBackHeldWindow() noexcept {
    try {
        HWND held = HeldForeignWindow();
        if (!held)
            return;
        CWindow window;
        if (ChildWindow && ChildWindow->hWnd == held) {
            window = *ChildWindow;
        } else {
            window.Load(held);
            // What it was before it came in is on record; what it is now is not.
            CaptureRecord record;
            if (HeldWindows::Find(held, record))
                window.SetRecord(record);
        }
        window.GiveBack(window.LastHwnd == ExistingHwnd() ? nullptr : window.LastHwnd);
    } catch (...) {
    }
}

void dlgDocument::Form_Resize() {
    if (!ChildWindow || !ChildWindow->IsExistingWindow())
        return;
    // Each step on its own: a window that dies half-way is simply left alone.
    try {
        int captionHeight = CWindow::CaptionHeight();
        RECT outer{};
        GetWindowRect(ExistingHwnd(), &outer);
        HWND host = ExistingHwnd();
        int width = TwipsToPixelsX(PixelsToTwipsX(outer.right - outer.left, host), host);
        int height = TwipsToPixelsY(PixelsToTwipsY(outer.bottom - outer.top, host), host);
        ChildWindow->Move(-2, -captionHeight - 1, width, height - kHeightCut, true);
    } catch (const std::exception&) {
    }
    DoEvents();
}

void dlgDocument::Form_Activate() {
    Tolerating({.tellUser = L"dlgDocument.Form_Activate"}, [&] {
        if (ChildWindow)
            (void)ChildWindow->IsExistingWindow();
    });
}

void dlgDocument::Form_QueryUnload(bool& cancel) {
    // Whoever gives the window back closes the host again once it is out.
    if (HeldForeignWindow())
        cancel = true;
}

LRESULT dlgDocument::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Only the container's own end can take a host down against its will, and the container
    // does not end while a host holds a window. Should it all the same, the window is sent
    // back on its way first, as far as its program lets it go in time.
    if (msg == WM_DESTROY)
        GiveBackHeldWindow();
    return CForm::WindowProc(msg, wp, lp);
}

} // namespace merilane
