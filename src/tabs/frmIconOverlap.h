#pragma once
#include "controls/CForm.h"
#include "controls/UniqueOwner.h"
#include "controls/CIconPicture.h"

namespace merilane {

// The modal "Icon overlap" dialog: previews, at 32 x 32 pixels, the icon the shell shows for the
// program in the alt-tab list, plain or with the program's overlay badge in its lower right
// quarter. It changes nothing outside itself.
class frmIconOverlap : public CForm {
  public:
    // `container` is any window of the program; the alt-tab icon is that of the top of its
    // owner chain.
    explicit frmIconOverlap(HWND container);

    // The preview with the overlay.
    void Command1_Click();
    // The plain preview.
    void Command2_Click();

    // The icon the preview shows now: the composed one after Command1 (owned by the dialog),
    // the alt-tab icon itself after Command2; null before either.
    HICON PreviewIcon() const noexcept { return m_preview; }

    CIconPicture Picture3;

    static constexpr const wchar_t* kCaption = L"Icon overlap";
    static constexpr int kCommand1 = 101;
    static constexpr int kCommand2 = 102;
    static constexpr int kPicture3 = 103;

  protected:
    CreateParams GetCreateParams() override;
    void Form_Load() override;
    void Form_DpiChanged(UINT dpi) override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    bool WantsDialogKeys() const override { return true; }

  private:
    void Show32(HICON icon);

    HWND m_container;
    OwnedIcon m_composed;
    HICON m_preview = nullptr;
};

} // namespace merilane
