#include "app/frmSSTab.h"
#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/MHiddenCommands.h"
#include "tabs/frmIntro.h"
#include "app/mMain.h"
#include "controls/CIcon.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "controls/ProductInfo.h"
#include "controls/Screen.h"
#include "controls/Text.h"
#include "selection/CTaskList.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "tabs/frmAbout.h"
#include "tabs/frmIconOverlap.h"
#include "tabs/MTabDraw.h"
#include "window/CWindow.h"
#include "window/MForceFore.h"
#include <shellapi.h>
#include <algorithm>
#include <cmath>

namespace merilane {
namespace {

std::vector<CMenuBar::Item> MenuTree() {
    return {
        {1, L"file", L"File"},
        {2, L"new", L"New tab"},
        {2, L"sep1", L"-"},
        {2, L"intro", L"Show main menu"},
        {2, L"sep2", L"-"},
        {2, L"releaseAll", L"Release all"},
        {2, L"exit", L"Exit"},
        {1, L"extra", L"Options"},
        {2, L"debug", L"Debug properties"},
        {2, L"multirow", L"Multirow"},
        {2, L"buttontabs", L"Button tabs"},
        {2, L"roundRobin", L"Cycle tabbing", true},
        {2, L"options_enable_keybindings", L"Enable keybindings"},
        {2, L"keybinding", L"Keybinding"},
        {2, L"fonts", L"Fonts"},
        {3, L"font_activeTab", L"Active tab"},
        {3, L"fontInactivetab", L"InActive tab"},
        {2, L"colors", L"Colors"},
        {3, L"colors_activetab", L"Active tab"},
        {4, L"aciveTabBackground", L"Background"},
        {4, L"activetabFontColor", L"Font"},
        {3, L"col_inactivetabcolor", L"InActive tab"},
        {4, L"inActiveFontColor", L"Font"},
        {4, L"inActiveBackgroundColor", L"Background"},
        {3, L"colors_default", L"Reset to default"},
        {2, L"icons", L"Icons"},
        {3, L"icons_alt_tab", L"Alt-tab"},
        {4, L"change_icon", L"Customize icon"},
        {4, L"alttab_overlap", L"Overlap icon ", true},
        {4, L"alttab_useActiveTabIcon", L"Use active tab icon"},
        {3, L"icon_taskbar", L"Taskbar"},
        {4, L"taskbar_changeicon", L"Customize icon"},
        {4, L"taskbar_useActiveTabIcon", L"Use active tab icon"},
        {2, L"mnuActiveTab", L"Active tab"},
        {3, L"changeCaption", L"Caption"},
        {3, L"switch", L"Switch"},
        {3, L"release", L"Release"},
        {2, L"help", L"Help"},
        {3, L"help_web", L"Merilane online"},
        {3, L"sep1_help", L"-"},
        {3, L"help_about", L"About Merilane..."},
    };
}

constexpr const wchar_t* kStillHeldMessage =
    L"A window does not respond, so Merilane keeps it and stays open. Close again once it "
    L"answers.";

constexpr int kRightButton = 2;

// Tab captions are compared on this many characters only.
constexpr size_t kCaptionComparison = 22;

std::wstring Compared(const std::wstring& caption) {
    return Trim(caption).substr(0, kCaptionComparison);
}

constexpr const wchar_t* kKeybindingLines = L"CTRL  + TAB\r\nSHIFT + TAB\r\nCTRL  + #[TABNUM]";

// Design-time client area of the container, in twips.
constexpr long kDesignWidth = 9255;
constexpr long kDesignHeight = 6690;

} // namespace

frmSSTab::frmSSTab() : Menu(MenuTree()) {
    Timer1.OnTick([this] { Timer1_Timer(); });
    Timer2.OnTick([this] { Timer2_Timer(); });
}

UINT frmSSTab::MenuCommandId(const std::wstring& name) {
    auto tree = MenuTree();
    for (size_t i = 0; i < tree.size(); ++i)
        if (tree[i].name == name)
            return CMenuBar::kFirstId + static_cast<UINT>(i);
    return 0;
}

frmSSTab::~frmSSTab() = default;

CForm::CreateParams frmSSTab::GetCreateParams() {
    CreateParams p;
    p.className = L"MerilaneContainer";
    p.caption = L"Merilane";
    p.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT r{0, 0, TwipsToPixelsX(kDesignWidth), TwipsToPixelsY(kDesignHeight)};
    AdjustWindowRectEx(&r, p.style, TRUE, 0);
    p.width = r.right - r.left;
    p.height = r.bottom - r.top;
    p.menu = Menu.Handle();
    return p;
}

void frmSSTab::Form_Load() {
    HWND form = ExistingHwnd();
    // Boxes and dialogs of the program are owned by the container unless a dialog is open.
    SetMainWindow(form);
    Menu.AttachTo(form);
    TabStrip1.Create(form, kTabStripId, TCS_TOOLTIPS);
    Picture1.Create(form, kPictureId);
    // The display area lies on top of the tab strip.
    SetWindowPos(Picture1.hWnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetTabFont(Dpi());
    SetCaption(FormatTitle(L"%d"));
    CapturedWindows = std::make_shared<CWindows>();
    // The program draws the tabs itself.
    SetWindowLongW(TabStrip1.hWnd(), GWL_STYLE,
                   GetWindowLongW(TabStrip1.hWnd(), GWL_STYLE) | TCS_OWNERDRAWFIXED);
    ContainerSubclass = std::make_unique<CSubClass>(*this);
    ContainerSubclass->SubClass(form);
    imglstTabstrip.SetImageSize(Scaled(kTabIconSize, Dpi()), Scaled(kTabIconSize, Dpi()));
    if (HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                                   IMAGE_ICON, 16, 16, LR_SHARED)))
        imglstTabstrip.Add(icon);
    TabStrip1.SetImageList(&imglstTabstrip);
    TabStrip1.Clear();
    TabStrip1.OnClick = [this] { TabStrip1_Click(); };
    TabStrip1.OnMouseUp = [this](int button, int, int, int) { TabStrip1_MouseUp(button); };
    ContainerWindow = std::make_shared<CWindow>();
    ContainerWindow->Load(form);
    Tabs = std::make_shared<CSSTab>(*this, CapturedWindows);
    Show();
    Menu.SetChecked(L"buttontabs", TabStrip1.Style() == 1);
    Menu.SetChecked(L"multirow", TabStrip1.MultiRow());
    Menu.SetChecked(L"options_enable_keybindings", true);
    IntroForm = MakeIntroForm();
    CaptureWindow(IntroForm->hWnd());
    SetCaption(FormatTitle(IntroForm->Caption() + L" - %d"));
    InitKeyMap();
    SetDefaultColors();
    EnableTimers();
    for (const wchar_t* hidden :
         {L"debug", L"keybinding", L"fonts", L"colors", L"icons", L"switch"})
        Menu.SetVisible(hidden, false);
}

