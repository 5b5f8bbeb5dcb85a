#pragma once
#include "controls/CForm.h"
#include "controls/UniqueOwner.h"
#include "window/MKeyboard.h"
#include <array>
#include <functional>

namespace merilane {

// What the intro screen's commands do; the container gives them.
struct IntroActions {
    std::function<void()> LoadNewTab;
    std::function<void()> ReleaseAllTabs;
    std::function<void()> Exit;
};

// The start page ("Main menu"), shown as the first tab: three large commands, four hints and
// the banner that opens the product's web page. The commands and hints are static text
// controls, so that screen readers read them; the commands take clicks, and the keyboard:
// TAB and the arrows move between them, Enter and the space bar choose.
class frmIntro : public CForm {
  public:
    explicit frmIntro(IntroActions actions = {});

    static constexpr const wchar_t* kCaption = L"Main menu";
    static constexpr int kCommandCount = 3;
    static constexpr std::array<const wchar_t*, kCommandCount> kCommands{
        L"Load new tab", L"Release all tabs", L"Exit"};
    // The hints, top to bottom, with the blanks that line them up, for the first set of tab
    // keys; the three about tab keys name the set in force.
    static constexpr std::array<const wchar_t*, 4> kHints{
        L"Use right mouse-click on the active tab to show the window menu",
        L"Hold CTRL   + TAB down to go to next tab", L"Hold SHIFT + TAB down to go to previous tab",
        L"Hold CTRL   + 1..9 to activate numbered tab"};
    static constexpr int kFirstCommandId = 100;
    static constexpr int kFirstHintId = 200;
    static constexpr int kBannerId = 300;
    static constexpr int kFrameId = 301;
    static constexpr int kLogoId = 302;

    std::array<HWND, kCommandCount> lblMenuItem{};
    std::array<HWND, 4> Label1{};
    HWND Picture1 = nullptr; // the banner
    HWND Frame1 = nullptr;
    HWND Picture2 = nullptr; // decoration

    // A command of the screen, as clicking it does (0 "Load new tab", 1 "Release all tabs",
    // 2 "Exit"): it runs from the message loop, after the caller has returned.
    void lblMenuItem_Click(int index);
    void Picture1_Click();
    // The hints about tab keys name these.
    void ShowTabKeys(const TabKeyTexts& keys);
    // The colour a command's text has now.
    COLORREF CommandColour(int index) const { return m_colours[static_cast<size_t>(index)]; }

  protected:
    CreateParams GetCreateParams() override;
    void Form_Load() override;
    void Form_Resize() override;
    void Form_DpiChanged(UINT dpi) override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    static LRESULT CALLBACK CommandProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void MakeFonts(UINT dpi);
    void Hover(int index);
    void ResetColours();
    int CommandIndex(HWND control) const;

    IntroActions m_actions;
    OwnedFont m_commandFont, m_focusFont, m_hintFont;
    std::array<COLORREF, kCommandCount> m_colours{};
    COLORREF m_restingColour = RGB(20, 70, 110);
    OwnedBrush m_background;
    HWND m_toolTip = nullptr;
};

} // namespace merilane
