#include "tabs/MTabDraw.h"
#include "controls/UniqueOwner.h"
#include <commctrl.h>

namespace merilane {

COLORREF ActiveTabBackColor = RGB(255, 255, 230);
COLORREF InactiveTabBackColor = RGB(207, 207, 207);
COLORREF ActiveTabForeColor = RGB(0, 0, 0);
COLORREF InactiveTabForeColor = RGB(0, 0, 0);

namespace {
constexpr int kSelectedIconInset = 6;
constexpr int kIconInset = 2;
constexpr int kTextLength = 255;
} // namespace

int GetTabImageIndex(HWND tabControl, int position) {
    if (position <= 0)
        return 0;
    TCITEMW item{};
    item.mask = TCIF_IMAGE;
    if (!SendMessageW(tabControl, TCM_GETITEMW, position - 1, reinterpret_cast<LPARAM>(&item)))
        return 0;
    return item.iImage;
}

std::wstring GetTabText(HWND tabControl, int position) {
    if (position <= 0)
        return {};
    wchar_t text[kTextLength + 1] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = kTextLength;
    if (!SendMessageW(tabControl, TCM_GETITEMW, position - 1, reinterpret_cast<LPARAM>(&item)))
        return {};
    // The control may hand back its own buffer instead of filling ours.
    return item.pszText ? std::wstring(item.pszText) : std::wstring();
}

void DrawTabItem(HWND tabControl, UINT itemID, HDC dc, bool selected, RECT rect) {
    COLORREF back = selected ? ActiveTabBackColor : InactiveTabBackColor;
    COLORREF fore = selected ? ActiveTabForeColor : InactiveTabForeColor;
    OwnedBrush brush(CreateSolidBrush(back));
    FillRect(dc, &rect, brush.get());

    int position = static_cast<int>(itemID) + 1;
    int image = GetTabImageIndex(tabControl, position);
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(tabControl, TCM_GETIMAGELIST, 0, 0));
    if (image >= 0 && images) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(images, &cx, &cy);
        int x = rect.left + (selected ? kSelectedIconInset : kIconInset);
        // Integer division truncates toward zero, as the layout has always had it.
        int y = rect.top + ((rect.bottom - rect.top) - cy + 4) / 2;
        ImageList_Draw(images, image, dc, x, y, ILD_TRANSPARENT);
        rect.left = x + cx + 1;
    }
    SetBkMode(dc, TRANSPARENT);
    std::wstring text = GetTabText(tabControl, position);
    SetTextColor(dc, fore);
    DrawTextW(dc, text.c_str(), -1, &rect, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

} // namespace merilane
