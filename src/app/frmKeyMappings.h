#pragma once
#include "controls/CForm.h"
#include "controls/CListView.h"
#include "controls/UniqueOwner.h"
#include <string>
#include <utility>
#include <vector>

namespace merilane {

// "Key mappings": where the capture dialog's key is chosen. Whatever the lists show, OK binds
// CTRL + K to the capture dialog.
class frmKeyMappings : public CForm {
  public:
    // Key names and their virtual-key codes, in the order the lists are filled.
    std::vector<std::pair<std::wstring, DWORD>> KeyNames;

    HWND cmdOk = nullptr;
    HWND cmdCancel = nullptr;
    HWND cboOpenWindowKey1 = nullptr; // the letters
    HWND cboOpenWindowKey2 = nullptr; // CTRL, SHIFT, TAB
    CListView ListView2;

    static constexpr const wchar_t* kCaption = L"Key mappings";
    static constexpr DWORD kNewTabKey = 'K';

  protected:
    CreateParams GetCreateParams() override;
    void Form_Load() override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    bool WantsDialogKeys() const override { return true; }

  private:
    void cmdOk_Click();
    HWND m_label = nullptr;
};

} // namespace merilane
