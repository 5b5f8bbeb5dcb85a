#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace merilane {

// The lines of a window style word: one per table line whose mask shares a bit with the word,
// in table order, then "Extra bits " + the upper-case hexadecimal of the bits that no listed
// line covers, when there are any. Some masks cover several bits (a window with WS_BORDER alone
// lists "WS_CAPTION" too) and some lines share a mask, as the system's own constants do.
std::vector<std::wstring> DecodeStyle(LONG style);
// The same for an extended style word, with "Extra EX bits " for the remainder.
std::vector<std::wstring> DecodeExStyle(LONG exStyle);

} // namespace merilane
