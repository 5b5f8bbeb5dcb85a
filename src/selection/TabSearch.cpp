#include "selection/TabSearch.h"
#include "controls/Text.h"

namespace merilane {
namespace {

bool IsBlank(wchar_t c) {
    // U+3000 parts words where a Chinese or Japanese input method types them.
    return c == L' ' || c == L'\t' || c == 0x3000 || c == 0x00A0;
}

} // namespace

bool RowMatches(const TabRow& row, std::wstring_view typed) {
    size_t at = 0;
    while (at < typed.size()) {
        while (at < typed.size() && IsBlank(typed[at]))
            ++at;
        size_t end = at;
        while (end < typed.size() && !IsBlank(typed[end]))
            ++end;
        if (end > at) {
            std::wstring_view word = typed.substr(at, end - at);
            // Never against the user's locale, which would make "I" and "i" differ in Turkish.
            if (!ContainsCaseAside(row.text, word) && !ContainsCaseAside(row.title, word) &&
                !ContainsCaseAside(row.executable, word))
                return false;
        }
        at = end;
    }
    return true;
}

std::vector<size_t> MatchingRows(const std::vector<TabRow>& rows, std::wstring_view typed) {
    std::vector<size_t> matching;
    for (size_t i = 0; i < rows.size(); ++i)
        if (RowMatches(rows[i], typed))
            matching.push_back(i);
    return matching;
}

std::wstring RowLine(const TabRow& row) {
    // A tab character inside a title would shift the columns after it.
    auto field = [](std::wstring text) {
        for (wchar_t& c : text)
            if (c == L'\t')
                c = L' ';
        return text;
    };
    std::wstring line = field(row.text) + L'\t';
    if (row.title != row.text)
        line += field(row.title);
    line += L'\t' + field(row.executable);
    if (row.gone)
        line += L"\t(closed)";
    return line;
}

} // namespace merilane
