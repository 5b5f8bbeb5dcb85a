#include "selection/WindowRules.h"
#include "window/CWindow.h"
#include "window/mExecutableName.h"
#include <cwctype>

namespace merilane {
namespace {

wchar_t Fold(wchar_t c) {
    return static_cast<wchar_t>(std::towlower(c));
}

bool SameText(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i]))
            return false;
    return true;
}

} // namespace

bool WildcardMatches(std::wstring_view pattern, std::wstring_view text) {
    // Greedy, going back only to the latest star: a later star makes every earlier choice
    // final, so the work is bounded by pattern length times text length.
    size_t p = 0, t = 0;
    size_t star = std::wstring_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() &&
            (pattern[p] == L'?' || (pattern[p] != L'*' && Fold(pattern[p]) == Fold(text[t])))) {
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

bool ConditionHolds(const Condition& c, const std::wstring& value) {
    if (c.text.empty())
        return true;
    std::wstring_view v = value, x = c.text;
    switch (c.kind) {
    case MatchKind::Equals:
        return SameText(v, x);
    case MatchKind::StartsWith:
        return v.size() >= x.size() && SameText(v.substr(0, x.size()), x);
    case MatchKind::Contains:
        for (size_t i = 0; i + x.size() <= v.size(); ++i)
            if (SameText(v.substr(i, x.size()), x))
                return true;
        return false;
    case MatchKind::Wildcard:
        return WildcardMatches(x, v);
    }
    return false;
}

const WindowRule* DecidingRule(std::span<const WindowRule> rules, const WindowFacts& facts) {
    for (const WindowRule& rule : rules)
        if (rule.enabled && ConditionHolds(rule.executable, facts.executable) &&
            ConditionHolds(rule.windowClass, facts.windowClass) &&
            ConditionHolds(rule.title, facts.title))
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
