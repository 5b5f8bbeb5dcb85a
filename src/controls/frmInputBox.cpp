#include "controls/frmInputBox.h"
#include "controls/Screen.h"

namespace merilane {
namespace {
// The layout at 96 dots per inch, scaled to the form's resolution: a client area of 360 x 150
// with the prompt at the left, the buttons at the right and the answer along the bottom.
constexpr int kClientWidth = 360;
constexpr int kClientHeight = 150;
constexpr RECT kPrompt{10, 10, 260, 100};
constexpr RECT kOk{270, 10, 350, 34};
constexpr RECT kCancel{270, 40, 350, 64};
constexpr RECT kText{10, 112, 350, 136};
} // namespace

frmInputBox::frmInputBox(std::wstring prompt, std::wstring title, std::wstring defaultText)
    : m_prompt(std::move(prompt)), m_title(std::move(title)), m_default(std::move(defaultText)) {}

CForm::CreateParams frmInputBox::GetCreateParams() {
    UINT dpi = DpiOf();
    CreateParams p = DialogParams(L"MerilaneInputBox", m_title, Scaled(kClientWidth, dpi),
                                  Scaled(kClientHeight, dpi));
    p.style |= DS_MODALFRAME;
    return p;
}

void frmInputBox::Form_Load() {
    m_promptLabel = MakeControl(L"STATIC", m_prompt, SS_LEFT, kPromptId);
    m_ok = MakeControl(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
    m_cancel = MakeControl(L"BUTTON", L"Cancel", WS_TABSTOP, IDCANCEL);
    m_text = MakeControl(L"EDIT", m_default, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kTextId);
    PlaceControls({{m_promptLabel, kPrompt}, {m_ok, kOk}, {m_cancel, kCancel}, {m_text, kText}});
    SendMessageW(m_text, EM_SETSEL, 0, -1);
    SetFocus(m_text);
}

void frmInputBox::OnCommand(UINT id, UINT, HWND) {
    if (id == IDOK) {
        m_answer = OwnWindowText(m_text);
        Hide();
    } else if (id == IDCANCEL) {
        m_answer.reset();
        Hide();
    }
}

} // namespace merilane
