#include "app/Settings.h"
#include "controls/Text.h"
#include <cwchar>
#include <cwctype>
#include <algorithm>
#include <iterator>
#include <utility>

namespace merilane {
namespace {

// Coordinates a window can have at all: those of a 16-bit screen position.
constexpr long kLeast = -32768;
constexpr long kMost = 32767;
constexpr long kSmallestSide = 50;

const wchar_t* const kBindingCommands[] = {L"CAPTION", L"NEW", L"RELEASE"};

std::optional<long long> Number(const std::wstring& text, int base = 10) {
    if (text.empty() || text.size() > 12)
        return std::nullopt;
    size_t i = text[0] == L'-' && base == 10 ? 1 : 0;
    if (i == text.size())
        return std::nullopt;
    for (size_t j = i; j < text.size(); ++j)
        if (base == 10 ? !iswdigit(text[j]) : !iswxdigit(text[j]))
            return std::nullopt;
    return wcstoll(text.c_str(), nullptr, base);
}

std::wstring Hex6(COLORREF c) {
    wchar_t buffer[8];
    swprintf(buffer, 8, L"%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return buffer;
}

std::optional<COLORREF> Colour(const std::wstring& text) {
    if (text.size() != 6)
        return std::nullopt;
    auto value = Number(text, 16);
    if (!value)
        return std::nullopt;
    auto v = static_cast<unsigned long>(*value);
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

std::optional<std::vector<std::pair<DWORD, std::wstring>>> Bindings(const std::wstring& text) {
    std::vector<std::pair<DWORD, std::wstring>> keys;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L',', start);
        std::wstring item = text.substr(start, end == std::wstring::npos ? end : end - start);
        size_t colon = item.find(L':');
        if (colon == std::wstring::npos)
            return std::nullopt;
        auto vk = Number(item.substr(0, colon));
        std::wstring command = item.substr(colon + 1);
        bool known = false;
        for (const wchar_t* c : kBindingCommands)
            known = known || command == c;
        if (!vk || *vk < 1 || *vk > 254 || !known || keys.size() >= 26)
            return std::nullopt;
        keys.emplace_back(static_cast<DWORD>(*vk), command);
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    return keys;
}

std::optional<RECT> Placement(const std::wstring& text) {
    long v[4];
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        size_t end = text.find(L',', start);
        if ((i < 3) != (end != std::wstring::npos))
            return std::nullopt;
        auto n = Number(text.substr(start, end == std::wstring::npos ? end : end - start));
        if (!n || *n < kLeast || *n > kMost)
            return std::nullopt;
        v[i] = static_cast<long>(*n);
        start = end + 1;
    }
    if (v[2] - v[0] < kSmallestSide || v[3] - v[1] < kSmallestSide)
        return std::nullopt;
    return RECT{v[0], v[1], v[2], v[3]};
}

std::wstring Flag(bool on) {
    return on ? L"1" : L"0";
}

// Reads the keys of one section into the settings, noting what it cannot use.
class SectionReader {
  public:
    SectionReader(const IniSection& section, std::vector<std::wstring>& problems)
        : m_problems(problems) {
        for (auto& [key, value] : section)
            m_values.emplace(key, value); // the first of a doubled key wins, as for the system
    }

    const std::wstring* Raw(const std::wstring& key) {
        auto it = m_values.find(key);
        return it == m_values.end() ? nullptr : &it->second;
    }
    std::optional<std::wstring> Text(const std::wstring& key) {
        const std::wstring* raw = Raw(key);
        if (!raw)
            return std::nullopt;
        auto text = raw->size() <= kLongestValue ? UnescapeValue(*raw) : std::nullopt;
        if (!text)
            Bad(key);
        return text;
    }
    template <class T, class Convert> void Read(const std::wstring& key, T& target, Convert c) {
        const std::wstring* raw = Raw(key);
        if (!raw)
            return;
        if (auto value = c(*raw))
            target = *value;
        else
            Bad(key);
    }
    void ReadFlag(const std::wstring& key, bool& target) {
        Read(key, target, [](const std::wstring& v) -> std::optional<bool> {
            if (v == L"0" || v == L"1")
                return v == L"1";
            return std::nullopt;
        });
    }
    void Bad(const std::wstring& key) { m_problems.push_back(key); }

