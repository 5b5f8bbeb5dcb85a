#include "app/frmKeyMappings.h"
#include "controls/Dialogs.h"
#include "controls/ProductInfo.h"
#include "controls/Screen.h"
#include "window/MKeyboard.h"

namespace merilane {
namespace {
constexpr int kLetterList = 101;
constexpr int kModifierList = 102;
constexpr int kListView = 103;
// Codes below this are the modifiers and TAB; the rest are letters.
constexpr DWORD kFirstLetterCode = 64;
// The layout at 96 dots per inch, scaled to the form's resolution.
constexpr int kClientWidth = 360;
constexpr int kClientHeight = 230;
constexpr RECT kLabel{10, 14, 130, 34};
constexpr RECT kModifiers{135, 10, 225, 210};
constexpr RECT kLetters{235, 10, 345, 310};
constexpr RECT kList{10, 45, 345, 180};
constexpr RECT kOk{175, 192, 255, 218};
constexpr RECT kCancel{265, 192, 345, 218};

} // namespace

CForm::CreateParams frmKeyMappings::GetCreateParams() {
    UINT dpi = DpiOf();
    return DialogParams(L"MerilaneKeyMappings", kCaption, Scaled(kClientWidth, dpi),
                        Scaled(kClientHeight, dpi));
}

void frmKeyMappings::Form_Load() {
    m_label = MakeControl(L"STATIC", L"Open window dialog", SS_LEFT, -1);
    cboOpenWindowKey2 =
        MakeControl(L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, kModifierList);
    cboOpenWindowKey1 =
        MakeControl(L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, kLetterList);
    ListView2.Create(ExistingHwnd(), kListView, false);
    cmdOk = MakeControl(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
    cmdCancel = MakeControl(L"BUTTON", L"Cancel", WS_TABSTOP, IDCANCEL);
    PlaceControls({{m_label, kLabel},
                   {cboOpenWindowKey2, kModifiers},
                   {cboOpenWindowKey1, kLetters},
                   {ListView2.hWnd(), kList},
                   {cmdOk, kOk},
                   {cmdCancel, kCancel}});

    KeyNames = {{L"CTRL", VK_CONTROL}, {L"SHIFT", VK_SHIFT}, {L"TAB", VK_TAB}};
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
        KeyNames.emplace_back(std::wstring(1, letter), static_cast<DWORD>(letter));
    for (auto& [name, code] : KeyNames)
        SendMessageW(code < kFirstLetterCode ? cboOpenWindowKey2 : cboOpenWindowKey1, CB_ADDSTRING,
                     0, reinterpret_cast<LPARAM>(name.c_str()));
}

void frmKeyMappings::cmdOk_Click() {
    MsgBox(OwnWindowText(cboOpenWindowKey1), MB_OK, Product().name);
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
