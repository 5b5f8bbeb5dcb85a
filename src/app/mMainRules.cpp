// The user's rules at work: windows that appear and that a rule captures go into tabs.
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
#include <set>
#include <vector>

namespace merilane {
namespace {

using UniqueWinEventHook = UniqueOwner<HWINEVENTHOOK, &UnhookWinEvent>;

std::set<HWND> g_seen;           // visible windows looked at already
std::set<HWND> g_releasedByHand; // not taken again until closed
std::set<HWND> g_waiting;        // matched, but did not answer
UniqueWinEventHook g_hook;
bool g_lookPosted = false;

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM param) {
    if (IsWindowVisible(hwnd))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

bool AnyCaptureRule() {
    for (const WindowRule& rule : Rules())
        if (rule.enabled && rule.action == RuleAction::Capture)
            return true;
    return false;
}

void Take(HWND hwnd, const WindowRule& rule) {
    CWindow loaded;
    loaded.Load(hwnd);
    // The first time it does not answer the user hears of it as from the picker; after that
    // the watch asks it quietly until it does.
    bool told = g_waiting.count(hwnd) != 0;
    if (!loaded.Answers()) {
        if (!told)
            CaptureWindow(loaded);
        g_waiting.insert(hwnd);
        return;
    }
    g_waiting.erase(hwnd);
    CaptureWindow(loaded, {.tabName = rule.tabName});
}

// Whether the rules may take the window at all: another program's task window, not in a tab
// or on its way, not given back by the user, and not one Merilane refuses anyway.
bool MayTake(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid != GetCurrentProcessId() && CTaskList::IsTaskWindow(hwnd, 0) &&
           !g_releasedByHand.count(hwnd) && CapturedWindows && !CapturedWindows->item(hwnd) &&
           !IsOnItsWay(hwnd) && RefusalOf(hwnd) == CaptureRefusal::None;
}

void CALLBACK WindowEventProc(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD,
                              DWORD) {
    // Callbacks may come inside our own sends: the look is posted, and taken through the
    // command gate.
    if (!hwnd || object != OBJID_WINDOW || child != CHILDID_SELF || g_lookPosted ||
        !AnyCaptureRule())
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
    if (!recordOnly && !AnyCaptureRule())
        return;
    std::erase_if(g_seen, [](HWND h) { return !IsWindow(h); });
    std::erase_if(g_releasedByHand, [](HWND h) { return !IsWindow(h); });
    std::erase_if(g_waiting, [](HWND h) { return !IsWindow(h) || !IsWindowVisible(h); });
    std::vector<HWND> visible;
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&visible));
    bool look = !recordOnly && AnyCaptureRule();
    for (HWND hwnd : visible) {
        bool isNew = g_seen.insert(hwnd).second;
        if (!look || (!isNew && !g_waiting.count(hwnd)) || !MayTake(hwnd))
            continue;
        const WindowRule* rule = DecidingRule(Rules(), FactsOf(hwnd));
        if (rule && rule->action == RuleAction::Capture)
            Take(hwnd, *rule);
        // Anything may have gone while the window was taken.
        if (!CapturedWindows)
            return;
    }
}

bool RuledWindowAppeared() {
    if (!AnyCaptureRule())
        return false;
    std::vector<HWND> visible;
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&visible));
    for (HWND hwnd : visible)
        if (!g_seen.count(hwnd))
            return true;
    return false;
}

void InstallWindowEventHook() {
    if (!g_hook)
        g_hook.reset(SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr,
                                     WindowEventProc, 0, 0,
                                     WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
}

void RemoveWindowEventHook() {
    g_hook.reset();
}

void NoteReleasedByHand(HWND hwnd) {
    g_releasedByHand.insert(hwnd);
    g_waiting.erase(hwnd);
}

} // namespace merilane
