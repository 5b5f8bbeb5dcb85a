#pragma once
#include <string>
#include <string_view>

namespace merilane {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

// Every occurrence of `what` in `text`, left to right, case-sensitive.
std::wstring ReplaceAll(std::wstring text, std::wstring_view what, std::wstring_view with);

std::wstring Trim(std::wstring_view text);

} // namespace merilane
