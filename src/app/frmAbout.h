#pragma once
#include "controls/CForm.h"
#include "controls/UniqueOwner.h"

namespace merilane {

// "About Merilane": the program's title, version and notice, and where to look for updates.
// The title and the update line open the product's web page.
class frmAbout : public CForm {
  public:
    HWND lblTitle = nullptr;
    HWND lblVersion = nullptr;
    HWND lblUpdates = nullptr;
    HWND lblNotice = nullptr;
    HWND Picture1 = nullptr; // the logo
    HWND Line1 = nullptr;
    HWND cmdOk = nullptr;

    static constexpr const wchar_t* kCaption = L"About Merilane";
    static constexpr const wchar_t* kUpdates = L"Look for a newer Merilane on its web page";
    static constexpr int kTitleId = 100, kVersionId = 101, kUpdatesId = 102, kNoticeId = 103,
                         kLogoId = 104;

    // " Version " and the version as major.minor.revision.
    static std::wstring VersionText();

  protected:
    CreateParams GetCreateParams() override;
    void Form_Load() override;
    void Form_DpiChanged(UINT dpi) override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool WantsDialogKeys() const override { return true; }

  private:
    OwnedFont m_titleFont, m_linkFont;
};

} // namespace merilane
