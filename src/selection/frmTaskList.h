#pragma once
#include "controls/CForm.h"
#include "controls/UniqueOwner.h"
#include "selection/CTLWindowList.h"
#include <set>

namespace merilane {

// The modal "Select a window" dialog: the caller shows it, then reads Cancelled and, if the
// user accepted, GetWindows.
class frmTaskList : public CForm {
  public:
    frmTaskList();

    CTLWindowList CTLWindowList1;
    bool Cancelled = false;

    WindowSelection GetWindows() { return CTLWindowList1.GetWindows(); }

    static constexpr const wchar_t* kCaption = L"Select a window";
    static constexpr int kListId = 200;

  protected:
    CreateParams GetCreateParams() override;
    void Form_Load() override;
    void Form_Resize() override;
    void Form_QueryUnload(bool& cancel) override;
    void Form_Unload() override;
    void Form_DpiChanged(UINT dpi) override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    bool WantsDialogKeys() const override { return true; }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void Accept();
    void Cancel();
    void KeyReleased(int keyCode);
    HWND m_ok = nullptr;
    HWND m_cancel = nullptr;
    std::set<UINT> m_keysDown; // keys pressed on the form itself
};

} // namespace merilane
