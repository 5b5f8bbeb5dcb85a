#include "controls/Text.h"
#include <windows.h>

namespace merilane {

std::string ToUtf8(std::wstring_view text) {
    if (text.empty())
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(std::string_view text) {
    if (text.empty())
        return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::wstring ReplaceAll(std::wstring text, std::wstring_view what, std::wstring_view with) {
    if (what.empty())
        return text;
    for (size_t at = text.find(what); at != std::wstring::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

std::wstring Trim(std::wstring_view text) {
    const wchar_t* blanks = L" ";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring_view::npos)
        return {};
    size_t last = text.find_last_not_of(blanks);
    return std::wstring(text.substr(first, last - first + 1));
}

std::wstring SystemErrorText(unsigned long error) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring out = n && text ? std::wstring(text, n) : L"error " + std::to_wstring(error);
    LocalFree(text);
    while (!out.empty() &&
           (out.back() == L'\n' || out.back() == L'\r' || out.back() == L' ' || out.back() == L'.'))
        out.pop_back();
    return out;
}

std::wstring FoldCase(std::wstring_view text) {
    if (text.empty())
        return {};
    // The uppercase table maps one unit to one: the length stays, and a position in the folded
    // text is one in the original.
    std::wstring out(text);
    int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.data(),
                          static_cast<int>(text.size()), out.data(), static_cast<int>(out.size()),
                          nullptr, nullptr, 0);
    if (n != static_cast<int>(text.size()))
        return std::wstring(text);
    return out;
}

bool SameTextCaseAside(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool ContainsCaseAside(std::wstring_view text, std::wstring_view part) {
    if (text.size() < part.size())
        return false;
    return FindStringOrdinal(FIND_FROMSTART, text.data(), static_cast<int>(text.size()),
                             part.data(), static_cast<int>(part.size()), TRUE) >= 0;
}

} // namespace merilane
