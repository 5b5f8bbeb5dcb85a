#include "app/frmAbout.h"
#include "controls/Dialogs.h"
#include "controls/ProductInfo.h"
#include "controls/Screen.h"
#include "tabs/MArtwork.h"

namespace merilane {
namespace {
// The layout at 96 dots per inch, scaled to the form's resolution.
constexpr int kClientWidth = 420, kClientHeight = 230;
constexpr RECT kLogoAt{16, 16, 96, 96};
constexpr RECT kTitleAt{112, 16, 404, 52};
constexpr RECT kVersionAt{112, 56, 404, 76};
constexpr RECT kUpdatesAt{112, 80, 404, 100};
constexpr RECT kLineAt{16, 112, 404, 114};
constexpr RECT kNoticeAt{16, 122, 404, 182};
constexpr RECT kOkAt{316, 192, 404, 218};
constexpr COLORREF kLinkColour = RGB(0, 102, 204);
} // namespace

std::wstring frmAbout::VersionText() {
    const ProductInfo& p = Product();
    return L" Version " + std::to_wstring(p.major) + L"." + std::to_wstring(p.minor) + L"." +
           std::to_wstring(p.revision);
}

CForm::CreateParams frmAbout::GetCreateParams() {
    UINT dpi = DpiOf();
    // The caption is set when the form loads.
    return DialogParams(L"MerilaneAbout", L"Merilane", Scaled(kClientWidth, dpi),
                        Scaled(kClientHeight, dpi));
}

void frmAbout::Form_Load() {
    SetCaption(kCaption);
    Picture1 = MakeControl(L"STATIC", L"", SS_OWNERDRAW, kLogoId);
    lblTitle = MakeControl(L"STATIC", Product().name, SS_LEFT | SS_NOTIFY, kTitleId);
    lblVersion = MakeControl(L"STATIC", VersionText(), SS_LEFT, kVersionId);
    lblUpdates = MakeControl(L"STATIC", kUpdates, SS_LEFT | SS_NOTIFY, kUpdatesId);
    Line1 = MakeControl(L"STATIC", L"", SS_ETCHEDHORZ, -1);
    lblNotice =
        MakeControl(L"STATIC",
                    L"Made by the Merilane developers and given away under the MIT licence, "
                    L"without warranty of any kind. Merilane holds other programs' windows in "
                    L"its tabs and gives them back; it never closes them.",
                    SS_LEFT, kNoticeId);
    cmdOk = MakeControl(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
    PlaceControls({{Picture1, kLogoAt},
                   {lblTitle, kTitleAt},
                   {lblVersion, kVersionAt},
                   {lblUpdates, kUpdatesAt},
                   {Line1, kLineAt},
                   {lblNotice, kNoticeAt},
                   {cmdOk, kOkAt}});
    Form_DpiChanged(Dpi());
    SetFocus(cmdOk);
}

void frmAbout::Form_DpiChanged(UINT) {
    // The title and the link are drawn in fonts of their own, made from the message font.
    LOGFONTW lf{};
    GetObjectW(LayoutFont(), sizeof(lf), &lf);
    lf.lfUnderline = TRUE;
    m_linkFont.reset(CreateFontIndirectW(&lf));
    lf.lfUnderline = FALSE;
    lf.lfWeight = FW_BOLD;
    lf.lfHeight = lf.lfHeight * 2;
    m_titleFont.reset(CreateFontIndirectW(&lf));
    SetControlsFont({lblTitle}, m_titleFont.get());
    SetControlsFont({lblUpdates}, m_linkFont.get());
}

void frmAbout::OnCommand(UINT id, UINT code, HWND) {
    if ((id == kTitleId || id == kUpdatesId) && code == STN_CLICKED)
        ShellOpen(std::wstring(kProductPage) + kProductPageQuery);
    else if (id == IDOK || id == IDCANCEL)
        Hide();
}

LRESULT frmAbout::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lp) == lblUpdates || reinterpret_cast<HWND>(lp) == lblTitle) {
            LRESULT brush = CForm::WindowProc(msg, wp, lp);
            SetTextColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp) == lblUpdates
                                                        ? kLinkColour
                                                        : GetSysColor(COLOR_WINDOWTEXT));
            return brush;
        }
        break;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item->hwndItem == Picture1) {
            FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
            DrawLogo(item->hDC, item->rcItem);
        }
        return TRUE;
    }
    case WM_SETCURSOR:
        // The lines that open the web page show the hand over them.
        if (reinterpret_cast<HWND>(wp) == lblUpdates || reinterpret_cast<HWND>(wp) == lblTitle) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return CForm::WindowProc(msg, wp, lp);
}

} // namespace merilane
