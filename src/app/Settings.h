#pragma once
#include "selection/WindowRules.h"
#include <windows.h>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace merilane {

// What Merilane remembers from one run to the next once the user has asked it to, and how it
// reads and writes that, apart from any file: the file's own handling is in SettingsFile.h.

// One tab of the last tab set: what finds its window again at the next start.
struct RememberedTab {
    std::wstring executable; // full path
    std::wstring className;
    std::wstring title;
    std::wstring name;            // given by hand; empty: none
    std::wstring caption = L"%t"; // the tab's caption pattern
    bool operator==(const RememberedTab&) const = default;
};

struct Settings {
    bool multirow = false;
    bool buttonTabs = false;
    bool cycleTabbing = true;
    bool keybindings = true;
    // Which set of tab keys is in force: 0 the first of "Tab keys", 1 the second, 2 the third.
    int tabKeys = 0;
    // CTRL + key bindings: virtual-key code to "CAPTION", "NEW" or "RELEASE".
    std::vector<std::pair<DWORD, std::wstring>> keys{{'K', L"NEW"}};
    COLORREF activeBack = RGB(255, 255, 230);
    COLORREF activeFore = RGB(0, 0, 0);
    COLORREF inactiveBack = RGB(207, 207, 207);
    COLORREF inactiveFore = RGB(0, 0, 0);
    // The container's placement; none: wherever the system puts a new window.
    std::optional<RECT> placement;
    bool maximized = false;
    std::vector<RememberedTab> tabs;
    std::vector<WindowRule> rules;
    bool operator==(const Settings& other) const;
};

// A settings file as the profile functions give it: sections in file order, each with its
// keys and values in file order.
using IniSection = std::vector<std::pair<std::wstring, std::wstring>>;
using IniSections = std::vector<std::pair<std::wstring, IniSection>>;

inline constexpr const wchar_t* kMainSection = L"Merilane";
inline constexpr const wchar_t* kTabsSection = L"Tabs";
inline constexpr const wchar_t* kRulesSection = L"Rules";
inline constexpr const wchar_t* kRememberKey = L"Remember";

// The longest file Merilane reads, and the longest text of one value: anything longer was not
// written by it.
inline constexpr size_t kMostSettingsBytes = 1024 * 1024;
inline constexpr size_t kLongestValue = 2048;
inline constexpr size_t kMostTabs = 200;
inline constexpr size_t kMostRules = 200;

// What the bytes of a settings file say before anything is read from it.
enum class FileVerdict {
    Fine,
    Empty,
    TooLarge,
    NotUtf16,  // no UTF-16LE byte-order mark
    Truncated, // the last line does not end, or the last character
};
FileVerdict CheckSettingsBytes(std::span<const unsigned char> bytes);
std::wstring VerdictText(FileVerdict verdict);

// The settings a file's sections give, and what was wrong with them: a value that is not
// one Merilane writes leaves its setting at the default, and is named in `problems`.
struct ParsedSettings {
    bool remember = false;
    Settings settings;
    std::vector<std::wstring> problems;
};
ParsedSettings ParseSettings(const IniSections& sections);
// The sections that ParseSettings reads back as `settings`, with remembering on.
IniSections SettingsSections(const Settings& settings);

// The profile functions trim blanks and strip quotes around a value and cannot hold a line
// break: values are escaped so that any text comes back as it went in.
std::wstring EscapeValue(const std::wstring& text);
std::optional<std::wstring> UnescapeValue(const std::wstring& text);

// Whether a running window is the one a remembered tab stands for: the same executable and
// class (case aside) and the same title. A window of another program with that title is not.
bool RememberedTabMatches(const RememberedTab& tab, const std::wstring& executable,
                          const std::wstring& className, const std::wstring& title);

// A section as GetPrivateProfileSectionW gives it: "key=value\0key=value\0\0".
IniSection SplitSection(const std::wstring& block);

} // namespace merilane
