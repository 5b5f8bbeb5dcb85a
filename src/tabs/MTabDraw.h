#pragma once
#include <windows.h>
#include <string>

namespace merilane {

// The tab colours (0x00BBGGRR): the selected tab's background and text, and every other tab's.
extern COLORREF ActiveTabBackColor;
extern COLORREF InactiveTabBackColor;
extern COLORREF ActiveTabForeColor;
extern COLORREF InactiveTabForeColor;

// Paints one item of an owner-drawn tab control: its background in the selected or other
// colour, its icon from the control's image list at the left (6 pixels in when selected, 2
// otherwise, centred by the item's height), and its text centred on one line in the rest.
// `itemID` is 0-based; `rect` is the item's rectangle in the device context.
void DrawTabItem(HWND tabControl, UINT itemID, HDC dc, bool selected, RECT rect);

// What the tab control holds for the 1-based tab position, asked of the control itself: the
// image index (-1 for none; 0 when the control does not answer or the position is below 1),
// and the text (empty when it does not answer).
int GetTabImageIndex(HWND tabControl, int position);
std::wstring GetTabText(HWND tabControl, int position);

} // namespace merilane