  private:
    std::map<std::wstring, std::wstring> m_values;
    std::vector<std::wstring>& m_problems;
};

const IniSection* Find(const IniSections& sections, const std::wstring& name) {
    for (auto& [sectionName, section] : sections)
        if (_wcsicmp(sectionName.c_str(), name.c_str()) == 0)
            return &section;
    return nullptr;
}

// Reads a count of entries, from none to `most`.
auto CountUpTo(size_t most) {
    return [most](const std::wstring& v) -> std::optional<long long> {
        auto n = Number(v);
        if (n && *n >= 0 && *n <= static_cast<long long>(most))
            return n;
        return std::nullopt;
    };
}

void ReadTabs(const IniSection& section, Settings& s, std::vector<std::wstring>& problems) {
    SectionReader r(section, problems);
    long long count = 0;
    r.Read(L"Count", count, CountUpTo(kMostTabs));
    for (long long i = 1; i <= count; ++i) {
        std::wstring prefix = std::to_wstring(i) + L".";
        RememberedTab tab;
        auto path = r.Text(prefix + L"Path");
        auto cls = r.Text(prefix + L"Class");
        auto title = r.Text(prefix + L"Title");
        if (!path || !cls || !title || path->empty() || cls->empty()) {
            if (!r.Raw(prefix + L"Path") || !r.Raw(prefix + L"Class") || !r.Raw(prefix + L"Title"))
                r.Bad(prefix + L"Path");
            continue;
        }
        tab.executable = *path;
        tab.className = *cls;
        tab.title = *title;
        if (auto name = r.Text(prefix + L"Name"))
            tab.name = *name;
        if (auto caption = r.Text(prefix + L"Caption"); caption && !caption->empty())
            tab.caption = *caption;
        s.tabs.push_back(std::move(tab));
    }
}

const std::pair<const wchar_t*, MatchKind> kKinds[] = {{L"equals", MatchKind::Equals},
                                                       {L"startswith", MatchKind::StartsWith},
                                                       {L"contains", MatchKind::Contains},
                                                       {L"wildcard", MatchKind::Wildcard}};

std::wstring KindKey(MatchKind kind) {
    for (auto& [name, k] : kKinds)
        if (k == kind)
            return name;
    return L"contains";
}

void ReadRules(const IniSection& section, Settings& s, std::vector<std::wstring>& problems) {
    SectionReader r(section, problems);
    long long count = 0;
    r.Read(L"Count", count, CountUpTo(kMostRules));
    auto kind = [](const std::wstring& v) -> std::optional<MatchKind> {
        for (auto& [name, k] : kKinds)
            if (v == name)
                return k;
        return std::nullopt;
    };
    for (long long i = 1; i <= count; ++i) {
        std::wstring prefix = std::to_wstring(i) + L".";
        size_t before = problems.size();
        WindowRule rule;
        if (auto name = r.Text(prefix + L"Name"))
            rule.name = *name;
        r.ReadFlag(prefix + L"Enabled", rule.enabled);
        const std::pair<const wchar_t*, Condition*> conditions[] = {
            {L"Exe", &rule.executable}, {L"Class", &rule.windowClass}, {L"Title", &rule.title}};
        for (auto& [key, condition] : conditions) {
            r.Read(prefix + key + L"Kind", condition->kind, kind);
            if (auto text = r.Text(prefix + key))
                condition->text = *text;
        }
        r.Read(prefix + L"Action", rule.action, [](const std::wstring& v) {
            return v == L"capture"   ? std::optional(RuleAction::Capture)
                   : v == L"exclude" ? std::optional(RuleAction::Exclude)
                                     : std::nullopt;
        });
        if (auto tabName = r.Text(prefix + L"TabName"))
            rule.tabName = *tabName;
        // A rule read in part would capture what its author did not mean: it goes whole.
        if (problems.size() == before && r.Raw(prefix + L"Action"))
            s.rules.push_back(std::move(rule));
        else if (problems.size() == before)
            r.Bad(prefix + L"Action");
    }
}

IniSection RuleLines(const std::vector<WindowRule>& rules) {
    IniSection lines{{L"Count", std::to_wstring(rules.size())}};
    for (size_t i = 0; i < rules.size(); ++i) {
        std::wstring prefix = std::to_wstring(i + 1) + L".";
        const WindowRule& rule = rules[i];
        lines.emplace_back(prefix + L"Name", EscapeValue(rule.name));
        lines.emplace_back(prefix + L"Enabled", Flag(rule.enabled));
        const std::pair<const wchar_t*, const Condition*> conditions[] = {
            {L"Exe", &rule.executable}, {L"Class", &rule.windowClass}, {L"Title", &rule.title}};
        for (auto& [key, condition] : conditions) {
            lines.emplace_back(prefix + key + L"Kind", KindKey(condition->kind));
            lines.emplace_back(prefix + key, EscapeValue(condition->text));
        }
        lines.emplace_back(prefix + L"Action",
                           rule.action == RuleAction::Capture ? L"capture" : L"exclude");
        lines.emplace_back(prefix + L"TabName", EscapeValue(rule.tabName));
    }
    return lines;
}

} // namespace

bool Settings::operator==(const Settings& o) const {
    auto sameRect = [](const std::optional<RECT>& a, const std::optional<RECT>& b) {
        return a.has_value() == b.has_value() &&
               (!a || (a->left == b->left && a->top == b->top && a->right == b->right &&
                       a->bottom == b->bottom));
    };
    return multirow == o.multirow && buttonTabs == o.buttonTabs && cycleTabbing == o.cycleTabbing &&
           keybindings == o.keybindings && tabKeys == o.tabKeys && keys == o.keys &&
           activeBack == o.activeBack && activeFore == o.activeFore &&
           inactiveBack == o.inactiveBack && inactiveFore == o.inactiveFore &&
           sameRect(placement, o.placement) && maximized == o.maximized && tabs == o.tabs &&
           rules == o.rules;
}

FileVerdict CheckSettingsBytes(std::span<const unsigned char> bytes) {
    if (bytes.empty())
        return FileVerdict::Empty;
    if (bytes.size() > kMostSettingsBytes)
        return FileVerdict::TooLarge;
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE)
        return FileVerdict::NotUtf16;
    if (bytes.size() == 2)
        return FileVerdict::Empty;
    // Every line the profile functions write ends in CR LF; a file cut short does not.
    size_t n = bytes.size();
    if (n % 2 != 0 || n < 6 || bytes[n - 4] != '\r' || bytes[n - 3] != 0 || bytes[n - 2] != '\n' ||
        bytes[n - 1] != 0)
        return FileVerdict::Truncated;
    return FileVerdict::Fine;
}