void frmSSTab::Form_Resize() {
    if (!TabStrip1.hWnd())
        return;
    IgnoringFailure([&] {
        TabStrip1.SetWidth(Width() - 150);
        TabStrip1.SetHeight(Height());
    });
    IgnoringFailure([&] {
        Picture1.SetWidth(TabStrip1.ClientWidth());
        Picture1.SetHeight(TabStrip1.ClientHeight());
        Picture1.SetLeft(TabStrip1.ClientLeft());
        Picture1.SetTop(TabStrip1.ClientTop());
    });
    std::shared_ptr<CWindow> active;
    IgnoringFailure([&] { active = Tabs ? Tabs->GetActiveChildWindow() : nullptr; });
    if (!active || !IsWindow(active->hWnd))
        return;
    IgnoringFailure([&] {
        auto window = CapturedWindows ? CapturedWindows->item(active->hWnd) : nullptr;
        if (!window)
            return;
        HWND form = ExistingHwnd();
        MoveWindow(window->LocalHwnd, 0, 0, TwipsToPixelsX(TabStrip1.ClientWidth(), form) + 2,
                   TwipsToPixelsY(TabStrip1.ClientHeight(), form), TRUE);
    });
    DoEvents();
}

void frmSSTab::Form_QueryUnload(bool& cancel) {
    if (Tabs) {
        if (auto active = Tabs->GetActiveChildWindow())
            if (TabStrip1.Count() == 1 && IsIntroScreen(active->hWnd))
                RemoveWindowTab(active);
    }
    if (TabStrip1.Count() >= 1) {
        if (MsgBox(L"Release all windows and close Merilane ?", MB_OKCANCEL | MB_ICONQUESTION,
                   Product().name) != IDOK) {
            cancel = true;
            return;
        }
        if (ContainerSubclass)
            ContainerSubclass->UnSubClass();
        ReleaseAllWindows(false);
    }
    // Closing now would take a window that does not answer down with us: the container stays,
    // as it was.
    if (AnyWindowHeld() || (CapturedWindows && CapturedWindows->Count() > 0)) {
        NoteForUser(kStillHeldMessage);
        if (ContainerSubclass)
            ContainerSubclass->SubClass(ExistingHwnd());
        cancel = true;
        return;
    }
    DisableTimers();
    ContainerSubclass.reset();
    RemoveKeyboardHook();
    Tabs.reset();
    ContainerWindow.reset();
    if (IntroForm) {
        IntroForm->Unload();
        IntroForm.reset();
    }
    if (CapturedWindows) {
        CapturedWindows->RemoveAll(RemoveWindowTab);
        CapturedWindows.reset();
    }
    // The first request tears down and asks again a little later, so that the host forms
    // closed above are gone before the container goes.
    if (CloseTimerId == 0) {
        CloseTimerId = SetTimer(ExistingHwnd(), kCloseTimer, kCloseDelayMs, CloseTimerProc);
        cancel = true;
    }
}

