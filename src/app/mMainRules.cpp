// The user's rules at work: windows that appear, or change their title, and that a rule
// captures go into tabs.
#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "controls/UiThread.h"
#include "controls/UniqueOwner.h"
#include "selection/CTaskList.h"
#include "selection/WindowRules.h"
#include "tabs/CWindows.h"
#include "window/CWindow.h"
#include <map>
#include <utility>
#include <vector>

namespace merilane {
namespace {

using UniqueWinEventHook = UniqueOwner<HWINEVENTHOOK, &UnhookWinEvent>;

// What the rules know of one window they have seen visible, for as long as it exists.
struct RuledWindow {
    // When the rules first saw it (GetTickCount64); 0 for one that was there before the rules
    // came into force, which is not watched for new titles without the system's word.
    ULONGLONG firstSeen = 0;
    bool releasedByHand = false; // not taken again until closed
    bool waiting = false;        // matched, but did not answer
    bool retitled = false;       // the system said its title changed since the last look
    std::wstring title;          // as last judged, while it is young
};
std::map<HWND, RuledWindow> g_windows;

// Editors and browsers set the document's name after their window shows; where the system
// does not say that a title changed (Wine raises no such event), windows this young are looked
// at again.
constexpr ULONGLONG kYoungMs = 60000;

UniqueWinEventHook g_hook;
UniqueWinEventHook g_nameHook;
bool g_lookPosted = false;

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM param) {
    if (IsWindowVisible(hwnd))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> VisibleWindows() {
    std::vector<HWND> visible;
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&visible));
    return visible;
}

bool AnyCaptureRule() {
    for (const WindowRule& rule : Rules())
        if (rule.enabled && rule.action == RuleAction::Capture)
            return true;
    return false;
}

// Whether anything may be taken as it appears: a capture rule, or the windows of the last tab
// set, awaited for a while after the start.
bool Watching() {
    return AnyCaptureRule() || (ContainerForm && ContainerForm->AwaitsRememberedWindows());
}

bool Young(const RuledWindow& entry, ULONGLONG now) {
    return entry.firstSeen && now - entry.firstSeen < kYoungMs && !entry.releasedByHand;
}

// GetWindowTextW reads the text the system keeps for another program's window: it asks the
// window nothing.
bool TitleChanged(HWND hwnd, const RuledWindow& entry) {
    return CWindow::GetWindowCaptionText(hwnd) != entry.title;
}

void Take(HWND hwnd, const WindowRule& rule, RuledWindow& entry) {
    CWindow loaded;
    loaded.Load(hwnd);
    // The first time it does not answer the user hears of it as from the picker; after that
    // the watch asks it quietly until it does.
    bool told = entry.waiting;
    if (!loaded.Answers()) {
        if (!told)
            CaptureWindow(loaded);
        entry.waiting = true;
        return;
    }
    entry.waiting = false;
    // The rule's name, not the user's: it is not kept as a name given by hand.
    CaptureWindow(loaded, {.ruleName = rule.tabName});
}

// Whether the rules may take the window at all: another program's task window, not in a tab
// or on its way, not given back by the user, and not one Merilane refuses anyway.
bool MayTake(HWND hwnd, const RuledWindow& entry) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid != GetCurrentProcessId() && !entry.releasedByHand &&
           CTaskList::IsTaskWindow(hwnd, 0) && CapturedWindows && !CapturedWindows->item(hwnd) &&
           !IsOnItsWay(hwnd) && RefusalOf(hwnd) == CaptureRefusal::None;
}

void CALLBACK WindowEventProc(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                              DWORD) {
    if (!hwnd || object != OBJID_WINDOW || child != CHILDID_SELF || !Watching())
        return;
    if (event == EVENT_OBJECT_NAMECHANGE) {
        // Only windows the rules have seen: one not seen yet is judged as new anyway. Nothing
        // is added or removed here, so a look under way keeps its place in the table.
        // Held windows (whose parent is a host of ours) retitle often and are no rule's.
        auto it = g_windows.find(hwnd);
        if (it == g_windows.end() || it->second.releasedByHand ||
            GetAncestor(hwnd, GA_PARENT) != GetDesktopWindow())
            return;
        it->second.retitled = true;
    }
    // Callbacks may come inside our own sends: the look is posted, and taken through the
    // command gate. Titles that change many times a second cost one look at a time.
    if (g_lookPosted)
        return;
    g_lookPosted = true;
    PostToUiThread([] {
        g_lookPosted = false;
        RunCommand([] { WatchRuledWindows(); });
    });
}

} // namespace

