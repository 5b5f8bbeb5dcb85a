#include "TestSupport.h"
#include "controls/UniqueOwner.h"
#include "tabs/MTabDraw.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <vector>

using namespace merilane;
using namespace merilane::test;

namespace {

constexpr COLORREF kIconColour = RGB(200, 0, 0);

HICON SolidIcon(COLORREF colour) {
    HDC screen = GetDC(nullptr);
    HBITMAP colourBits = CreateCompatibleBitmap(screen, 16, 16);
    HBITMAP maskBits = CreateBitmap(16, 16, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, colourBits);
    OwnedBrush brush(CreateSolidBrush(colour));
    RECT r{0, 0, 16, 16};
    FillRect(dc, &r, brush.get());
    SelectObject(dc, maskBits);
    PatBlt(dc, 0, 0, 16, 16, BLACKNESS);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    ICONINFO info{TRUE, 0, 0, maskBits, colourBits};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colourBits);
    DeleteObject(maskBits);
    return icon;
}

// An owner-drawn tab control with an image list of one 16 x 16 icon, and a canvas to draw its
// items on: what the container's tab strip hands the drawing routine.
class TabDrawing : public testing::Test {
  protected:
    void SetUp() override {
        parent = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr,
                                 nullptr, nullptr, nullptr);
        strip = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | TCS_OWNERDRAWFIXED, 0, 0, 400,
                                100, parent, nullptr, nullptr, nullptr);
        images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
        icon.reset(SolidIcon(kIconColour));
        ImageList_AddIcon(images, icon.get());
        SendMessageW(strip, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
        AddTab(L"With icon", 0);
        AddTab(L"No icon", -1);
        HDC screen = GetDC(nullptr);
        canvas = CreateCompatibleDC(screen);
        bitmap.reset(CreateCompatibleBitmap(screen, kWidth, kHeight));
        ReleaseDC(nullptr, screen);
        previous = SelectObject(canvas, bitmap.get());
        PatBlt(canvas, 0, 0, kWidth, kHeight, WHITENESS);
    }
    void TearDown() override {
        SelectObject(canvas, previous);
        DeleteDC(canvas);
        DestroyWindow(parent);
        ImageList_Destroy(images);
    }
    void AddTab(const wchar_t* text, int image) {
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = const_cast<wchar_t*>(text);
        item.iImage = image;
        SendMessageW(strip, TCM_INSERTITEMW, SendMessageW(strip, TCM_GETITEMCOUNT, 0, 0),
                     reinterpret_cast<LPARAM>(&item));
    }
    COLORREF At(int x, int y) const { return GetPixel(canvas, x, y); }
    // The leftmost and the topmost pixel of the icon's colour inside the rectangle.
    POINT IconAt(const RECT& r) const {
        POINT found{-1, -1};
        for (int y = r.top; y < r.bottom && found.y < 0; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (At(x, y) == kIconColour) {
                    found.y = y;
                    break;
                }
        for (int x = r.left; x < r.right && found.x < 0; ++x)
            for (int y = r.top; y < r.bottom; ++y)
                if (At(x, y) == kIconColour) {
                    found.x = x;
                    break;
                }
        return found;
    }
    // The columns in which the text (any pixel not background and not icon) lies.
    std::pair<int, int> TextSpan(const RECT& r, COLORREF background) const {
        int first = -1, last = -1;
        for (int x = r.left; x < r.right; ++x)
            for (int y = r.top; y < r.bottom; ++y) {
                COLORREF c = At(x, y);
                if (c != background && c != kIconColour) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
            }
        return {first, last};
    }

    static constexpr int kWidth = 300, kHeight = 60;
    HWND parent = nullptr, strip = nullptr;
    HIMAGELIST images = nullptr;
    OwnedIcon icon;
    HDC canvas = nullptr;
    OwnedBitmap bitmap;
    HGDIOBJ previous = nullptr;
};

} // namespace

TEST_F(TabDrawing, TheSelectedTabAndTheOthersHaveTheirColoursAndTheIconItsPlace) {
    RECT selected{0, 0, 120, 20}, other{150, 0, 270, 20};
    DrawTabItem(strip, 0, canvas, true, selected);
    DrawTabItem(strip, 0, canvas, false, other);
    EXPECT_EQ(At(119, 19), RGB(255, 255, 230));
    EXPECT_EQ(At(269, 19), RGB(207, 207, 207));
    POINT a = IconAt(selected), b = IconAt(other);
    EXPECT_EQ(a.x, 0 + 6) << "selected: 6 pixels in";
    EXPECT_EQ(b.x, 150 + 2) << "others: 2 pixels in";
    EXPECT_EQ(a.y, 0 + 4) << "a 16-pixel icon in a 20-pixel item: (20 - 16 + 4) / 2";
    EXPECT_EQ(b.y, 0 + 4);
    // The text goes to the right of the icon.
    EXPECT_GT(TextSpan(selected, RGB(255, 255, 230)).first, 6 + 16);
}

TEST_F(TabDrawing, ATabWithoutImageCentresItsTextOnTheWholeItem) {
    RECT item{0, 30, 300, 50};
    DrawTabItem(strip, 1, canvas, false, item);
    EXPECT_EQ(IconAt(item).x, -1);
    auto [first, last] = TextSpan(item, RGB(207, 207, 207));
    ASSERT_GE(first, 0);
    int left = first - item.left, right = item.right - 1 - last;
    EXPECT_NEAR(left, right, 2) << "centred on the full width";
}

TEST_F(TabDrawing, TextAndImageAreReadFromTheControlItself) {
    EXPECT_EQ(GetTabText(strip, 1), L"With icon");
    EXPECT_EQ(GetTabText(strip, 2), L"No icon");
    EXPECT_EQ(GetTabImageIndex(strip, 1), 0);
    EXPECT_EQ(GetTabImageIndex(strip, 2), -1);
    // Positions that are not there: 0 without asking, nothing from the control.
    EXPECT_EQ(GetTabImageIndex(strip, 0), 0);
    EXPECT_EQ(GetTabImageIndex(strip, 9), 0);
    EXPECT_EQ(GetTabText(strip, 0), L"");
    EXPECT_EQ(GetTabText(strip, 9), L"");
}

TEST_F(TabDrawing, AChangedColourIsWhatTheNextPaintUses) {
    COLORREF saved = InactiveTabBackColor;
    InactiveTabBackColor = RGB(10, 120, 30);
    RECT item{0, 0, 100, 20};
    DrawTabItem(strip, 1, canvas, false, item);
    InactiveTabBackColor = saved;
    EXPECT_EQ(At(99, 19), RGB(10, 120, 30));
}