void CALLBACK frmSSTab::CloseTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    // The timer goes on firing until the container is gone; a tick that comes while a command
    // runs leaves the close to the next one.
    if (!ContainerForm || CommandRunning())
        return;
    try {
        RunCommand([] {
            if (ContainerForm)
                ContainerForm->Unload();
        });
    } catch (...) {
        HandleCurrentFailure();
    }
}

void frmSSTab::Form_Unload() {
    // Whatever is still held goes back to its program before our windows are destroyed.
    GiveBackAllWindows();
    PostQuitMessage(0);
}

void frmSSTab::DisableTimers() {
    Timer1.SetEnabled(false);
    Timer2.SetEnabled(false);
    Sleep(1);
}

void frmSSTab::EnableTimers() {
    Timer1.SetEnabled(true);
    Timer2.SetEnabled(true);
}

void frmSSTab::SetTabFont(UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(kTabFontHundredthsOfPoint, static_cast<int>(dpi), 7200);
    font.lfWeight = FW_BOLD;
    wcscpy(font.lfFaceName, L"MS Sans Serif");
    m_tabFont.reset(CreateFontIndirectW(&font));
    SendMessageW(TabStrip1.hWnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_tabFont.get()), TRUE);
}

void frmSSTab::Form_DpiChanged(UINT dpi) {
    // Tab text and icons at the new resolution; the resize that follows lays the rest out.
    SetTabFont(dpi);
    imglstTabstrip.Rescale(Scaled(kTabIconSize, dpi), Scaled(kTabIconSize, dpi));
    TabStrip1.SetImageList(&imglstTabstrip);
}

bool frmSSTab::IsIntroScreen(HWND hwnd) const {
    return IntroForm && IntroForm->IsLoaded() && IntroForm->ExistingHwnd() == hwnd;
}

bool frmSSTab::UseActiveTabIconForAltTab() const {
    return Menu.Checked(L"alttab_useActiveTabIcon");
}

bool frmSSTab::UseActiveTabIconForTaskbar() const {
    return Menu.Checked(L"taskbar_useActiveTabIcon");
}

bool frmSSTab::Cycling() const {
    return Menu.Checked(L"roundRobin");
}

void frmSSTab::OnCommand(UINT id, UINT, HWND) {
    std::wstring name = Menu.NameOf(id);
    if (!name.empty())
        RunCommand([name] {
            if (ContainerForm)
                ContainerForm->RunMenuCommand(name);
        });
}

void frmSSTab::TabStrip1_Click() {
    RunCommand([] {
        if (!Tabs)
            return;
        TabPtr active = Tabs->GetActiveTab();
        if (active && active->Tag() != GetForegroundWindow())
            Tabs->ActivateTab(active);
    });
}

void frmSSTab::TabStrip1_MouseUp(int button) {
    if (button != kRightButton)
        return;
    RunCommand([] {
        if (!ContainerForm)
            return;
        // The selected tab, not the one under the pointer.
        TabPtr selected = ContainerForm->TabStrip1.SelectedItem();
        if (!selected)
            return;
        ForceForeground(selected->Tag());
        if (auto window = CapturedWindows ? CapturedWindows->item(selected->Tag()) : nullptr)
            window->ShowSystemMenu();
    });
}

