#include "controls/frmInputBox.h"

namespace merilane {

frmInputBox::frmInputBox(std::wstring prompt, std::wstring title, std::wstring defaultText)
    : m_prompt(std::move(prompt)), m_title(std::move(title)), m_default(std::move(defaultText)) {}

CForm::CreateParams frmInputBox::GetCreateParams() {
    CreateParams p;
    p.className = L"MerilaneInputBox";
    p.caption = m_title;
    p.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    p.exStyle = WS_EX_DLGMODALFRAME;
    RECT r{0, 0, 360, 150};
    AdjustWindowRectEx(&r, p.style, FALSE, p.exStyle);
    p.width = r.right - r.left;
    p.height = r.bottom - r.top;
    p.x = (GetSystemMetrics(SM_CXSCREEN) - p.width) / 2;
    p.y = (GetSystemMetrics(SM_CYSCREEN) - p.height) / 3;
    return p;
}

void frmInputBox::Form_Load() {
    NONCLIENTMETRICSW metrics{sizeof(metrics)};
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    m_font.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    HINSTANCE inst = GetModuleHandleW(nullptr);
    auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w,
                    int h, int id) {
        HWND c =
            CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, ExistingHwnd(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), TRUE);
        return c;
    };
    make(L"STATIC", m_prompt.c_str(), SS_LEFT, 10, 10, 250, 90, kPromptId);
    make(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 270, 10, 80, 24, IDOK);
    make(L"BUTTON", L"Cancel", WS_TABSTOP, 270, 40, 80, 24, IDCANCEL);
    m_text = make(L"EDIT", m_default.c_str(), WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 10, 112, 340,
                  24, kTextId);
    SendMessageW(m_text, EM_SETSEL, 0, -1);
    SetFocus(m_text);
}

void frmInputBox::OnCommand(UINT id, UINT, HWND) {
    if (id == IDOK) {
        int n = GetWindowTextLengthW(m_text);
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        n = GetWindowTextW(m_text, text.data(), n + 1);
        text.resize(static_cast<size_t>(n > 0 ? n : 0));
        m_answer = std::move(text);
        Hide();
    } else if (id == IDCANCEL) {
        m_answer.reset();
        Hide();
    }
}

} // namespace merilane
