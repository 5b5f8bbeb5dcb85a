#include "tabs/frmIconOverlap.h"
#include "controls/Screen.h"
#include "tabs/IconOverlap.h"
#include <utility>

namespace merilane {
namespace {
// At 96 dots per inch; scaled to the form's resolution.
constexpr int kMargin = 12;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 26;
} // namespace

frmIconOverlap::frmIconOverlap(HWND container) : m_container(container) {}

CForm::CreateParams frmIconOverlap::GetCreateParams() {
    UINT dpi = DpiOf();
    int margin = Scaled(kMargin, dpi);
    // The preview stays 32 pixels at any resolution: it shows the alt-tab icon's own pixels.
    return DialogParams(L"MerilaneIconOverlap", kCaption,
                        3 * margin + Scaled(kButtonWidth, dpi) + kOverlapIconSize,
                        4 * margin + 2 * Scaled(kButtonHeight, dpi));
}

void frmIconOverlap::Form_Load() {
    HWND form = ExistingHwnd();
    for (auto [text, id] : {std::pair{L"Overlay", kCommand1}, std::pair{L"Plain", kCommand2}})
        MakeControl(L"BUTTON", text, WS_TABSTOP, id);
    Picture3.Create(form, kPicture3, 0, 0, kOverlapIconSize, kOverlapIconSize);
    PlaceControls({{GetDlgItem(form, kCommand1)}, {GetDlgItem(form, kCommand2)}});
    Form_DpiChanged(Dpi());
}

void frmIconOverlap::Form_DpiChanged(UINT dpi) {
    HWND form = ExistingHwnd();
    int margin = Scaled(kMargin, dpi), width = Scaled(kButtonWidth, dpi),
        height = Scaled(kButtonHeight, dpi);
    // The preview keeps its size in pixels, so the buttons are placed here, around it.
    HWND command1 = GetDlgItem(form, kCommand1), command2 = GetDlgItem(form, kCommand2);
    MoveWindow(command1, margin, margin, width, height, TRUE);
    MoveWindow(command2, margin, 2 * margin + height, width, height, TRUE);
    SetWindowPos(Picture3.hWnd(), nullptr, 2 * margin + width, margin, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmIconOverlap::Show32(HICON icon) {
    hWnd();
    m_preview = icon;
    Picture3.SetSize(kOverlapIconSize, kOverlapIconSize);
    if (icon)
        DrawIconEx(Picture3.hDC(), 0, 0, icon, kOverlapIconSize, kOverlapIconSize, 0, nullptr,
                   DI_NORMAL);
    Picture3.Refresh();
}

void frmIconOverlap::Command1_Click() {
    // The composed icon stays the dialog's for as long as the preview shows it.
    OwnedIcon composed = OverlapIcon(m_container);
    if (!composed) {
        // Nothing to lay over (or nothing to lay it on): the plain icon is the honest preview.
        Command2_Click();
        return;
    }
    Show32(composed.get());
    m_composed = std::move(composed);
}

void frmIconOverlap::Command2_Click() {
    Show32(AltTabIcon(m_container));
    m_composed.reset();
}

void frmIconOverlap::OnCommand(UINT id, UINT, HWND) {
    if (id == kCommand1)
        Command1_Click();
    else if (id == kCommand2)
        Command2_Click();
    else if (id == IDCANCEL)
        Unload();
}

} // namespace merilane
