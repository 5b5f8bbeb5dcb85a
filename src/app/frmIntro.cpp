#include "app/frmIntro.h"
#include "controls/Dialogs.h"
#include "controls/ProductInfo.h"
#include "controls/Screen.h"
#include "controls/UiThread.h"
#include "tabs/MArtwork.h"
#include <commctrl.h>
#include <windowsx.h>
#include <string>

namespace merilane {
namespace {

// The layout at 96 dots per inch, scaled to the form's resolution. Frame1 follows the form's
// size by its own rule (in twips); the rest keeps its place within it.
constexpr long kFrameLeftTwips = 200;
constexpr long kFrameTopTwips = 1100;
constexpr long kFrameWidthCutTwips = 400;
constexpr long kFrameHeightCutTwips = 1300;
constexpr int kBannerTop = 10, kBannerHeight = 56;
constexpr int kInset = 24, kCommandWidth = 300, kCommandHeight = 38, kCommandStep = 44;
constexpr int kHintWidth = 520, kHintHeight = 18, kHintStep = 22, kHintsGap = 14;
constexpr int kLogoSize = 96;
constexpr COLORREF kHoverColour = RGB(0, 120, 215);

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// The named faces are not free to ship: they are used where the machine has them.
bool Installed(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(BorrowScreenDC().get(), &wanted, NoteFound,
                        reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

OwnedFont Font(const wchar_t* face, const wchar_t* fallback, int points, int weight, bool underline,
               UINT dpi) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, static_cast<int>(dpi), 72);
    lf.lfWeight = weight;
    lf.lfUnderline = underline;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(lf.lfFaceName, Installed(face) ? face : fallback, LF_FACESIZE - 1);
    return OwnedFont(CreateFontIndirectW(&lf));
}

} // namespace

frmIntro::frmIntro(IntroActions actions) : m_actions(std::move(actions)) {}

CForm::CreateParams frmIntro::GetCreateParams() {
    CreateParams p;
    p.className = L"MerilaneIntro";
    p.caption = kCaption;
    p.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    UINT dpi = DpiOf();
    p.width = Scaled(640, dpi);
    p.height = Scaled(460, dpi);
    p.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    return p;
}

void frmIntro::Form_Load() {
    HWND form = ExistingHwnd();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // The frame first, so that everything it surrounds lies above it.
    Frame1 = MakeControl(L"BUTTON", L"", BS_GROUPBOX, kFrameId);
    Picture1 = MakeControl(L"STATIC", L"Merilane", SS_OWNERDRAW | SS_NOTIFY, kBannerId);
    for (int i = 0; i < kCommandCount; ++i) {
        lblMenuItem[static_cast<size_t>(i)] =
            MakeControl(L"STATIC", kCommands[static_cast<size_t>(i)],
                        SS_LEFT | SS_NOTIFY | WS_TABSTOP, kFirstCommandId + i);
        SetWindowSubclass(lblMenuItem[static_cast<size_t>(i)], CommandProc, 1,
                          reinterpret_cast<DWORD_PTR>(this));
    }
    for (size_t i = 0; i < Label1.size(); ++i)
        Label1[i] = MakeControl(L"STATIC", kHints[i], SS_LEFT, kFirstHintId + static_cast<int>(i));
    ShowTabKeys(TextsOf(TabKeysInForce));
    Picture2 = MakeControl(L"STATIC", L"", SS_OWNERDRAW, kLogoId);

    m_restingColour = RGB(20, 70, 110);
    ResetColours();
    // Text controls lie on the form's own colour, the frame's too.
    m_background.reset(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));

    m_toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                0, 0, 0, 0, form, nullptr, instance, nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = form;
    tool.uId = reinterpret_cast<UINT_PTR>(Picture1);
    tool.lpszText = const_cast<wchar_t*>(L"Merilane website ...");
    SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

    MakeFonts(Dpi());
    Form_Resize();
}

void frmIntro::MakeFonts(UINT dpi) {
    m_commandFont = Font(L"Gill Sans Ultra Bold", L"Tahoma", 18, FW_HEAVY, false, dpi);
    m_focusFont = Font(L"Gill Sans Ultra Bold", L"Tahoma", 18, FW_HEAVY, true, dpi);
    m_hintFont = Font(L"Tahoma", L"MS Shell Dlg", 8, FW_NORMAL, false, dpi);
    for (HWND command : lblMenuItem)
        SetControlsFont({command}, GetFocus() == command ? m_focusFont.get() : m_commandFont.get());
    SetControlsFont({Label1[0], Label1[1], Label1[2], Label1[3]}, m_hintFont.get());
}

void frmIntro::Form_DpiChanged(UINT dpi) {
    MakeFonts(dpi);
}

