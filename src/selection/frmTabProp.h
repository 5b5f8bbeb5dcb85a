#pragma once
#include "controls/CForm.h"
#include "controls/CImageList.h"
#include "controls/CListView.h"
#include "controls/CTimer.h"
#include "controls/UniqueOwner.h"
#include "selection/CTaskList.h"
#include "selection/WindowRows.h"
#include "controls/CIconPicture.h"
#include "window/CWindow.h"
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace merilane {

// What the properties dialog needs of the program around it; the container passes its own
// routines, tests may pass their own.
struct TabPropActions {
    // The captured window of the active tab, or null when there is none.
    std::function<std::shared_ptr<CWindow>()> ActiveWindow;
    // Gives a captured window back (release state 1 normal, 2 minimised, 3 maximised).
    std::function<void(HWND hwnd, HWND newParent, UINT releaseState, bool removeTab)> ReleaseWindow;
    // Captures a window into a new tab.
    std::function<void(HWND hwnd)> CaptureWindow;
};

// The property rows of a window, in the order the dialog lists them: name and value.
std::vector<std::pair<std::wstring, std::wstring>> TabPropertyRows(const CWindow& window);

// The modal properties dialog of the active tab's window. Page "General" describes the window
// (properties, decoded style bits, large icon), edits the tab's caption pattern and offers
// "Release"; page "Switch window" lists the desktop's other windows, and OK (captioned "Switch"
// there) puts the chosen one in the active window's place.
//
// While the dialog is loaded the program runs at high priority, so that the live list keeps up;
// the priority it had before comes back when the dialog is unloaded.
//
// Call order: construct, ShowModal, then Unload (OK only hides the dialog).
class frmTabProp : public CForm {
  public:
    explicit frmTabProp(TabPropActions actions);
    ~frmTabProp() override;

    // Page 0 "General", page 1 "Switch window".
    int CurrentPage() const;
    // Shows the page as a click on its tab would.
    void SelectPage(int page);
    // 1, 2 or 3 for the chosen "Window state after releasing".
    UINT ReleaseState() const;

    HWND SSTab1() const noexcept { return m_tab; }
    HWND lstStyles() const noexcept { return m_styles; }
    HWND txtCaption() const noexcept { return m_caption; }
    HWND cboReleaseType() const noexcept { return m_releaseType; }
    HWND cmdOk() const noexcept { return m_ok; }
    HWND cmdRelease() const noexcept { return m_release; }
    HWND cmdCancel() const noexcept { return m_cancel; }

    CListView lstProperties;
    CIconPicture picBigIcon;
    CListView ListView1;
    CImageList ImageList1;
    CTimer Timer1;
    CTaskList Tasks;

    static constexpr UINT kTimerInterval = 200;
    static constexpr int kHungTimeout = 250;
    static constexpr int kReleaseId = 1001;

  protected:
    CreateParams GetCreateParams() override;
    void Form_Load() override;
    void Form_Unload() override;
    void Form_Resize() override;
    void Form_DpiChanged(UINT dpi) override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    bool WantsDialogKeys() const override { return true; }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void CreateControls();
    void LayOut();
    void Fill(const CWindow& window);
    void PageChanged(int previousPage);
    void ShowPageControls(int page);
    void Tick();
    void RefreshSwitchList();
    void cmdOk_Click();
    void cmdRelease_Click();
    void Cancel();
    void RaisePriority();
    void RestorePriority() noexcept;
    bool HasActiveWindow() const;
    std::shared_ptr<CWindow> ActiveWindow() const;

    TabPropActions m_actions;
    WindowRows m_switchRows{ListView1, ImageList1, Tasks, true};
    HWND m_tab = nullptr;
    HWND m_styles = nullptr;
    HWND m_stylesLabel = nullptr;
    HWND m_caption = nullptr;
    HWND m_captionLabel = nullptr;
    HWND m_releaseType = nullptr;
    HWND m_releaseLabel = nullptr;
    HWND m_ok = nullptr;
    HWND m_release = nullptr;
    HWND m_cancel = nullptr;
    int m_pageBeforeChange = 0;
    std::optional<DWORD> m_priorityBefore;
};

} // namespace merilane
