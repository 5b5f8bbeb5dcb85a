#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include "controls/Tab.h"

namespace merilane {

class CWindow;

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
constexpr int kReleasedWidth = 500;
constexpr int kReleasedHeight = 500;

// Lets the user pick windows and captures each; true when at least one was captured.
bool ShowCaptureWindowForm();
void CaptureWindow(HWND hwnd);
TabPtr ReleaseWindow(HWND hwnd, HWND newParent, UINT releaseState, bool removeTab);
void ReleaseAllWindows(bool closeWindows);
void RemoveWindowTab(const std::shared_ptr<CWindow>& window);

void ChangeActiveCaption();
void RefocusActiveTab();

// The system-menu commands a captured window does without, in the order they are switched.
inline constexpr UINT kCapturedMenuCommands[] = {SC_MAXIMIZE, SC_MINIMIZE, SC_MOVE, SC_RESTORE,
                                                 SC_SIZE};

bool IsOwnWindow(HWND hwnd, bool includeContainer);
HWND GetTopLevelWindow(HWND hwnd);
template <class T> bool IsObjectSet(const T& object) noexcept {
    return object != nullptr;
}

// Puts a captured window back on the given parent, normal, 500 x 500 at (0, 0). A window that
// does not answer cannot be moved without waiting on it: false, and it stays where it is.
bool GiveBackWindow(CWindow& window, HWND newParent);
// Last resort on any exit that is not the orderly one: every captured window of another
// program goes back to the desktop. Never fails.
void GiveBackAllWindows() noexcept;

} // namespace merilane
