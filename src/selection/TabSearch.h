#pragma once
#include <windows.h>
#include <string>
#include <string_view>
#include <vector>

namespace merilane {

// One tab as the "Go to tab" box lists it.
struct TabRow {
    HWND window = nullptr;   // the tab's Tag
    std::wstring text;       // what the tab says, whole
    std::wstring title;      // its window's title; not shown where it is the text
    std::wstring executable; // the file name of its program
    bool gone = false;       // the tab went while the box was open
};

// Whether every word typed (words are parted by blanks) occurs in the row's text, title or
// executable name, in any case of any alphabet. Nothing typed matches every row.
bool RowMatches(const TabRow& row, std::wstring_view typed);
// The positions of the rows that match, in their order.
std::vector<size_t> MatchingRows(const std::vector<TabRow>& rows, std::wstring_view typed);
// The row as the list shows it: text, title where it differs and executable, in columns.
std::wstring RowLine(const TabRow& row);

} // namespace merilane
