// The container's menu tree, the command behind each item, and the mouse on the tab strip.
#include "app/CommandIds.h"
#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/MHiddenCommands.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "controls/CIcon.h"
#include "controls/Dialogs.h"
#include "controls/ProductInfo.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "tabs/MTabDraw.h"
#include "app/frmAbout.h"
#include "tabs/frmIconOverlap.h"
#include "app/frmIntro.h"
#include "window/CWindow.h"
#include "window/MForceFore.h"
#include <shellapi.h>

namespace merilane {
namespace {

constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;

using Command = ContainerCommand;
constexpr unsigned kChecked = Command::kChecked;
constexpr unsigned kHidden = Command::kHiddenAtLoad;
constexpr unsigned kKept = Command::kRemembered;

void FlipMark(frmSSTab& form, const Command& command) {
    form.Menu.SetChecked(command.name, !form.Menu.Checked(command.name));
}

// The three items of "Tab keys", one checked.
void ChooseTabKeys(frmSSTab& form, const Command& command) {
    form.SetTabKeys(static_cast<TabKeys>(command.id - kCmdTabKeysStandard));
    RefocusActiveTab();
}

// "Move left" and "Move right": the active tab one place along, as a drag would move it.
void MoveActiveTab(int by) {
    TabPtr active = Tabs ? Tabs->GetActiveTab() : nullptr;
    if (!active)
        return;
    Tabs->MoveTab(active->Tag(), active->Index() + by);
    Tabs->ActivateTab(active);
}

} // namespace

std::span<const ContainerCommand> ContainerCommands() {
    using F = frmSSTab;
    static const Command table[] = {
        {1, kCmdFile, L"file", L"File", 0, nullptr},
        {2, kCmdNew, L"new", L"New tab", 0,
         [](F&, const Command&) {
             ShowCaptureWindowForm();
             RefocusActiveTab();
         }},
        {2, kCmdSep1, L"sep1", L"-", 0, nullptr},
        {2, kCmdIntro, L"intro", L"Show main menu", 0, [](F& f, const Command&) { f.ShowIntro(); }},
        {2, kCmdSep2, L"sep2", L"-", 0, nullptr},
        {2, kCmdReleaseAll, L"releaseAll", L"Release all", 0,
         [](F&, const Command&) { ReleaseAllWindows(false); }},
        {2, kCmdExit, L"exit", L"Exit", 0, [](F& f, const Command&) { f.Unload(); }},
        {1, kCmdExtra, L"extra", L"Options", 0, nullptr},
        {2, kCmdDebug, L"debug", L"Debug properties", kHidden,
         [](F&, const Command&) { ShowDebugProperties(); }},
        {2, kCmdMultirow, L"multirow", L"Multirow", kKept,
         [](F& f, const Command&) { f.SwitchTabStyle(false); }},
        {2, kCmdButtontabs, L"buttontabs", L"Button tabs", kKept,
         [](F& f, const Command&) { f.SwitchTabStyle(true); }},
        {2, kCmdRoundRobin, L"roundRobin", L"Cycle tabbing", kChecked | kKept, FlipMark},
        {2, kCmdOptionsEnableKeybindings, L"options_enable_keybindings", L"Enable keybindings",
         kKept, [](F& f, const Command&) { f.SwitchKeybindings(); }},
        {2, kCmdKeybinding, L"keybinding", L"Keybinding", kHidden | kKept,
         [](F&, const Command&) { ShowKeyMappings(); }},
        {2, kCmdTabKeys, L"tabKeys", L"Tab keys", 0, nullptr},
        {3, kCmdTabKeysStandard, L"tabKeys_standard", TextsOf(TabKeys::Standard).menuCaption,
         kChecked | kKept, ChooseTabKeys},
        {3, kCmdTabKeysControlShift, L"tabKeys_controlShift",
         TextsOf(TabKeys::ControlShift).menuCaption, kKept, ChooseTabKeys},
        {3, kCmdTabKeysControlAlt, L"tabKeys_controlAlt", TextsOf(TabKeys::ControlAlt).menuCaption,
         kKept, ChooseTabKeys},
        {2, kCmdGoToTab, L"goToTab", L"Go to tab...", 0,
         [](F& f, const Command&) { f.ShowGoToTab(); }},
        {2, kCmdFonts, L"fonts", L"Fonts", kHidden, nullptr},
        {3, kCmdFontActiveTab, L"font_activeTab", L"Active tab", 0,
         [](F&, const Command&) { PickFont(); }},
        {3, kCmdFontInactivetab, L"fontInactivetab", L"InActive tab", 0, nullptr},
        {2, kCmdColors, L"colors", L"Colors", kHidden, nullptr},
        {3, kCmdColorsActivetab, L"colors_activetab", L"Active tab", 0, nullptr},
        {4, kCmdAciveTabBackground, L"aciveTabBackground", L"Background", kKept,
         [](F&, const Command&) { PickColor(ActiveTabBackColor); }},
        {4, kCmdActivetabFontColor, L"activetabFontColor", L"Font", kKept,
         [](F&, const Command&) { PickColor(ActiveTabForeColor); }},
        {3, kCmdColInactivetabcolor, L"col_inactivetabcolor", L"InActive tab", 0, nullptr},
        {4, kCmdInActiveFontColor, L"inActiveFontColor", L"Font", kKept,
         [](F&, const Command&) { PickColor(InactiveTabForeColor); }},
        {4, kCmdInActiveBackgroundColor, L"inActiveBackgroundColor", L"Background", kKept,
         [](F&, const Command&) { PickColor(InactiveTabBackColor); }},
        {3, kCmdColorsDefault, L"colors_default", L"Reset to default", kKept,
         [](F& f, const Command&) {
             SetDefaultColors();
             f.TabStrip1.Refresh();
         }},
        {2, kCmdIcons, L"icons", L"Icons", kHidden, nullptr},
        {3, kCmdIconsAltTab, L"icons_alt_tab", L"Alt-tab", 0, nullptr},
        {4, kCmdChangeIcon, L"change_icon", L"Customize icon", 0,
         [](F& f, const Command&) { f.ChangeContainerIcons(true); }},
        {4, kCmdAlttabOverlap, L"alttab_overlap", L"Overlap icon ", kChecked,
         [](F& f, const Command& c) {
             frmIconOverlap overlap(f.ExistingHwnd());
             overlap.ShowModal(f.ExistingHwnd());
             overlap.Unload();
             FlipMark(f, c);
         }},
        {4, kCmdAlttabUseActiveTabIcon, L"alttab_useActiveTabIcon", L"Use active tab icon", 0,
         FlipMark},
        {3, kCmdIconTaskbar, L"icon_taskbar", L"Taskbar", 0, nullptr},
        {4, kCmdTaskbarChangeicon, L"taskbar_changeicon", L"Customize icon", 0,
         [](F& f, const Command&) { f.ChangeContainerIcons(false); }},
        {4, kCmdTaskbarUseActiveTabIcon, L"taskbar_useActiveTabIcon", L"Use active tab icon", 0,
         FlipMark},
        {2, kCmdRememberSettings, L"rememberSettings", L"Remember settings", 0,
         [](F& f, const Command&) { f.SwitchRemembering(); }},
        {2, kCmdRules, L"rules", L"Rules...", 0, [](F& f, const Command&) { f.ShowRules(); }},
        {2, kCmdStartWithWindows, L"startWithWindows", L"Start with Windows", 0,
         [](F& f, const Command&) { f.SwitchStartWithWindows(); }},
        {2, kCmdMnuActiveTab, L"mnuActiveTab", L"Active tab", 0, nullptr},
        {3, kCmdChangeCaption, L"changeCaption", L"Caption", 0,
         [](F&, const Command&) { ChangeActiveCaption(); }},
        {3, kCmdRename, L"rename", L"Rename...", 0, [](F&, const Command&) { RenameActiveTab(); }},
        {3, kCmdSwitch, L"switch", L"Switch", kHidden, nullptr},
        {3, kCmdRelease, L"release", L"Release", 0,
         [](F&, const Command&) {
             if (auto window = Tabs ? Tabs->GetActiveChildWindow() : nullptr)
                 ReleaseWindow(window->hWnd, window->LastHwnd, kReleaseNormal, true);
         }},
        {3, kCmdMoveLeft, L"moveLeft", L"Move left", 0,
         [](F&, const Command&) { MoveActiveTab(-1); }},
        {3, kCmdMoveRight, L"moveRight", L"Move right", 0,
         [](F&, const Command&) { MoveActiveTab(1); }},
        {2, kCmdHelp, L"help", L"Help", 0, nullptr},
        {3, kCmdHelpWeb, L"help_web", L"Merilane online", 0,
         [](F&, const Command&) { ShellOpen(std::wstring(kProductPage) + kProductPageQuery); }},
        {3, kCmdSep1Help, L"sep1_help", L"-", 0, nullptr},
        {3, kCmdHelpAbout, L"help_about", L"About Merilane...", 0,
         [](F& f, const Command&) { f.ShowAbout(); }},
    };
    return table;
}

std::vector<CMenuBar::Item> frmSSTab::MenuTree() {
    std::vector<CMenuBar::Item> items;
    for (const Command& c : ContainerCommands())
        items.push_back({c.level, c.id, c.name, c.caption, (c.flags & kChecked) != 0});
    return items;
}

UINT frmSSTab::MenuCommandId(const std::wstring& name) {
    for (const Command& c : ContainerCommands())
        if (name == c.name)
            return c.id;
    return 0;
}

void frmSSTab::HideMenuItems() {
    for (const Command& c : ContainerCommands())
        if (c.flags & kHidden)
            Menu.SetVisible(c.name, false);
}

void frmSSTab::OnCommand(UINT id, UINT, HWND) {
    for (const Command& c : ContainerCommands())
        if (c.id == id && c.run)
            RunCommand([&c] {
                if (ContainerForm)
                    c.run(*ContainerForm, c);
                if (ContainerForm && (c.flags & kKept))
                    ContainerForm->SaveRemembered();
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
    if (button == kMiddleButton) {
        ReleaseTabUnderPointer();
        return;
    }
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

void frmSSTab::ShowIntro() {
    if (!IntroForm)
        IntroForm = MakeIntroForm();
    // Asking for the window makes it again when it has been closed. The menu offers the
    // command only while the intro screen is not a tab; sent while it is, it shows that tab.
    HWND intro = IntroForm->hWnd();
    if (TabPtr tab = Tabs ? Tabs->GetTabByHwnd(intro) : nullptr)
        Tabs->ActivateTab(tab, true);
    else
        CaptureWindow(intro);
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
                        L"\r\n" + TextsOf(TabKeysInForce).boxLines;
    // The hook stays installed either way; it reads the mark on every key.
    if (MsgBox(text, MB_OKCANCEL | MB_ICONQUESTION, L"Keybindings") == IDOK)
        Menu.SetChecked(L"options_enable_keybindings", !enabled);
    RefocusActiveTab();
}

} // namespace merilane