void frmIntro::Form_Resize() {
    HWND form = ExistingHwnd();
    if (!Frame1)
        return;
    UINT dpi = Dpi();
    auto px = [&](int at96) { return Scaled(at96, dpi); };
    RECT outer{};
    GetWindowRect(form, &outer);
    long formWidth = PixelsToTwipsX(outer.right - outer.left, form);
    long formHeight = PixelsToTwipsY(outer.bottom - outer.top, form);
    int left = TwipsToPixelsX(kFrameLeftTwips, form), top = TwipsToPixelsY(kFrameTopTwips, form);
    RECT frame{};
    GetWindowRect(Frame1, &frame);
    MapWindowPoints(HWND_DESKTOP, form, reinterpret_cast<POINT*>(&frame), 2);
    int width = TwipsToPixelsX(formWidth - kFrameWidthCutTwips, form);
    // Too low a form leaves the frame as tall as it was.
    int height = formHeight > kFrameHeightCutTwips
                     ? TwipsToPixelsY(formHeight - kFrameHeightCutTwips, form)
                     : frame.bottom - frame.top;
    MoveWindow(Frame1, left, top, width > 0 ? width : 0, height > 0 ? height : 0, TRUE);
    MoveWindow(Picture1, left, px(kBannerTop), width > 0 ? width : 0, px(kBannerHeight), TRUE);
    for (int i = 0; i < kCommandCount; ++i)
        MoveWindow(lblMenuItem[static_cast<size_t>(i)], left + px(kInset),
                   top + px(kInset) + i * px(kCommandStep), px(kCommandWidth), px(kCommandHeight),
                   TRUE);
    int hintsTop = top + px(kInset) + kCommandCount * px(kCommandStep) + px(kHintsGap);
    for (size_t i = 0; i < Label1.size(); ++i)
        MoveWindow(Label1[i], left + px(kInset), hintsTop + static_cast<int>(i) * px(kHintStep),
                   px(kHintWidth), px(kHintHeight), TRUE);
    MoveWindow(Picture2, left + px(kInset) + px(kCommandWidth) + px(kInset), top + px(kInset),
               px(kLogoSize), px(kLogoSize), TRUE);
}

void frmIntro::lblMenuItem_Click(int index) {
    std::function<void()>* action = index == 0   ? &m_actions.LoadNewTab
                                    : index == 1 ? &m_actions.ReleaseAllTabs
                                    : index == 2 ? &m_actions.Exit
                                                 : nullptr;
    // Each of them may take the intro screen away ("Exit" closes the container, "Release all
    // tabs" releases the screen too): it runs once the click that chose it is over, never
    // under the handler that is still using the form.
    if (action && *action)
        PostToUiThread(*action);
}

void frmIntro::Picture1_Click() {
    ShellOpen(std::wstring(kProductPage) + kProductPageQuery);
}

void frmIntro::OnCommand(UINT id, UINT code, HWND) {
    if (code != STN_CLICKED)
        return;
    if (id == kBannerId)
        Picture1_Click();
    else if (id >= kFirstCommandId && id < kFirstCommandId + kCommandCount)
        lblMenuItem_Click(static_cast<int>(id) - kFirstCommandId);
}

int frmIntro::CommandIndex(HWND control) const {
    for (int i = 0; i < kCommandCount; ++i)
        if (lblMenuItem[static_cast<size_t>(i)] == control)
            return i;
    return -1;
}

void frmIntro::Hover(int index) {
    if (m_colours[static_cast<size_t>(index)] == kHoverColour)
        return;
    m_colours[static_cast<size_t>(index)] = kHoverColour;
    InvalidateRect(lblMenuItem[static_cast<size_t>(index)], nullptr, TRUE);
}

void frmIntro::ResetColours() {
    for (int i = 0; i < kCommandCount; ++i) {
        if (m_colours[static_cast<size_t>(i)] == m_restingColour)
            continue;
        m_colours[static_cast<size_t>(i)] = m_restingColour;
        if (lblMenuItem[static_cast<size_t>(i)])
            InvalidateRect(lblMenuItem[static_cast<size_t>(i)], nullptr, TRUE);
    }
}

LRESULT CALLBACK frmIntro::CommandProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR data) {
    auto* self = reinterpret_cast<frmIntro*>(data);
    int index = self->CommandIndex(hwnd);
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DefSubclassProc(hwnd, msg, wp, lp);
    case WM_MOUSEMOVE:
        self->Hover(index);
        break;
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // The command with the keyboard is underlined.
        SetControlsFont({hwnd},
                        msg == WM_SETFOCUS ? self->m_focusFont.get() : self->m_commandFont.get());
        break;
    case WM_KEYDOWN: {
        int step = 0;
        if (wp == VK_DOWN || wp == VK_RIGHT || (wp == VK_TAB && GetKeyState(VK_SHIFT) >= 0))
            step = 1;
        else if (wp == VK_UP || wp == VK_LEFT || wp == VK_TAB)
            step = kCommandCount - 1;
        if (step) {
            SetFocus(self->lblMenuItem[static_cast<size_t>((index + step) % kCommandCount)]);
            return 0;
        }
        if (wp == VK_RETURN || wp == VK_SPACE) {
            self->lblMenuItem_Click(index);
            return 0;
        }
        break;
    }
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT frmIntro::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CTLCOLORSTATIC: {
        auto control = reinterpret_cast<HWND>(lp);
        auto dc = reinterpret_cast<HDC>(wp);
        int index = CommandIndex(control);
        SetTextColor(dc, index >= 0 ? m_colours[static_cast<size_t>(index)]
                                    : GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(m_background.get());
    }
    case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(m_background.get());
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item->hwndItem == Picture1)
            DrawBanner(item->hDC, item->rcItem, Dpi());
        else if (item->hwndItem == Picture2)
            DrawLogo(item->hDC, item->rcItem);
        return TRUE;
    }
    case WM_MOUSEMOVE: {
        // Over the frame (not over a command), the commands take their resting colour again.
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        RECT frame{};
        GetWindowRect(Frame1, &frame);
        MapWindowPoints(HWND_DESKTOP, ExistingHwnd(), reinterpret_cast<POINT*>(&frame), 2);
        if (PtInRect(&frame, p))
            ResetColours();
        return 0;
    }
    case WM_SETFOCUS:
        SetFocus(lblMenuItem[0]);
        return 0;
    default:
        return CForm::WindowProc(msg, wp, lp);
    }
}

void frmIntro::ShowTabKeys(const TabKeyTexts& keys) {
    if (!Label1[1])
        return;
    SetWindowTextW(Label1[1], keys.introNext);
    SetWindowTextW(Label1[2], keys.introPrevious);
    SetWindowTextW(Label1[3], keys.introNumbered);
}

} // namespace merilane
