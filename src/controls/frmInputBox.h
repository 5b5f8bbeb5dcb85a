#pragma once
#include "controls/CForm.h"
#include "controls/UniqueOwner.h"
#include <optional>

namespace merilane {

class frmInputBox : public CForm {
  public:
    frmInputBox(std::wstring prompt, std::wstring title, std::wstring defaultText);

    std::optional<std::wstring> Answer() const { return m_answer; }

    static constexpr int kPromptId = 100;
    static constexpr int kTextId = 101;

  protected:
    CreateParams GetCreateParams() override;
    void Form_Load() override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    bool WantsDialogKeys() const override { return true; }

  private:
    std::wstring m_prompt, m_title, m_default;
    std::optional<std::wstring> m_answer;
    HWND m_promptLabel = nullptr;
    HWND m_ok = nullptr;
    HWND m_cancel = nullptr;
    HWND m_text = nullptr;
};

} // namespace merilane
