#include "tabs/MArtwork.h"
#include "controls/UniqueOwner.h"
#include <algorithm>

namespace merilane {
namespace {

constexpr COLORREF kDeep = RGB(20, 70, 110);
constexpr COLORREF kBright = RGB(40, 140, 190);
constexpr COLORREF kPaper = RGB(255, 255, 230);  // the selected tab's colour
constexpr COLORREF kShadow = RGB(207, 207, 207); // the other tabs' colour

int Mix(int a, int b, int part, int whole) {
    return a + (b - a) * part / (whole > 0 ? whole : 1);
}

// A left-to-right blend in bands a few pixels wide.
void Blend(HDC dc, const RECT& area, COLORREF from, COLORREF to) {
    int width = area.right - area.left;
    for (int x = 0; x < width; x += 4) {
        COLORREF c = RGB(Mix(GetRValue(from), GetRValue(to), x, width),
                         Mix(GetGValue(from), GetGValue(to), x, width),
                         Mix(GetBValue(from), GetBValue(to), x, width));
        OwnedBrush band(CreateSolidBrush(c));
        RECT r{area.left + x, area.top, std::min<LONG>(area.left + x + 4, area.right), area.bottom};
        FillRect(dc, &r, band.get());
    }
}

void Tab(HDC dc, int left, int top, int width, int height, COLORREF fill, int round) {
    OwnedBrush brush(CreateSolidBrush(fill));
    OwnedPen pen(CreatePen(PS_SOLID, 1, kDeep));
    HGDIOBJ oldBrush = SelectObject(dc, brush.get()), oldPen = SelectObject(dc, pen.get());
    RoundRect(dc, left, top, left + width, top + height + round, round, round);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

} // namespace

void DrawBanner(HDC dc, const RECT& area, UINT dpi) {
    Blend(dc, area, kDeep, kBright);
    int height = area.bottom - area.top;
    int tabWidth = height * 3 / 4, tabHeight = height / 3, round = std::max(4, height / 8);
    int baseline = area.bottom;
    int x = area.left + height / 3;
    // Three tabs, the middle one in front, standing on the banner's bottom edge.
    Tab(dc, x, baseline - tabHeight, tabWidth, tabHeight, kShadow, round);
    Tab(dc, x + tabWidth * 2 - tabWidth / 4, baseline - tabHeight, tabWidth, tabHeight, kShadow,
        round);
    Tab(dc, x + tabWidth - tabWidth / 8, baseline - tabHeight - height / 10, tabWidth,
        tabHeight + height / 10, kPaper, round);

    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(height, 55, 100);
    lf.lfWeight = FW_HEAVY;
    lf.lfQuality = ANTIALIASED_QUALITY;
    wcscpy(lf.lfFaceName, L"Tahoma");
    OwnedFont font(CreateFontIndirectW(&lf));
    HGDIOBJ old = SelectObject(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT text{x + tabWidth * 3 + MulDiv(12, static_cast<int>(dpi), 96), area.top, area.right,
              area.bottom - tabHeight / 3};
    DrawTextW(dc, L"Merilane", -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    SelectObject(dc, old);
}

void DrawLogo(HDC dc, const RECT& area) {
    int size = std::min(area.right - area.left, area.bottom - area.top);
    int left = area.left + (area.right - area.left - size) / 2;
    int top = area.top + (area.bottom - area.top - size) / 2;
    int tabHeight = size / 5, tabWidth = size * 3 / 10, round = std::max(3, size / 12);
    RECT body{left, top + tabHeight, left + size, top + size};
    Blend(dc, body, kDeep, kBright);
    // A window of paper inside the blue frame.
    RECT inside{body.left + size / 10, body.top + size / 10, body.right - size / 10,
                body.bottom - size / 10};
    OwnedBrush paper(CreateSolidBrush(kPaper));
    FillRect(dc, &inside, paper.get());
    Tab(dc, left, top, tabWidth, tabHeight, kShadow, round);
    Tab(dc, left + size - tabWidth, top, tabWidth, tabHeight, kShadow, round);
    Tab(dc, left + (size - tabWidth) / 2, top, tabWidth, tabHeight, kPaper, round);
}

} // namespace merilane
