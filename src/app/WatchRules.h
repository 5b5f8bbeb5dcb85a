#pragma once
#include <windows.h>
#include <string>

namespace merilane {

// What the container's watch timers decide, apart from the windows they look at.

// Whether a tab that shows `tabCaption` takes the window's `caption`: only a change within
// the first 22 characters (blanks around them aside) is worth a new tab caption.
bool TabCaptionFollows(const std::wstring& tabCaption, const std::wstring& caption);

// "Show main menu" is offered while the intro screen is not a tab; "Active tab" whenever a
// window other than the intro screen is active.
struct MenuFacts {
    bool anyTab;
    bool introFormExists;
    bool introIsTab;
    bool otherWindowActive; // an active window that is not the intro screen
    bool activeTabEnabled;  // how "Active tab" stands now
};
struct MenuEntries {
    bool intro;
    bool activeTab;
};
MenuEntries WatchedMenuEntries(const MenuFacts& facts);

// The rhythm of the quicker timer: as fast as the system allows while something goes on, and
// slow once nothing has changed for a while.
struct Rhythm {
    int calmTicks;
    UINT interval;
};
inline constexpr UINT kBusyInterval = 1;
inline constexpr UINT kCalmInterval = 100;
inline constexpr int kTicksBeforeCalm = 100;
Rhythm NextRhythm(int calmTicks, bool busy);

} // namespace merilane
