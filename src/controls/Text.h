#pragma once
#include <string>
#include <string_view>

namespace merilane {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

// Every occurrence of `what` in `text`, left to right, case-sensitive.
std::wstring ReplaceAll(std::wstring text, std::wstring_view what, std::wstring_view with);

std::wstring Trim(std::wstring_view text);

// The system's text for an error code, without the closing line break and full stop.
std::wstring SystemErrorText(unsigned long error);

// Case aside, in every alphabet, as the system compares file names: each UTF-16 unit is mapped
// through the system's uppercase table on its own (the ordinal ignore-case comparison; no
// language's rules, the same on every machine). So Ü/ü, Я/я and Σ/σ are one. The table holds
// only letters whose cases map both ways: the final sigma ς, the dotless ı, the long ſ and the
// micro sign µ have no capital there and meet only themselves (ς is not σ); the dotted capital
// İ has no small letter there and meets only itself; i and I are one. (Seen so under Wine,
// whose tables follow Windows'.)
std::wstring FoldCase(std::wstring_view text);
bool SameTextCaseAside(std::wstring_view a, std::wstring_view b);
// Whether `part` stands anywhere in `text`, case aside as above.
bool ContainsCaseAside(std::wstring_view text, std::wstring_view part);

} // namespace merilane
