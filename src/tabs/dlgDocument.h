#pragma once
#include "controls/CForm.h"
#include "window/CWindow.h"
#include <memory>
#include <vector>

namespace merilane {

// The host form of one tab: a window of ours that holds the captured window, placed so that
// the captured window's caption bar and left border lie outside what can be seen.
//
// Its children are destroyed with it, so it never closes while another program's window is
// inside: that window would be lost, with its user's work.
class dlgDocument : public CForm {
  public:
    dlgDocument();
    ~dlgDocument() override;

    std::shared_ptr<CWindow> ChildWindow;

    void Form_Resize() override;

    // A window of another thread that is inside this host now, or null.
    HWND HeldForeignWindow() const;
    // Sends that window back where it came from (the desktop when it came from here), as far
    // as its program lets it go in time.
    void GiveBackHeldWindow() noexcept;
    // Every host form there is.
    static std::vector<dlgDocument*> Live();

    static constexpr int kHeightCut = 20;

  protected:
    CreateParams GetCreateParams() override;
    void Form_Activate() override;
    void Form_QueryUnload(bool& cancel) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

} // namespace merilane
