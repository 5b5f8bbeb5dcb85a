#pragma once
#include "controls/Tab.h"
#include "tabs/CWindows.h"
#include "window/CWindow.h"
#include <windows.h>
#include <memory>
#include <string>

namespace merilane {

// Program entry: builds the container and shows it; the caller then runs the message loop.
void Main();
// Runs the thread's message loop until the container is gone; returns the exit code.
int RunMessageLoop();

// The template with every "%d" replaced by the product text, e.g. "Merilane 0.2.156 (beta) ".
std::wstring FormatTitle(const std::wstring& titleTemplate);
std::wstring ProductText();
void SetDefaultColors();

// Release states.
enum ReleaseState : UINT { kReleaseNormal = 1, kReleaseMinimised = 2, kReleaseMaximised = 3 };

// Lets the user pick windows and captures each; true when at least one was captured. Only one
// picker is open at a time: asking while one is open does nothing.
bool ShowCaptureWindowForm();
bool IsPickerOpen() noexcept;
// What a capture is asked for besides taking the window in.
struct CaptureOptions {
    std::wstring seen;     // how the user knows the window (the picker's row), for the messages
    std::wstring tabName;  // the name its tab shows instead of its title, as the user gave it
    std::wstring ruleName; // the name a rule gives its tab, shown while the user has given none
    std::wstring caption;  // its caption template; empty: the usual one
    int position = 0;      // the 1-based place of its tab; 0: after the others
};
// Captures the window into a new tab, as `options` say: every path that captures one (the
// picker, a drop, a rule, the remembered set, the intro screen) comes here. A window that does
// not answer is not taken in: the user hears of it, and it stays where it is.
void CaptureWindow(const CWindow& loaded, const CaptureOptions& options = {});
void CaptureWindow(HWND hwnd);
// A window dragged onto the tabs and dropped there: captured as the picker's OK captures one
// (the same refusals and messages), its tab put at the 1-based position.
void CaptureDroppedWindow(HWND hwnd, int position);

// Why a window cannot be captured.
enum class CaptureRefusal {
    None,
    OwnWindow,     // one of the program's own windows (the intro screen excepted)
    Shell,         // the desktop, or a window of the Windows shell
    Gone,          // closed while it was being picked
    MoreRights,    // its program runs with more rights: Windows drops what we would send it
    SystemRefused, // the system would not give it a new parent
    NoTab,         // the tab strip would not take another tab
    Excluded,      // one of the user's rules keeps it out
};
// What keeps the window from being captured before anything is tried on it.
CaptureRefusal RefusalOf(HWND hwnd);
std::wstring RefusalText(CaptureRefusal refusal);
// Gives the window back as `options` say: every path that releases one comes here. When its
// program does not take it back in time, it stays in its tab, the user hears of it, and the
// release ends by itself as soon as the program answers.
TabPtr ReleaseWindow(HWND hwnd, const ReleaseOptions& options);
inline TabPtr ReleaseWindow(HWND hwnd, HWND newParent, UINT releaseState, bool removeTab) {
    return ReleaseWindow(
        hwnd, {.newParent = newParent, .releaseState = releaseState, .removeTab = removeTab});
}
// A tab dragged out of the container: its window goes back to the desktop with its top-left
// corner at `topLeft`, as big as it was before capture, shown normal and activated.
void ReleaseWindowAt(HWND hwnd, POINT topLeft);
void ReleaseAllWindows(bool closeWindows);
void RemoveWindowTab(const std::shared_ptr<CWindow>& window);

// The user's rules at work. Windows that have become visible since the last look, or whose
// title has changed since, and that a capture rule matches go into tabs (with the rule's
// name); one that does not answer is refused as from the picker and taken once it answers.
// With `recordOnly` what is on the desktop now is only noted as seen: rules take windows that
// appear after them (or, where the system says so, whose titles change after them).
void WatchRuledWindows(bool recordOnly = false);
// Whether a visible window not looked at yet, or one whose title changed, is there while a
// capture rule is in force; asks no window anything.
bool RuledWindowAppeared();
// Looks at once when the system says a window was made or shown, where it says so.
void InstallWindowEventHook();
void RemoveWindowEventHook();
// The rules have changed: a tab that a rule named keeps that name only while a capture rule
// still decides for its window, with the name that rule gives now.
void FollowRulesInTabNames();
// A window the user released is not taken by a rule again until it is closed.
void NoteReleasedByHand(HWND hwnd);

void ChangeActiveCaption();
// "Rename...": the active tab shows the name typed instead of its window's title, until an
// empty name is given.
void RenameActiveTab();
// The tab of the window, and the container when the window is in front, show its caption now.
void ShowTabCaption(const CWindow& window);
void RefocusActiveTab();

bool IsOwnWindow(HWND hwnd, bool includeContainer);
HWND GetTopLevelWindow(HWND hwnd);

// Whether a window of another program is inside the container, or still on its way out.
bool AnyWindowHeld();
// Whether the window is on its way into or out of a tab, waiting for its program.
bool IsOnItsWay(HWND hwnd);
// Last resort on any exit that is not the orderly one: every window of another program that is
// inside a host form is sent back to where it came from. Never fails.
void GiveBackAllWindows() noexcept;
// Ends the program with the code as soon as no window of another program is inside it.
void EndProgramWhenEmpty(int exitCode);

} // namespace merilane
