#include "tabs/frmIconOverlap.h"
#include "tabs/IconOverlap.h"

namespace merilane {
namespace {
constexpr int kMargin = 12;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 26;
} // namespace

frmIconOverlap::frmIconOverlap(HWND container) : m_container(container) {}

CForm::CreateParams frmIconOverlap::GetCreateParams() {
    CreateParams p;
    p.className = L"MerilaneIconOverlap";
    p.caption = kCaption;
    p.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    p.exStyle = WS_EX_DLGMODALFRAME;
    RECT r{0, 0, 3 * kMargin + kButtonWidth + kOverlapIconSize,
           3 * kMargin + 2 * kButtonHeight + kMargin};
    AdjustWindowRectEx(&r, p.style, FALSE, p.exStyle);
    p.width = r.right - r.left;
    p.height = r.bottom - r.top;
    p.x = (GetSystemMetrics(SM_CXSCREEN) - p.width) / 2;
    p.y = (GetSystemMetrics(SM_CYSCREEN) - p.height) / 3;
    return p;
}

void frmIconOverlap::Form_Load() {
    HWND form = ExistingHwnd();
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    auto button = [&](const wchar_t* text, int id, int top) {
        HWND b = CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, kMargin,
                                 top, kButtonWidth, kButtonHeight, form,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
        SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    };
    button(L"Overlay", kCommand1, kMargin);
    button(L"Plain", kCommand2, 2 * kMargin + kButtonHeight);
    Picture3.Create(form, kPicture3, 2 * kMargin + kButtonWidth, kMargin, kOverlapIconSize,
                    kOverlapIconSize);
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
