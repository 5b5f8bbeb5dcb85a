#pragma once
#include "controls/CForm.h"
#include "window/CWindow.h"
#include <memory>

namespace merilane {

// The host form of one tab: a window of ours that holds the captured window, placed so that
// the captured window's caption bar and left border lie outside what can be seen.
class dlgDocument : public CForm {
  public:
    ~dlgDocument() override;

    std::shared_ptr<CWindow> ChildWindow;

    void Form_Resize() override;

    static constexpr int kHeightCut = 20;

  protected:
    CreateParams GetCreateParams() override;
    void Form_Activate() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void GiveBackForeignChild() noexcept;
};

} // namespace merilane
