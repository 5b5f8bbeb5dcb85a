#pragma once
#include <windows.h>
#include <span>
#include <string>
#include <vector>

namespace merilane {

// The user's rules about windows: which to capture as soon as they appear, and which never to
// list nor capture. Rules are tried in order; the first enabled rule whose conditions all hold
// decides.

enum class MatchKind { Equals, StartsWith, Contains, Wildcard };

// One condition on a text; an empty text matches everything. Case does not matter.
struct Condition {
    MatchKind kind = MatchKind::Contains;
    std::wstring text;
    bool operator==(const Condition&) const = default;
};

enum class RuleAction { Capture, Exclude };

struct WindowRule {
    std::wstring name;
    bool enabled = true;
    Condition executable; // the executable's file name, e.g. notepad.exe
    Condition windowClass;
    Condition title;
    RuleAction action = RuleAction::Capture;
    std::wstring tabName; // the name matching tabs get; empty: none
    bool operator==(const WindowRule&) const = default;
};

// What the rules look at of a window.
struct WindowFacts {
    std::wstring executable; // file name
    std::wstring windowClass;
    std::wstring title;
};

// `*` any run of characters, `?` any one; case aside. Linear in the text for each star: no
// pattern, however many stars it has, takes exponential time.
bool WildcardMatches(std::wstring_view pattern, std::wstring_view text);
bool ConditionHolds(const Condition& condition, const std::wstring& value);
// The first enabled rule whose conditions all hold, or null.
const WindowRule* DecidingRule(std::span<const WindowRule> rules, const WindowFacts& facts);
// A rule that would take every window there is.
bool TakesEveryWindow(const WindowRule& rule);

// The rules in force, shared by the picker and the container.
std::vector<WindowRule>& Rules();
// The facts of a live window (its executable found through its process).
WindowFacts FactsOf(HWND hwnd);
// Whether the rules keep the window out of the picker and out of the tabs.
bool ExcludedByRules(HWND hwnd);

const wchar_t* MatchKindName(MatchKind kind);

} // namespace merilane
