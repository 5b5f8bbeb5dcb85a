#include "selection/frmTaskList.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "controls/Screen.h"

namespace merilane {
namespace {
// At 96 dots per inch; everything is scaled to the form's resolution.
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kMargin = 8;
constexpr int kWidth = 560;
constexpr int kHeight = 420;
} // namespace

frmTaskList::frmTaskList() = default;

CForm::CreateParams frmTaskList::GetCreateParams() {
    CreateParams p;
    p.className = L"MerilaneTaskList";
    p.caption = kCaption;
    p.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    p.exStyle = WS_EX_DLGMODALFRAME;
    UINT dpi = DpiOf();
    p.width = Scaled(kWidth, dpi);
    p.height = Scaled(kHeight, dpi);
    CentreOnScreen(p);
    return p;
}

void frmTaskList::Form_Load() {
    HWND form = ExistingHwnd();
    CTLWindowList1.Create(form, kListId,
                          reinterpret_cast<HICON>(GetClassLongPtrW(form, GCLP_HICONSM)));
    m_ok = MakeControl(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
    m_cancel = MakeControl(L"BUTTON", L"Cancel", WS_TABSTOP, IDCANCEL);
    PlaceControls({{m_ok}, {m_cancel}, {CTLWindowList1.ListView1.hWnd()}});
    Form_DpiChanged(Dpi());
    CTLWindowList1.MouseDoubleClick = [this](CWindow&) {
        Tolerating({.tellUser = L"frmTaskList.CTLWindowList1_MouseDoubleClick"},
                   [this] { Accept(); });
    };
    CTLWindowList1.keyUp = [this](int keyCode, int) { KeyReleased(keyCode); };
    CTLWindowList1.SetTimerEnabled(true);
    Form_Resize();
    SetFocus(CTLWindowList1.ListView1.hWnd());
}

void frmTaskList::Form_DpiChanged(UINT dpi) {
    CTLWindowList1.SetIconSize(Scaled(16, dpi));
}

void frmTaskList::Form_Resize() {
    if (!m_ok)
        return;
    UINT dpi = Dpi();
    int buttonWidth = Scaled(kButtonWidth, dpi), buttonHeight = Scaled(kButtonHeight, dpi),
        margin = Scaled(kMargin, dpi);
    RECT r;
    GetClientRect(ExistingHwnd(), &r);
    int buttonsTop = r.bottom - margin - buttonHeight;
    CTLWindowList1.Move(margin, margin, r.right - 2 * margin, buttonsTop - 2 * margin);
    MoveWindow(m_cancel, r.right - margin - buttonWidth, buttonsTop, buttonWidth, buttonHeight,
               TRUE);
    MoveWindow(m_ok, r.right - 2 * (margin + buttonWidth), buttonsTop, buttonWidth, buttonHeight,
               TRUE);
}

void frmTaskList::Accept() {
    Hide();
}

void frmTaskList::Cancel() {
    CTLWindowList1.SetTimerEnabled(false);
    Cancelled = true;
    Hide();
}

void frmTaskList::KeyReleased(int keyCode) {
    if (keyCode == VK_RETURN)
        Accept();
    else if (keyCode == VK_ESCAPE)
        Cancel();
}

void frmTaskList::Form_QueryUnload(bool&) {
    // Closing through the frame counts as Cancel; an unload by the caller changes nothing.
    if (Visible())
        Cancelled = true;
}

void frmTaskList::Form_Unload() {
    CTLWindowList1.SetTimerEnabled(false);
}

void frmTaskList::OnCommand(UINT id, UINT, HWND) {
    // Enter and Escape reach here too, from the dialog keys of the modal loop.
    if (id == IDOK)
        Accept();
    else if (id == IDCANCEL)
        Cancel();
}

LRESULT frmTaskList::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (header->hwndFrom == CTLWindowList1.ListView1.hWnd())
            CTLWindowList1.HandleNotify(*header);
        return 0;
    }
    case WM_KEYDOWN:
        m_keysDown.insert(static_cast<UINT>(wp));
        return 0;
    case WM_KEYUP:
        // Only a key that was pressed here: the release of the Enter that chose "New tab" must
        // not accept the picker that it opened.
        if (m_keysDown.erase(static_cast<UINT>(wp)))
            KeyReleased(static_cast<int>(wp));
        return 0;
    default:
        return CForm::WindowProc(msg, wp, lp);
    }
}

} // namespace merilane