std::wstring VerdictText(FileVerdict verdict) {
    switch (verdict) {
    case FileVerdict::Empty:
        return L"it is empty";
    case FileVerdict::TooLarge:
        return L"it is far larger than any settings file Merilane writes";
    case FileVerdict::NotUtf16:
        return L"it is not a Unicode (UTF-16) text file";
    case FileVerdict::Truncated:
        return L"it ends in the middle of a line";
    default:
        return {};
    }
}

ParsedSettings ParseSettings(const IniSections& sections) {
    ParsedSettings parsed;
    const IniSection* main = Find(sections, kMainSection);
    if (!main || main->empty()) {
        parsed.problems.push_back(std::wstring(L"[") + kMainSection + L"]");
        return parsed;
    }
    Settings& s = parsed.settings;
    auto& problems = parsed.problems;
    SectionReader r(*main, problems);
    r.ReadFlag(kRememberKey, parsed.remember);
    r.ReadFlag(L"Multirow", s.multirow);
    r.ReadFlag(L"ButtonTabs", s.buttonTabs);
    r.ReadFlag(L"CycleTabbing", s.cycleTabbing);
    r.ReadFlag(L"Keybindings", s.keybindings);
    r.Read(L"TabKeys", s.tabKeys, [](const std::wstring& v) -> std::optional<int> {
        if (v == L"0" || v == L"1" || v == L"2")
            return v[0] - L'0';
        return std::nullopt;
    });
    r.ReadFlag(L"Maximized", s.maximized);
    r.Read(L"Keys", s.keys, Bindings);
    r.Read(L"ActiveTabBackground", s.activeBack, Colour);
    r.Read(L"ActiveTabFont", s.activeFore, Colour);
    r.Read(L"InactiveTabBackground", s.inactiveBack, Colour);
    r.Read(L"InactiveTabFont", s.inactiveFore, Colour);
    r.Read(L"Placement", s.placement,
           [](const std::wstring& v) -> std::optional<std::optional<RECT>> {
               if (auto rect = Placement(v))
                   return rect;
               return std::nullopt;
           });
    if (const IniSection* tabs = Find(sections, kTabsSection))
        ReadTabs(*tabs, s, problems);
    if (const IniSection* rules = Find(sections, kRulesSection))
        ReadRules(*rules, s, problems);
    return parsed;
}

