// What the container remembers from one run to the next, once the user has asked it to: the
// options, its placement and the last tab set.
#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/frmIntro.h"
#include "app/frmRules.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "controls/Dialogs.h"
#include "controls/ProductInfo.h"
#include "controls/UiThread.h"
#include "selection/CTaskList.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "tabs/MTabDraw.h"
#include "window/CWindow.h"
#include "window/MKeyboard.h"
#include "window/mExecutableName.h"
#include <set>

namespace merilane {

void frmSSTab::ApplyPlacement() {
    if (!m_loaded.remember || !m_loaded.settings.placement)
        return;
    // A place on a monitor that is no longer there would put the container out of reach.
    RECT where = *m_loaded.settings.placement;
    if (!MonitorFromRect(&where, MONITOR_DEFAULTTONULL))
        return;
    WINDOWPLACEMENT placement{sizeof placement};
    GetWindowPlacement(ExistingHwnd(), &placement);
    placement.rcNormalPosition = where;
    placement.showCmd = SW_HIDE; // shown by the load as usual
    SetWindowPlacement(ExistingHwnd(), &placement);
}

void frmSSTab::ApplyOptions() {
    LoadedSettings loaded = std::move(m_loaded);
    m_loaded = {};
    if (!loaded.message.empty())
        PostToUiThread([message = loaded.message] { NoteForUser(message); });
    if (!loaded.remember)
        return;
    SettingsFile = loaded.path;
    Menu.SetChecked(L"rememberSettings", true);
    const Settings& s = loaded.settings;
    if (s.maximized)
        ShowWindow(ExistingHwnd(), SW_SHOWMAXIMIZED);
    if (s.buttonTabs != (TabStrip1.Style() == 1))
        SwitchTabStyle(true);
    if (s.multirow != Menu.Checked(L"multirow"))
        SwitchTabStyle(false);
    Menu.SetChecked(L"roundRobin", s.cycleTabbing);
    Menu.SetChecked(L"options_enable_keybindings", s.keybindings);
    SetTabKeys(static_cast<TabKeys>(s.tabKeys));
    KeyMap = s.keys;
    ActiveTabBackColor = s.activeBack;
    ActiveTabForeColor = s.activeFore;
    InactiveTabBackColor = s.inactiveBack;
    InactiveTabForeColor = s.inactiveFore;
    TabStrip1.Refresh();
    RememberedTabs = s.tabs;
    Rules() = s.rules;
    // After the load, through the command gate, as a pick in the picker would be.
    if (!RememberedTabs.empty())
        PostToUiThread([] {
            RunCommand([] {
                if (ContainerForm)
                    ContainerForm->RecaptureTabSet();
            });
        });
}

Settings frmSSTab::CurrentSettings() const {
    Settings s;
    s.multirow = Menu.Checked(L"multirow");
    s.buttonTabs = Menu.Checked(L"buttontabs");
    s.cycleTabbing = Menu.Checked(L"roundRobin");
    s.keybindings = Menu.Checked(L"options_enable_keybindings");
    s.tabKeys = static_cast<int>(TabKeysInForce);
    s.keys = KeyMap;
    s.activeBack = ActiveTabBackColor;
    s.activeFore = ActiveTabForeColor;
    s.inactiveBack = InactiveTabBackColor;
    s.inactiveFore = InactiveTabForeColor;
    WINDOWPLACEMENT placement{sizeof placement};
    if (GetWindowPlacement(ExistingHwnd(), &placement)) {
        s.placement = placement.rcNormalPosition;
        s.maximized = placement.showCmd == SW_SHOWMAXIMIZED;
    }
    s.tabs = RememberedTabs;
    s.rules = Rules();
    return s;
}

void frmSSTab::SaveRemembered() {
    if (SettingsFile.empty())
        return;
    std::wstring failure = SaveSettings(SettingsFile, CurrentSettings());
    // Said once a run: the settings go on being kept in memory, and the next save may work.
    if (!failure.empty() && !m_saveFailureTold) {
        m_saveFailureTold = true;
        NoteForUser(L"Merilane could not save its settings in\r\n" + SettingsFile + L"\r\n" +
                    failure + L".");
    }
}

void frmSSTab::RecordTabSet() {
    if (SettingsFile.empty() || m_tabSetRecorded || !Tabs || !CapturedWindows)
        return;
    m_tabSetRecorded = true;
    std::vector<RememberedTab> tabs;
    for (auto& tab : TabStrip1.Tabs()) {
        auto window = CapturedWindows->item(tab->Tag());
        if (!window || IsIntroScreen(window->hWnd) || !window->IsExistingWindow())
            continue;
        RememberedTab remembered{window->ExecutableName(), window->Classname,
                                 window->ActiveCaption(), window->Name, window->Caption};
        if (!remembered.executable.empty() && tabs.size() < kMostTabs)
            tabs.push_back(std::move(remembered));
    }
    RememberedTabs = std::move(tabs);
    SaveRemembered();
}

void frmSSTab::RecaptureTabSet() {
    CTaskList tasks;
    tasks.Refresh();
    std::set<HWND> taken;
    for (const RememberedTab& remembered : RememberedTabs) {
        for (long i = 1; i <= tasks.Count(); ++i) {
            HWND hwnd = tasks.hWnd(i);
            if (!hwnd || taken.count(hwnd) || !CapturedWindows || CapturedWindows->item(hwnd) ||
                !RememberedTabMatches(remembered, GetExecutablePath(hwnd),
                                      CWindow::GetWindowClassName(hwnd),
                                      CWindow::GetWindowCaptionText(hwnd)))
                continue;
            taken.insert(hwnd);
            CWindow loaded;
            loaded.Load(hwnd);
            CaptureWindow(loaded, remembered.title);
            if (auto window = CapturedWindows ? CapturedWindows->item(hwnd) : nullptr) {
                window->Name = remembered.name;
                window->Caption = remembered.caption;
                ShowTabCaption(*window);
            }
            break;
        }
    }
}

void frmSSTab::ShowRules() {
    frmRules dialog(Rules());
    dialog.ShowModal(ExistingHwnd());
    bool accepted = dialog.Accepted;
    std::vector<WindowRule> edited = std::move(dialog.Edited);
    dialog.Unload();
    if (!accepted)
        return;
    Rules() = std::move(edited);
    // Rules take the windows that appear after them.
    WatchRuledWindows(true);
    if (!SettingsFile.empty()) {
        SaveRemembered();
        return;
    }
    if (MsgBox(L"Rules are kept in Merilane's settings file, and Merilane does not remember its "
               L"settings now: these rules last until it closes. Turn \"Remember settings\" on?",
               MB_YESNO | MB_ICONQUESTION, Product().name) == IDYES)
        SwitchRemembering();
}

void frmSSTab::SwitchRemembering() {
    if (SettingsFile.empty()) {
        std::wstring path = SettingsPath();
        if (std::wstring failure = SaveSettings(path, CurrentSettings()); !failure.empty()) {
            MsgBox(L"Merilane cannot save its settings in\r\n" + path + L"\r\n" + failure +
                       L".\r\n\r\nIt goes on without remembering them.",
                   MB_OK | MB_ICONWARNING, Product().name);
            return;
        }
        SettingsFile = path;
        Menu.SetChecked(L"rememberSettings", true);
        return;
    }
    std::wstring path = std::exchange(SettingsFile, {});
    Menu.SetChecked(L"rememberSettings", false);
    if (MsgBox(L"Merilane no longer remembers its settings. Delete its settings file?\r\n" + path,
               MB_OKCANCEL | MB_ICONQUESTION, Product().name) == IDOK) {
        if (std::wstring failure = DeleteSettings(path); !failure.empty())
            MsgBox(L"Merilane could not delete\r\n" + path + L"\r\n" + failure + L".",
                   MB_OK | MB_ICONWARNING, Product().name);
        return;
    }
    // The file stays, marked so that the next start does not read it.
    if (std::wstring failure = SaveSettings(path, CurrentSettings(), false); !failure.empty())
        MsgBox(L"Merilane could not mark its settings file as no longer in use:\r\n" + path +
                   L"\r\n" + failure + L".",
               MB_OK | MB_ICONWARNING, Product().name);
}

} // namespace merilane
