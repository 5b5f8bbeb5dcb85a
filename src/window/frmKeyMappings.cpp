#include "window/frmKeyMappings.h"
#include "controls/Dialogs.h"
#include "controls/ProductInfo.h"
#include "window/MKeyboard.h"

namespace merilane {
namespace {
constexpr int kLetterList = 101;
constexpr int kModifierList = 102;
constexpr int kListView = 103;
// Codes below this are the modifiers and TAB; the rest are letters.
constexpr DWORD kFirstLetterCode = 64;

std::wstring TextOf(HWND control) {
    int n = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(control, text.data(), n + 1);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}
} // namespace

CForm::CreateParams frmKeyMappings::GetCreateParams() {
    CreateParams p;
    p.className = L"MerilaneKeyMappings";
    p.caption = kCaption;
    p.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    p.exStyle = WS_EX_DLGMODALFRAME;
    RECT r{0, 0, 360, 230};
    AdjustWindowRectEx(&r, p.style, FALSE, p.exStyle);
    p.width = r.right - r.left;
    p.height = r.bottom - r.top;
    p.x = (GetSystemMetrics(SM_CXSCREEN) - p.width) / 2;
    p.y = (GetSystemMetrics(SM_CYSCREEN) - p.height) / 3;
    return p;
}

void frmKeyMappings::Form_Load() {
    NONCLIENTMETRICSW metrics{sizeof(metrics)};
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    m_font.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
                    int h, int id) {
        HWND c =
            CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, ExistingHwnd(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), TRUE);
        return c;
    };
    make(L"STATIC", L"Open window dialog", SS_LEFT, 10, 14, 120, 20, -1);
    cboOpenWindowKey2 = make(L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, 135, 10,
                             90, 200, kModifierList);
    cboOpenWindowKey1 = make(L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, 235, 10,
                             110, 300, kLetterList);
    ListView2.Create(ExistingHwnd(), kListView, false);
    MoveWindow(ListView2.hWnd(), 10, 45, 335, 135, FALSE);
    cmdOk = make(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 175, 192, 80, 26, IDOK);
    cmdCancel = make(L"BUTTON", L"Cancel", WS_TABSTOP, 265, 192, 80, 26, IDCANCEL);

    KeyNames = {{L"CTRL", VK_CONTROL}, {L"SHIFT", VK_SHIFT}, {L"TAB", VK_TAB}};
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
        KeyNames.emplace_back(std::wstring(1, letter), static_cast<DWORD>(letter));
    for (auto& [name, code] : KeyNames)
        SendMessageW(code < kFirstLetterCode ? cboOpenWindowKey2 : cboOpenWindowKey1, CB_ADDSTRING,
                     0, reinterpret_cast<LPARAM>(name.c_str()));
}

void frmKeyMappings::cmdOk_Click() {
    MsgBox(TextOf(cboOpenWindowKey1), MB_OK, Product().name);
    KeyMap.clear();
    KeyMap.emplace_back(kNewTabKey, L"NEW");
    Unload();
}

void frmKeyMappings::OnCommand(UINT id, UINT, HWND) {
    if (id == IDOK)
        cmdOk_Click();
    else if (id == IDCANCEL)
        Unload(); // leaves the bindings as they were
}

} // namespace merilane
