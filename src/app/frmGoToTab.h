#pragma once
#include "controls/CForm.h"
#include "controls/CTimer.h"
#include "controls/UniqueOwner.h"
#include "selection/TabSearch.h"
#include <vector>

namespace merilane {

// "Go to tab": the tabs listed by text, title and program, filtered as the user types; the
// one chosen is the caller's to go to.
class frmGoToTab : public CForm {
  public:
    // `rows` gives the tabs as they are now, in tab order; asked again while the box is open,
    // so that the list follows tabs that come, go or are retitled.
    frmGoToTab(HWND container, std::function<std::vector<TabRow>()> rows, HWND selected);

    // The window of the tab chosen; null when the box was closed without a choice.
    HWND Chosen() const noexcept { return m_chosen; }

    static constexpr int kFilterId = 100;
    static constexpr int kListId = 101;
    static constexpr const wchar_t* kCaption = L"Go to tab";

  protected:
    CreateParams GetCreateParams() override;
    void Form_Load() override;
    void Form_Unload() override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    bool WantsDialogKeys() const override { return true; }

  private:
    static LRESULT CALLBACK FilterProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void Follow();
    void Refilter();
    void Choose();
    HWND SelectedWindow() const;

    HWND m_container;
    std::function<std::vector<TabRow>()> m_source;
    std::vector<TabRow> m_rows;
    std::vector<size_t> m_shown; // positions in m_rows of the lines of the list
    HWND m_selected;
    HWND m_chosen = nullptr;
    HWND m_filter = nullptr;
    HWND m_list = nullptr;
    CTimer m_follow{500};
};

} // namespace merilane