void frmSSTab::RunMenuCommand(const std::wstring& name) {
    if (name == L"new") {
        ShowCaptureWindowForm();
        RefocusActiveTab();
    } else if (name == L"releaseAll") {
        ReleaseAllWindows(false);
    } else if (name == L"exit") {
        Unload();
    } else if (name == L"changeCaption") {
        ChangeActiveCaption();
    } else if (name == L"release") {
        if (auto window = Tabs ? Tabs->GetActiveChildWindow() : nullptr)
            ReleaseWindow(window->hWnd, window->LastHwnd, kReleaseNormal, true);
    } else if (name == L"options_enable_keybindings") {
        SwitchKeybindings();
    } else if (name == L"intro") {
        if (!IntroForm)
            IntroForm = MakeIntroForm();
        // Asking for the window makes it again when it has been closed. The menu offers the
        // command only while the intro screen is not a tab; sent while it is, it shows that tab.
        HWND intro = IntroForm->hWnd();
        if (TabPtr tab = Tabs ? Tabs->GetTabByHwnd(intro) : nullptr)
            Tabs->ActivateTab(tab, true);
        else
            CaptureWindow(intro);
    } else if (name == L"multirow") {
        SwitchTabStyle(false);
    } else if (name == L"buttontabs") {
        SwitchTabStyle(true);
    } else if (name == L"roundRobin") {
        Menu.SetChecked(L"roundRobin", !Menu.Checked(L"roundRobin"));
    } else if (name == L"help_web") {
        ShellOpen(std::wstring(kProductPage) + kProductPageQuery);
    } else if (name == L"help_about") {
        ShowAbout();
    } else {
        RunHiddenCommand(name);
    }
}

void frmSSTab::RunHiddenCommand(const std::wstring& name) {
    if (name == L"debug") {
        ShowDebugProperties();
    } else if (name == L"keybinding") {
        ShowKeyMappings();
    } else if (name == L"font_activeTab") {
        PickFont();
    } else if (name == L"aciveTabBackground") {
        PickColor(ActiveTabBackColor);
    } else if (name == L"activetabFontColor") {
        PickColor(ActiveTabForeColor);
    } else if (name == L"inActiveFontColor") {
        PickColor(InactiveTabForeColor);
    } else if (name == L"inActiveBackgroundColor") {
        PickColor(InactiveTabBackColor);
    } else if (name == L"colors_default") {
        SetDefaultColors();
        TabStrip1.Refresh();
    } else if (name == L"change_icon" || name == L"taskbar_changeicon") {
        ChangeContainerIcons(name == L"change_icon");
    } else if (name == L"alttab_useActiveTabIcon" || name == L"taskbar_useActiveTabIcon") {
        Menu.SetChecked(name, !Menu.Checked(name));
    } else if (name == L"alttab_overlap") {
        frmIconOverlap overlap(ExistingHwnd());
        overlap.ShowModal(ExistingHwnd());
        overlap.Unload();
        Menu.SetChecked(name, !Menu.Checked(name));
    }
}

std::unique_ptr<frmIntro> frmSSTab::MakeIntroForm() {
    // The intro screen's commands are the container's own, run as any other command.
    IntroActions actions;
    actions.LoadNewTab = [] { RunCommand([] { ShowCaptureWindowForm(); }); };
    actions.ReleaseAllTabs = [] { RunCommand([] { ReleaseAllWindows(false); }); };
    actions.Exit = [] {
        RunCommand([] {
            if (ContainerForm)
                ContainerForm->Unload();
        });
    };
    return std::make_unique<frmIntro>(std::move(actions));
}