void WatchRuledWindows(bool recordOnly) {
    // Without a capture rule there is nothing to take, and nothing seen now needs recording:
    // rules come into force only through a call that records (start-up, the rules dialog).
    // Walking the desktop on every tick regardless was most of what the program cost idle.
    if (!recordOnly && !Watching())
        return;
    std::erase_if(g_windows, [](const auto& item) { return !IsWindow(item.first); });
    for (auto& [hwnd, entry] : g_windows)
        entry.waiting = entry.waiting && IsWindowVisible(hwnd);
    ULONGLONG now = GetTickCount64();
    bool look = !recordOnly && Watching();
    for (HWND hwnd : VisibleWindows()) {
        auto [it, isNew] = g_windows.try_emplace(hwnd);
        RuledWindow& entry = it->second;
        // Our own windows (the container's title follows the window in front) are never taken.
        DWORD pid = 0;
        if (isNew && look && GetWindowThreadProcessId(hwnd, &pid) && pid != GetCurrentProcessId())
            entry.firstSeen = now;
        bool retitled = std::exchange(entry.retitled, false);
        if (Young(entry, now)) {
            std::wstring title = CWindow::GetWindowCaptionText(hwnd);
            if (isNew || title != entry.title) {
                retitled = true;
                entry.title = std::move(title);
            }
        } else if (!entry.title.empty()) {
            entry.title.clear();
        }
        if (!look || !(isNew || retitled || entry.waiting) || !MayTake(hwnd, entry))
            continue;
        // A window of the last tab set goes back to its place, with its name, before any rule.
        if (!entry.waiting && ContainerForm && ContainerForm->TakeRememberedWindow(hwnd)) {
            if (!CapturedWindows)
                return;
            continue;
        }
        const WindowRule* rule = DecidingRule(Rules(), FactsOf(hwnd));
        if (rule && rule->action == RuleAction::Capture)
            Take(hwnd, *rule, entry);
        // Anything may have gone while the window was taken.
        if (!CapturedWindows)
            return;
    }
}

bool RuledWindowAppeared() {
    if (!Watching())
        return false;
    ULONGLONG now = GetTickCount64();
    for (HWND hwnd : VisibleWindows()) {
        auto it = g_windows.find(hwnd);
        if (it == g_windows.end() || it->second.retitled ||
            (Young(it->second, now) && TitleChanged(hwnd, it->second)))
            return true;
    }
    return false;
}

void FollowRulesInTabNames() {
    if (!CapturedWindows)
        return;
    for (auto& window : CapturedWindows->NewEnum()) {
        if (window->RuleName.empty())
            continue;
        const WindowRule* rule = DecidingRule(Rules(), FactsOf(window->hWnd));
        std::wstring name =
            rule && rule->action == RuleAction::Capture ? rule->tabName : std::wstring();
        if (name != window->RuleName) {
            window->RuleName = name;
            ShowTabCaption(*window);
        }
    }
}

void InstallWindowEventHook() {
    constexpr DWORD flags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    if (!g_hook)
        g_hook.reset(SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr,
                                     WindowEventProc, 0, 0, flags));
    // A hook of its own: the events between would bring every move and focus change.
    if (!g_nameHook)
        g_nameHook.reset(SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                                         WindowEventProc, 0, 0, flags));
}

void RemoveWindowEventHook() {
    g_hook.reset();
    g_nameHook.reset();
}

void NoteReleasedByHand(HWND hwnd) {
    RuledWindow& entry = g_windows[hwnd];
    entry.releasedByHand = true;
    entry.waiting = false;
    entry.title.clear();
}

} // namespace merilane
