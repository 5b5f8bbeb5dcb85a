#pragma once
#include "controls/CForm.h"
#include "controls/CImageList.h"
#include "controls/CMenuBar.h"
#include "controls/CPictureBox.h"
#include "controls/CTabStrip.h"
#include "controls/CTimer.h"
#include "controls/UniqueOwner.h"
#include "app/CommandIds.h"
#include "app/MHiddenCommands.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "selection/TabSearch.h"
#include "tabs/TabHost.h"
#include "window/CSubClass.h"
#include "window/MKeyboard.h"
#include "window/MMouse.h"
#include <memory>

namespace merilane {

class CWindow;
class frmAbout;
class frmIntro;

// The container: a tab per captured window, with the display area that holds the host forms.
class frmSSTab : public CForm,
                 public TabHost,
                 public KeyboardHost,
                 public MouseHost,
                 public SubclassHost {
  public:
    frmSSTab();
    ~frmSSTab() override;

    CTabStrip TabStrip1;
    CPictureBox Picture1;
    CImageList imglstTabstrip;
    CTimer Timer1{200};
    CTimer Timer2{1};
    // Watches a window dragged over the tabs between mouse events: its move loop may end
    // without another (Escape), and a drop waits for the loop's end.
    CTimer DragInTimer{50};
    CMenuBar Menu;

    std::unique_ptr<frmIntro> IntroForm;
    std::unique_ptr<CSubClass> ContainerSubclass;
    UINT_PTR CloseTimerId = 0;
    // Whether the watch timer has installed the keyboard hook; once true, true for good.
    bool HookInstalled = false;

    void DisableTimers();
    void EnableTimers();
    bool IsIntroScreen(HWND hwnd) const;
    // The 1-based position of the window in a freshly built task table, 0 when it is not
    // listed. Costs a message or four to every window on the desktop: the timers ask the
    // same question without them.
    long GetWindowZorder(HWND hwnd) const;

    // The watch loop (every 200 ms) and the capture-request and z-order keeper (as often as
    // the system allows while anything changes).
    void Timer1_Timer();
    void Timer2_Timer();
    // What the "NEW" key binding does: the picker opens at the next tick of Timer2.
    void AskForCapture();

    void Form_Resize() override;

    // What the tab set needs of the container.
    CTabStrip& TabStrip() override { return TabStrip1; }
    CImageList& TabImages() override { return imglstTabstrip; }
    CPictureBox& DisplayArea() override { return Picture1; }
    HWND ContainerHwnd() override { return ExistingHwnd(); }
    void SetContainerCaption(const std::wstring& caption) override { SetCaption(caption); }
    void LayOut() override { Form_Resize(); }
    bool UseActiveTabIconForAltTab() const override;
    bool UseActiveTabIconForTaskbar() const override;
    // Whether "Cycle tabbing" is on.
    bool Cycling() const;

    // Lets the user pick an icon with the shell's picker, the timers paused meanwhile; the
    // small and large icon of the choice, both null when nothing was chosen.
    IconPair ChangeIconDialog();

    // What the keyboard bindings need of the container.
    bool IsOwnForeground(bool includeContainer) override;
    bool KeyBindingsEnabled() override;
    bool HasActiveTab() override;
    void Carry(KeyAction action, int tab) override;
    bool TabDragging() override { return TabStrip1.Dragging(); }
    void DropDraggedTab(POINT point) override { TabStrip1.DropAt(point); }

    // What the mouse hook needs of the container.
    bool DragInTarget(DragInFacts& facts) override;
    void CarryDragIn(const DragInDecision& decision) override;
    // Whether a window released at the screen point, which `dropped` covers, was let go over
    // the container and nothing else of the desktop.
    bool DropLandsOnContainer(POINT point, HWND dropped) const;

    // What the container's subclassing needs of it.
    void RefocusActiveTab() override;
    bool DrawItem(const DRAWITEMSTRUCT& item) override;

    // The text of the tooltip of the tab at the 1-based position: its window's whole caption.
    std::wstring TabToolTip(int position) const;

    // Remembering. The settings file in use: empty while remembering is off.
    std::wstring SettingsFile;
    // The tab set recorded at the latest end (or read at start), in tab order.
    std::vector<RememberedTab> RememberedTabs;
    // Writes what the options are now, with the recorded tab set, when remembering is on. A
    // failure is told once for each run of failing saves, and always `atEnd`.
    void SaveRemembered(bool atEnd = false);
    // Records the tabs as they are now (the end of the program or of the session) and saves.
    void RecordTabSet();
    // "Remember settings".
    void SwitchRemembering();
    // The windows of the recorded tab set that are running go into tabs again, in its order.
    void RecaptureTabSet();
    // For a while after a start with remembering on, windows of the recorded set that appear
    // are taken as they appear, into their places among the tabs: whether that time runs and
    // an entry of the set is still without its window; and taking one (true when it was one).
    bool AwaitsRememberedWindows() const;
    bool TakeRememberedWindow(HWND hwnd);
    // "Start with Windows": the current user's Run value for Merilane, written or removed.
    void SwitchStartWithWindows();
    // One of the sets of "Tab keys": the keys, the marks and the intro screen's hints.
    void SetTabKeys(TabKeys keys);
    // "Go to tab...": the box, or the one open brought forward.
    void ShowGoToTab();
    // The tabs as "Go to tab" lists them, in tab order.
    std::vector<TabRow> GoToTabRows() const;
    // "Rules...": the user's rules, kept in the settings file.
    void ShowRules();
    Settings CurrentSettings() const;

    // The command id of a menu item, the same in every run (0 for no item).
    static UINT MenuCommandId(const std::wstring& name);

    static constexpr int kTabStripId = 1001;
    // Tab icons are 16 pixels square at 96 dots per inch; tab text is 8.25 point bold.
    static constexpr int kTabIconSize = 16;
    static constexpr int kTabFontHundredthsOfPoint = 825;
    static constexpr int kPictureId = 1002;
    static constexpr UINT_PTR kCloseTimer = 1;
    static constexpr UINT kCloseDelayMs = 300;

  protected:
    CreateParams GetCreateParams() override;
    void Form_Load() override;
    void Form_QueryUnload(bool& cancel) override;
    void Form_Unload() override;
    void Form_DpiChanged(UINT dpi) override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    friend std::span<const ContainerCommand> ContainerCommands();
    static std::vector<CMenuBar::Item> MenuTree();
    // The items the container hides at the end of its load.
    void HideMenuItems();
    // "Show main menu": the intro screen as a tab again, made again if it was closed.
    void ShowIntro();
    // Session end, run as a command: whether the session may end now; and its end.
    bool QueryEndSession();
    void EndSession(bool ending);
    static void CALLBACK CloseTimerProc(HWND, UINT, UINT_PTR, DWORD);
    void WatchCapturedWindows(HWND foreground);
    // A captured window that is gone leaves its tab, and the tab the strip then selects is
    // activated.
    void TabOfGoneWindowGoes(const std::shared_ptr<CWindow>& window);
    // Between the watch's ticks: whether a captured window is gone, which it then deals with.
    bool ClosedWindowsLeave();
    static std::unique_ptr<frmIntro> MakeIntroForm();
    // "Button tabs" (with `buttons`) or "Multirow": the style flips, the same tab stays active.
    void SwitchTabStyle(bool buttons);
    // "Customize icon" of the alt-tab group (with `altTabFirst`) or of the taskbar group.
    void ChangeContainerIcons(bool altTabFirst);
    void ShowAbout();
    // At load: the remembered settings, when remembering is on, before the container shows
    // (placement) and after (everything else).
    LoadedSettings m_loaded;
    void ApplyPlacement();
    void ApplyOptions();
    bool m_tabSetRecorded = false;
    bool m_saveFailureTold = false;
    // The windows taken for the entries of RememberedTabs (null: none yet), and until when
    // (GetTickCount64) the ones still missing are awaited.
    std::vector<HWND> m_rememberedTaken;
    ULONGLONG m_awaitRememberedUntil = 0;
    bool TakeRemembered(size_t entry, HWND hwnd);
    std::unique_ptr<frmAbout> m_about;
    void SetTabFont(UINT dpi);
    // One tick's work of Timer2; true when it did something.
    bool Timer2_Tick(HWND foreground);
    HWND m_lastForeground = nullptr;
    int m_calmTicks = 0;
    void SwitchKeybindings();
    void TabStrip1_Click();
    void TabStrip1_MouseUp(int button);
    void TabStrip1_TabDrop(const TabDrop& drop);
    // A middle click on a tab releases its window, as "Release" does the active one's.
    void ReleaseTabUnderPointer();
    void DragInTimer_Timer();
    // A window let go over the tabs, waiting for its move loop to end.
    struct PendingDrop {
        HWND window = nullptr;
        int gap = -1;
        POINT point{};
        DWORD since = 0;
    };
    PendingDrop m_drop;
    HWND m_markedWindow = nullptr; // the window the mark is shown for
    DragInFacts m_layout;          // the strip's layout as the mouse hook last needed it
    DWORD m_layoutAt = 0;
    HWND m_layoutWindow = nullptr;      // the window being dragged when it was measured
    bool m_layoutWindowTakable = false; // whether the picker would offer that window
    OwnedFont m_tabFont;
    std::wstring m_toolTip; // the text a tooltip shows, kept while it shows it
};

} // namespace merilane
