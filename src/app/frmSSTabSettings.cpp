// What the container remembers from one run to the next, once the user has asked it to: the
// options, its placement and the last tab set.
#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/frmIntro.h"
#include "app/frmRules.h"
#include "app/frmSSTab.h"
#include "app/StartWithWindows.h"
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
#include <algorithm>
#include <utility>

namespace merilane {
namespace {

// Windows restores the programs of the last session at sign-in, after Merilane has started.
constexpr ULONGLONG kAwaitRememberedMs = 2 * 60 * 1000;

} // namespace

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
    m_rememberedTaken.assign(RememberedTabs.size(), nullptr);
    if (!RememberedTabs.empty())
        m_awaitRememberedUntil = GetTickCount64() + kAwaitRememberedMs;
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

void frmSSTab::SaveRemembered(bool atEnd) {
    if (SettingsFile.empty())
        return;
    std::wstring failure = SaveSettings(SettingsFile, CurrentSettings());
    if (failure.empty()) {
        m_saveFailureTold = false;
        return;
    }
    // Said once for each run of failing saves: the settings go on being kept in memory, and the
    // next save may work. At the end no save comes after, so what is lost is always said.
    if (m_saveFailureTold && !atEnd)
        return;
    m_saveFailureTold = true;
    std::wstring text =
        L"Merilane could not save its settings in\r\n" + SettingsFile + L"\r\n" + failure + L".";
    if (atEnd)
        text += GetFileAttributesW(SettingsFile.c_str()) == INVALID_FILE_ATTRIBUTES
                    ? L"\r\n\r\nThe tabs open now are not kept."
                    : L"\r\n\r\nThe tabs open now are not kept: the next start finds what that "
                      L"file held before.";
    NoteForUser(text);
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
    // The set recorded now is this run's: none of it is awaited any more.
    m_awaitRememberedUntil = 0;
    m_rememberedTaken.assign(RememberedTabs.size(), nullptr);
    SaveRemembered(true);
}

void frmSSTab::RecaptureTabSet() {
    CTaskList tasks;
    tasks.Refresh();
    // What each task is, read once: a program's path costs a look into its process.
    struct Task {
        HWND hwnd;
        std::wstring path, className, title;
    };
    std::vector<Task> running;
    for (long i = 1; i <= tasks.Count(); ++i)
        if (HWND hwnd = tasks.hWnd(i))
            running.push_back({hwnd, GetExecutablePath(hwnd), CWindow::GetWindowClassName(hwnd),
                               CWindow::GetWindowCaptionText(hwnd)});
    for (size_t entry = 0; entry < RememberedTabs.size(); ++entry) {
        for (Task& task : running) {
            if (!task.hwnd || !CapturedWindows || CapturedWindows->item(task.hwnd) ||
                !RememberedTabMatches(RememberedTabs[entry], task.path, task.className, task.title))
                continue;
            TakeRemembered(entry, std::exchange(task.hwnd, nullptr));
            break;
        }
    }
}

bool frmSSTab::AwaitsRememberedWindows() const {
    return m_awaitRememberedUntil && GetTickCount64() < m_awaitRememberedUntil &&
           std::find(m_rememberedTaken.begin(), m_rememberedTaken.end(), nullptr) !=
               m_rememberedTaken.end();
}

bool frmSSTab::TakeRememberedWindow(HWND hwnd) {
    if (!AwaitsRememberedWindows() || !CapturedWindows || CapturedWindows->item(hwnd))
        return false;
    std::wstring path = GetExecutablePath(hwnd), cls = CWindow::GetWindowClassName(hwnd),
                 title = CWindow::GetWindowCaptionText(hwnd);
    for (size_t entry = 0; entry < RememberedTabs.size() && entry < m_rememberedTaken.size();
         ++entry)
        if (!m_rememberedTaken[entry] &&
            RememberedTabMatches(RememberedTabs[entry], path, cls, title))
            return TakeRemembered(entry, hwnd);
    return false;
}

bool frmSSTab::TakeRemembered(size_t entry, HWND hwnd) {
    if (!Tabs || entry >= m_rememberedTaken.size())
        return false;
    const RememberedTab remembered = RememberedTabs[entry];
    // Its place: after the entries before it that are in tabs, else before those after it.
    auto indexOf = [this](size_t other) {
        TabPtr tab =
            m_rememberedTaken[other] ? Tabs->GetTabByHwnd(m_rememberedTaken[other]) : nullptr;
        return tab ? tab->Index() : 0;
    };
    int place = 0;
    for (size_t other = entry; other-- > 0 && !place;)
        if (int index = indexOf(other))
            place = index + 1;
    for (size_t other = entry + 1; other < m_rememberedTaken.size() && !place; ++other)
        place = indexOf(other);
    CWindow loaded;
    loaded.Load(hwnd);
    CaptureWindow(loaded, {.seen = remembered.title,
                           .tabName = remembered.name,
                           .caption = remembered.caption,
                           .position = place});
    // The capture may have waited on the window: anything may have run meanwhile.
    if (!CapturedWindows || !CapturedWindows->item(hwnd) || entry >= m_rememberedTaken.size())
        return false;
    m_rememberedTaken[entry] = hwnd;
    return true;
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
    FollowRulesInTabNames();
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
    std::wstring question =
        IsPortableSettingsPath(path)
            ? L"Merilane no longer remembers its settings. Clear its settings file? It stays "
              L"beside merilane.exe, unused, as it came.\r\n"
            : L"Merilane no longer remembers its settings. Delete its settings file?\r\n";
    if (MsgBox(question + path, MB_OKCANCEL | MB_ICONQUESTION, Product().name) == IDOK) {
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

void frmSSTab::SwitchStartWithWindows() {
    bool on = !Menu.Checked(L"startWithWindows");
    if (std::wstring failure = SetStartWithWindows(on); !failure.empty()) {
        MsgBox(std::wstring(on ? L"Merilane cannot have Windows start it: the current user's Run "
                                 L"value cannot be written.\r\n"
                               : L"Merilane cannot stop Windows from starting it: the current "
                                 L"user's Run value cannot be removed.\r\n") +
                   failure + L".",
               MB_OK | MB_ICONWARNING, Product().name);
        Menu.SetChecked(L"startWithWindows", StartsWithWindows());
        return;
    }
    Menu.SetChecked(L"startWithWindows", on);
}

} // namespace merilane
