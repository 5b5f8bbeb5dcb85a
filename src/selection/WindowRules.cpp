#include "selection/WindowRules.h"
#include "controls/Text.h"
#include "window/CWindow.h"
#include "window/mExecutableName.h"

namespace merilane {
namespace {

// Both sides are folded once (see FoldCase): comparing unit by unit afterwards is exact.
bool FoldedWildcardMatches(std::wstring_view pattern, std::wstring_view text) {
    // Greedy, going back only to the latest star: a later star makes every earlier choice
    // final, so the work is bounded by pattern length times text length.
    size_t p = 0, t = 0;
    size_t star = std::wstring_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() &&
            (pattern[p] == L'?' || (pattern[p] != L'*' && pattern[p] == text[t]))) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = t;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

bool FoldedConditionHolds(const Condition& c, const std::wstring& v) {
    if (c.text.empty())
        return true;
    std::wstring x = FoldCase(c.text);
    switch (c.kind) {
    case MatchKind::Equals:
        return v == x;
    case MatchKind::StartsWith:
        return v.starts_with(x);
    case MatchKind::Contains:
        return v.find(x) != std::wstring::npos;
    case MatchKind::Wildcard:
        return FoldedWildcardMatches(x, v);
    }
    return false;
}

} // namespace

bool WildcardMatches(std::wstring_view pattern, std::wstring_view text) {
    return FoldedWildcardMatches(FoldCase(pattern), FoldCase(text));
}

bool ConditionHolds(const Condition& c, const std::wstring& value) {
    return FoldedConditionHolds(c, FoldCase(value));
}

const WindowRule* DecidingRule(std::span<const WindowRule> rules, const WindowFacts& facts) {
    const std::wstring executable = FoldCase(facts.executable),
                       windowClass = FoldCase(facts.windowClass), title = FoldCase(facts.title);
    for (const WindowRule& rule : rules)
        if (rule.enabled && FoldedConditionHolds(rule.executable, executable) &&
            FoldedConditionHolds(rule.windowClass, windowClass) &&
            FoldedConditionHolds(rule.title, title))
            return &rule;
    return nullptr;
}

bool TakesEveryWindow(const WindowRule& rule) {
    return rule.action == RuleAction::Capture && rule.executable.text.empty() &&
           rule.windowClass.text.empty() && rule.title.text.empty();
}

std::vector<WindowRule>& Rules() {
    static std::vector<WindowRule> rules;
    return rules;
}

WindowFacts FactsOf(HWND hwnd) {
    return {FileNameOfPath(GetExecutablePath(hwnd)), CWindow::GetWindowClassName(hwnd),
            CWindow::GetWindowCaptionText(hwnd)};
}

bool ExcludedByRules(HWND hwnd) {
    if (Rules().empty())
        return false;
    const WindowRule* rule = DecidingRule(Rules(), FactsOf(hwnd));
    return rule && rule->action == RuleAction::Exclude;
}

const wchar_t* MatchKindName(MatchKind kind) {
    switch (kind) {
    case MatchKind::Equals:
        return L"equals";
    case MatchKind::StartsWith:
        return L"starts with";
    case MatchKind::Contains:
        return L"contains";
    case MatchKind::Wildcard:
        return L"wildcard";
    }
    return L"";
}

} // namespace merilane