IniSections SettingsSections(const Settings& s) {
    IniSection main{
        {kRememberKey, L"1"},
        {L"Multirow", Flag(s.multirow)},
        {L"ButtonTabs", Flag(s.buttonTabs)},
        {L"CycleTabbing", Flag(s.cycleTabbing)},
        {L"Keybindings", Flag(s.keybindings)},
        {L"TabKeys", std::to_wstring(s.tabKeys)},
    };
    std::wstring keys;
    for (auto& [vk, command] : s.keys)
        keys += (keys.empty() ? L"" : L",") + std::to_wstring(vk) + L":" + command;
    main.emplace_back(L"Keys", keys);
    main.emplace_back(L"ActiveTabBackground", Hex6(s.activeBack));
    main.emplace_back(L"ActiveTabFont", Hex6(s.activeFore));
    main.emplace_back(L"InactiveTabBackground", Hex6(s.inactiveBack));
    main.emplace_back(L"InactiveTabFont", Hex6(s.inactiveFore));
    if (s.placement) {
        const RECT& p = *s.placement;
        main.emplace_back(L"Placement", std::to_wstring(p.left) + L"," + std::to_wstring(p.top) +
                                            L"," + std::to_wstring(p.right) + L"," +
                                            std::to_wstring(p.bottom));
    }
    main.emplace_back(L"Maximized", Flag(s.maximized));
    IniSection tabs{{L"Count", std::to_wstring(s.tabs.size())}};
    for (size_t i = 0; i < s.tabs.size(); ++i) {
        std::wstring prefix = std::to_wstring(i + 1) + L".";
        const RememberedTab& t = s.tabs[i];
        tabs.emplace_back(prefix + L"Path", EscapeValue(t.executable));
        tabs.emplace_back(prefix + L"Class", EscapeValue(t.className));
        tabs.emplace_back(prefix + L"Title", EscapeValue(t.title));
        tabs.emplace_back(prefix + L"Name", EscapeValue(t.name));
        tabs.emplace_back(prefix + L"Caption", EscapeValue(t.caption));
    }
    return {{kMainSection, std::move(main)},
            {kTabsSection, std::move(tabs)},
            {kRulesSection, RuleLines(s.rules)}};
}

namespace {

// What each escape stands for: quotes and line breaks, which the profile functions would strip
// or cut at, and the escape mark itself.
constexpr std::pair<wchar_t, wchar_t> kEscapes[] = {
    {L'\\', L'\\'}, {L'\r', L'r'}, {L'\n', L'n'}, {L'"', L'q'}, {L'\'', L'a'}};

} // namespace

std::wstring EscapeValue(const std::wstring& text) {
    // Every value is closed in "|" marks, which keeps blanks at either end.
    std::wstring out = L"|";
    for (wchar_t c : text) {
        auto escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                   [c](const auto& e) { return e.first == c; });
        if (escape == std::end(kEscapes)) {
            out += c;
        } else {
            out += L'\\';
            out += escape->second;
        }
    }
    return out + L"|";
}

std::optional<std::wstring> UnescapeValue(const std::wstring& text) {
    if (text.size() < 2 || text.front() != L'|' || text.back() != L'|')
        return std::nullopt;
    std::wstring out;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] != L'\\') {
            out += text[i];
            continue;
        }
        if (++i + 1 >= text.size())
            return std::nullopt;
        wchar_t mark = text[i];
        auto escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                   [mark](const auto& e) { return e.second == mark; });
        if (escape == std::end(kEscapes))
            return std::nullopt;
        out += escape->first;
    }
    return out;
}

bool RememberedTabMatches(const RememberedTab& tab, const std::wstring& executable,
                          const std::wstring& className, const std::wstring& title) {
    return !executable.empty() && SameTextCaseAside(tab.executable, executable) &&
           SameTextCaseAside(tab.className, className) && SameTextCaseAside(tab.title, title);
}

IniSection SplitSection(const std::wstring& block) {
    IniSection section;
    size_t start = 0;
    while (start < block.size() && block[start] != L'\0') {
        size_t end = block.find(L'\0', start);
        if (end == std::wstring::npos)
            end = block.size();
        std::wstring line = block.substr(start, end - start);
        size_t equals = line.find(L'=');
        if (equals != std::wstring::npos)
            section.emplace_back(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
        start = end + 1;
    }
    return section;
}

} // namespace merilane