void frmSSTab::SwitchTabStyle(bool buttons) {
    TabPtr active = Tabs ? Tabs->GetActiveTab() : nullptr;
    if (buttons) {
        bool toButtons = TabStrip1.Style() != 1;
        TabStrip1.SetStyle(toButtons ? 1 : 0);
        Menu.SetChecked(L"buttontabs", toButtons);
    } else {
        TabStrip1.SetMultiRow(!Menu.Checked(L"multirow"));
        Menu.SetChecked(L"multirow", !Menu.Checked(L"multirow"));
    }
    if (active && Tabs)
        Tabs->ActivateTab(active);
    TabStrip1.Refresh();
    RedrawWindow(ExistingHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void frmSSTab::ShowAbout() {
    if (!m_about)
        m_about = std::make_unique<frmAbout>();
    m_about->ShowModal(ExistingHwnd());
    if (TabPtr tab = Tabs ? Tabs->GetActiveTab() : nullptr)
        ForceForeground(tab->Tag());
    else
        Refresh();
}

void frmSSTab::Refresh() {
    RedrawWindow(ExistingHwnd(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

IconPair frmSSTab::ChangeIconDialog() {
    // No tick may run while the shell's picker is up.
    DisableTimers();
    IconPair icons;
    std::wstring path;
    int index = 0;
    if (PickIcon(ExistingHwnd(), path, index)) {
        HICON large = nullptr, small = nullptr;
        if (ExtractIconExW(path.c_str(), index, &large, &small, 1) > 0) {
            icons.large.reset(large);
            icons.small.reset(small);
        } else {
            // Whatever half came out is not ours to keep.
            OwnedIcon(large).reset();
            OwnedIcon(small).reset();
        }
    }
    EnableTimers();
    return icons;
}

void frmSSTab::ChangeContainerIcons(bool altTabFirst) {
    IconPair icons = ChangeIconDialog();
    if (!icons)
        return;
    HWND form = ExistingHwnd();
    // The container's icons belong to the top of its owner chain, which the shell shows.
    if (altTabFirst) {
        CIcon::SetWindowIcon(form, std::move(icons.large), ICON_BIG, true);
        if (MsgBox(L"This changes the alt-tab icon, would you also like to use this icon for the "
                   L"taskbar ?",
                   MB_YESNO | MB_ICONQUESTION, L"Icon management") == IDYES)
            CIcon::SetWindowIcon(form, std::move(icons.small), ICON_SMALL, true);
    } else {
        CIcon::SetWindowIcon(form, std::move(icons.small), ICON_SMALL, true);
        if (MsgBox(L"This changes the taskbar icon, would you also like to use this icon for the "
                   L"alt-tab?",
                   MB_YESNO | MB_ICONQUESTION, L"Icon management") == IDYES)
            CIcon::SetWindowIcon(form, std::move(icons.large), ICON_BIG, true);
    }
}

void frmSSTab::SwitchKeybindings() {
    bool enabled = Menu.Checked(L"options_enable_keybindings");
    std::wstring text = std::wstring(enabled ? L"This will disable the keybindings:"
                                             : L"This will enable the keybindings:") +
                        L"\r\n" + kKeybindingLines;
    // The hook stays installed either way; it reads the mark on every key.
    if (MsgBox(text, MB_OKCANCEL | MB_ICONQUESTION, L"Keybindings") == IDOK)
        Menu.SetChecked(L"options_enable_keybindings", !enabled);
    RefocusActiveTab();
}

long frmSSTab::GetWindowZorder(HWND hwnd) const {
    CTaskList tasks;
    tasks.Refresh();
    for (long i = 1; i <= tasks.Count(); ++i)
        if (tasks.hWnd(i) == hwnd)
            return i;
    return 0;
}

void frmSSTab::Timer1_Timer() {
    // A command that changes the tabs is under way: the next tick looks again.
    if (CommandRunning() || !Tabs || !CapturedWindows)
        return;
    RunCommand([this] {
        HWND form = ExistingHwnd();
        // Without tabs the container is titled after the program alone.
        if (TabStrip1.Count() == 0 && Caption() != FormatTitle(L"%d"))
            SetCaption(FormatTitle(L"%d"));

        // A captured window brought forward by other means (the taskbar, ALT + TAB) takes
        // its tab along.
        if (auto active = Tabs->GetActiveChildWindow()) {
            HWND foreground = GetForegroundWindow();
            if (IsOwnWindow(foreground, false) && foreground != active->hWnd) {
                if (TabPtr tab = Tabs->GetTabByHwnd(foreground)) {
                    BringWindowToTop(form);
                    try {
                        Tabs->ActivateTab(tab, true);
                    } catch (const std::exception&) {
                    }
                }
            }
        }

        // "Show main menu" only while the intro screen is not a tab; "Active tab" while a
        // window other than the intro screen is active.
        if (TabStrip1.Count() == 0) {
            Menu.SetEnabled(L"intro", true);
            Menu.SetEnabled(L"mnuActiveTab", false);
        } else {
            if (IntroForm) {
                bool introIsTab =
                    IntroForm->IsLoaded() && IsOwnWindow(IntroForm->ExistingHwnd(), false);
                Menu.SetEnabled(L"intro", !introIsTab);
                Menu.SetEnabled(L"mnuActiveTab", !introIsTab);
            } else {
                Menu.SetEnabled(L"intro", true);
            }
            auto active = Tabs->GetActiveChildWindow();
            if (!Menu.Enabled(L"mnuActiveTab") && active && !IsIntroScreen(active->hWnd))
                Menu.SetEnabled(L"mnuActiveTab", true);
        }

        // The keyboard bindings come the first time the program is in front, once.
        if (!HookInstalled && IsOwnWindow(GetForegroundWindow(), true))
            HookInstalled = InstallKeyboardHook(*this);

        WatchCapturedWindows();
    });
}

void frmSSTab::WatchCapturedWindows() {
    HWND form = ExistingHwnd();
    for (auto& window : CapturedWindows->NewEnum()) {
        // Anything may have gone since the walk began.
        if (!Tabs || !CapturedWindows)
            return;
        if (window->IsExistingWindow()) {
            std::wstring caption = window->ReplacedCaption(0);
            if (TabPtr tab = Tabs->GetTabByHwnd(window->hWnd))
                if (Compared(tab->Caption()) != Compared(caption))
                    Tabs->ChangeTabCaption(tab, caption);
            if (window->IsForegroundWindow()) {
                std::wstring title = FormatTitle(caption + L" - %d");
                if (Caption() != title)
                    SetWindowTextW(form, title.c_str());
            }
        } else {
            TabOfGoneWindowGoes(window);
        }
    }
}

void frmSSTab::TabOfGoneWindowGoes(const std::shared_ptr<CWindow>& window) {
    RemoveWindowTab(window);
    if (Tabs && Tabs->GetActiveTab())
        Tabs->ActivateTab(Tabs->GetActiveTab());
}

bool frmSSTab::ClosedWindowsLeave() {
    // The watch looks every 200 ms, and a tab whose window has gone must be gone within that
    // time, the work of taking it away included. Whether a window exists is known without
    // asking it, so the quicker timer looks too.
    if (CommandRunning() || !CapturedWindows)
        return false;
    auto windows = CapturedWindows->NewEnum();
    if (std::all_of(windows.begin(), windows.end(),
                    [](const auto& window) { return window->IsExistingWindow(); }))
        return false;
    RunCommand([this] {
        if (!CapturedWindows)
            return;
        for (auto& window : CapturedWindows->NewEnum())
            if (!window->IsExistingWindow())
                TabOfGoneWindowGoes(window);
    });
    return true;
}

void frmSSTab::Timer2_Timer() {
    bool acted = ClosedWindowsLeave();
    acted = Timer2_Tick() || acted;
    // Waking a hundred times a second costs more than the program may spend idle. The timer
    // runs as fast as the system allows while there is something going on (a capture asked
    // for, a change of the window in front, the container just raised) and slows down while
    // nothing changes; the first change it sees speeds it up again.
    HWND foreground = GetForegroundWindow();
    bool busy = acted || NewCaptureRequested || foreground != m_lastForeground;
    m_lastForeground = foreground;
    if (busy)
        m_calmTicks = 0;
    else if (m_calmTicks < kTicksBeforeCalm)
        ++m_calmTicks;
    UINT interval = m_calmTicks >= kTicksBeforeCalm ? kCalmInterval : kBusyInterval;
    if (Timer2.Interval() != interval)
        Timer2.SetInterval(interval);
}

bool frmSSTab::Timer2_Tick() {
    if (NewCaptureRequested) {
        // One picker at a time: the request waits while one is open or a command runs.
        if (CommandRunning() || IsPickerOpen())
            return false;
        RunCommand([] {
            ShowCaptureWindowForm();
            NewCaptureRequested = false;
        });
        return true;
    }
    // The container stays above other programs while one of its windows is in front. The
    // position is read from the desktop's z-order without asking any window.
    HWND foreground = GetForegroundWindow();
    if (!IsOwnWindow(foreground, false))
        return false;
    long position =
        LiteralZorder ? GetWindowZorder(ExistingHwnd()) : CTaskList::ZorderOf(ExistingHwnd());
    if (position <= 1)
        return false;
    CWindow container;
    container.Load(ExistingHwnd());
    container.ZorderTop(true);
    ForceForeground(foreground);
    return true;
}

void frmSSTab::AskForCapture() {
    NewCaptureRequested = true;
    m_calmTicks = 0;
    if (Timer2.Enabled())
        Timer2.SetInterval(kBusyInterval);
}

bool frmSSTab::IsOwnForeground(bool includeContainer) {
    return IsOwnWindow(GetForegroundWindow(), includeContainer);
}

bool frmSSTab::KeyBindingsEnabled() {
    return Menu.Checked(L"options_enable_keybindings");
}

bool frmSSTab::HasActiveTab() {
    return Tabs && Tabs->GetActiveTab();
}

void frmSSTab::Carry(KeyAction action, int tab) {
    switch (action) {
    case KeyAction::NewCapture:
        AskForCapture();
        return;
    case KeyAction::ContainerForward:
        if (ContainerWindow)
            ForceForeground(ContainerWindow->hWnd);
        return;
    default:
        break;
    }
    RunCommand([action, tab] {
        if (!Tabs || !ContainerForm)
            return;
        switch (action) {
        case KeyAction::NextTab:
            Tabs->ActivateNextTab(ContainerForm->Cycling());
            break;
        case KeyAction::PreviousTab:
            Tabs->ActivatePreviousTab(ContainerForm->Cycling());
            break;
        case KeyAction::ActivateTab:
            Tabs->ActivateTabByIndex(tab);
            break;
        case KeyAction::ChangeCaption:
            ChangeActiveCaption();
            break;
        case KeyAction::ReleaseActive:
            if (auto window = Tabs->GetActiveChildWindow())
                ReleaseWindow(window->hWnd, window->LastHwnd, kReleaseNormal, true);
            break;
        default:
            break;
        }
    });
}

LRESULT frmSSTab::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        // The close box asks the way "Exit" does, after any command that runs.
        RunCommand([] {
            if (ContainerForm)
                ContainerForm->Unload();
        });
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (header->hwndFrom == TabStrip1.hWnd())
            TabStrip1.HandleNotify(*header);
        if (header->code == TTN_GETDISPINFOW &&
            header->hwndFrom ==
                reinterpret_cast<HWND>(SendMessageW(TabStrip1.hWnd(), TCM_GETTOOLTIPS, 0, 0))) {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lp);
            m_toolTip = TabToolTip(static_cast<int>(header->idFrom) + 1);
            info->lpszText = m_toolTip.data();
            // Long titles wrap instead of running off the screen.
            SendMessageW(header->hwndFrom, TTM_SETMAXTIPWIDTH, 0, 600);
        }
        return 0;
    }
    case WM_QUERYENDSESSION:
        // The windows we hold are not top-level, so their programs would not be asked to save:
        // they go back to the desktop before the session ends. The session waits for one that
        // does not answer, since ending now would destroy it with us.
        ReleaseAllWindows(false);
        return AnyWindowHeld() ? FALSE : TRUE;
    case WM_ENDSESSION:
        if (wp) {
            ReleaseAllWindows(false);
            GiveBackAllWindows();
        }
        return 0;
    default:
        break;
    }
    return CForm::WindowProc(msg, wp, lp);
}

bool frmSSTab::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.hwndItem != TabStrip1.hWnd() || item.CtlType != ODT_TAB)
        return false;
    DrawTabItem(item.hwndItem, item.itemID, item.hDC, (item.itemState & ODS_SELECTED) != 0,
                item.rcItem);
    return true;
}

void frmSSTab::RefocusActiveTab() {
    merilane::RefocusActiveTab();
}

std::wstring frmSSTab::TabToolTip(int position) const {
    // The tab shows its caption cut at 26 characters; its tooltip shows all of it.
    if (!Tabs || position < 1 || position > TabStrip1.Count())
        return {};
    auto window =
        CapturedWindows ? CapturedWindows->item(TabStrip1.Item(position)->Tag()) : nullptr;
    return window ? window->ReplacedCaption(0) : TabStrip1.Item(position)->Caption();
}

} // namespace merilane
