#pragma once
#include <windows.h>
#include <optional>

namespace merilane {

// How long the program waits on another program's window, by what it waits for: the one
// table. A window that answers at all answers in a few milliseconds; these only bound the wait
// for one that does not, so that the program never waits on it for long.
enum class Wait {
    Answer,     // "do you take messages in?"
    Text,       // its title
    Icon,       // its icons
    SetIcon,    // giving it an icon
    SystemMenu, // popping its system menu up: the answer comes when the menu closes
    Call,       // a call its thread must take part in (parent, style, placement)
};

constexpr UINT BoundMs(Wait wait) noexcept {
    switch (wait) {
    case Wait::Answer:
        return 250;
    case Wait::SetIcon:
        return 1000;
    case Wait::Text:
    case Wait::Icon:
    case Wait::SystemMenu:
    case Wait::Call:
        return 500;
    }
    return 500;
}

// Sends the message and waits at most the bound (a hung window at once, once the system knows
// it hangs); nothing when there was no answer in time.
std::optional<LRESULT> Ask(HWND window, UINT msg, WPARAM wp, LPARAM lp, UINT boundMs) noexcept;
inline std::optional<LRESULT> Ask(HWND window, UINT msg, WPARAM wp, LPARAM lp, Wait wait) noexcept {
    return Ask(window, msg, wp, lp, BoundMs(wait));
}

} // namespace merilane
