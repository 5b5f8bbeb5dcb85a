#pragma once
#include "controls/CForm.h"

namespace merilane {

// The start page, shown as the first tab.
class frmIntro : public CForm {
  public:
    static constexpr const wchar_t* kCaption = L"Main menu";

  protected:
    CreateParams GetCreateParams() override;
    void Form_Load() override;
};

} // namespace merilane
