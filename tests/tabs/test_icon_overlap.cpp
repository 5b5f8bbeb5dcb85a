#include "ContainerSession.h"
#include "ModalScript.h"
#include "TestSupport.h"
#include "ThreadWindow.h"
#include "app/Globals.h"
#include "controls/UniqueOwner.h"
#include "controls/CPictureDC.h"
#include "tabs/IconOverlap.h"
#include "tabs/frmIconOverlap.h"
#include "window/CWindow.h"
#include <gtest/gtest.h>

using namespace merilane;
using namespace merilane::test;

namespace {

struct Bits {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels; // 0xAARRGGBB, rows from the top
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

// What an icon is made of, read the plain way: its colour bitmap, as 32-bit pixels.
Bits ColourBits(HICON icon) {
    Bits bits;
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return bits;
    BITMAP record{};
    if (info.hbmColor && GetObjectW(info.hbmColor, sizeof(record), &record)) {
        bits.width = record.bmWidth;
        bits.height = record.bmHeight;
        bits.pixels.resize(static_cast<size_t>(bits.width) * bits.height);
        BITMAPINFO bmi{};
        bmi.bmiHeader = {sizeof(bmi.bmiHeader), bits.width, -bits.height, 1, 32, BI_RGB};
        HDC screen = GetDC(nullptr);
        if (GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(bits.height), bits.pixels.data(),
                      &bmi, DIB_RGB_COLORS) != bits.height)
            bits.pixels.clear();
        ReleaseDC(nullptr, screen);
    }
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bits;
}

// A 32 x 32 icon with alpha, every pixel different: colours and alpha run across and down,
// with fully transparent, half transparent and opaque regions.
HICON PatternIcon() {
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(bmi.bmiHeader), 32, -32, 1, 32, BI_RGB};
    void* memory = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &memory, nullptr, 0);
    auto* px = static_cast<uint32_t*>(memory);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            uint32_t alpha = x < 4 ? 0 : (y < 8 ? 128 : 255);
            uint32_t rgb = alpha ? (static_cast<uint32_t>(x * 8) << 16 |
                                    static_cast<uint32_t>(y * 8) << 8 | 0x40)
                                 : 0;
            px[y * 32 + x] = alpha << 24 | rgb;
        }
    std::vector<BYTE> maskBits(32 * 4, 0);
    for (int y = 0; y < 32; ++y)
        maskBits[static_cast<size_t>(y * 4)] = 0xF0; // x < 4: transparent
    HBITMAP mask = CreateBitmap(32, 32, 1, 1, maskBits.data());
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colour);
    DeleteObject(mask);
    return icon;
}

bool InQuarter(int x, int y) {
    return x >= 16 && y >= 16;
}

// The composed icon against its parts, pixel by pixel.
void ExpectComposedOf(HICON composed, HICON base, HICON overlay) {
    Bits c = ColourBits(composed), b = ColourBits(base), o = ColourBits(overlay);
    ASSERT_EQ(c.width, 32);
    ASSERT_EQ(c.height, 32);
    ASSERT_EQ(b.width, 32);
    ASSERT_EQ(o.width, 16);
    ASSERT_FALSE(c.pixels.empty() || b.pixels.empty() || o.pixels.empty());
    int differentInQuarter = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            if (InQuarter(x, y)) {
                ASSERT_EQ(c.At(x, y), o.At(x - 16, y - 16)) << x << "," << y;
                differentInQuarter += b.At(x, y) != o.At(x - 16, y - 16);
            } else {
                ASSERT_EQ(c.At(x, y), b.At(x, y)) << x << "," << y;
            }
        }
    // Otherwise the quarter would prove nothing.
    EXPECT_GT(differentInQuarter, 128);
}

// Another thread's window that shows `icon` as its big icon, as the program's container shows
// its own; `owned` is owned by it, so the alt-tab icon is found at the top of the chain.
struct IconOwner {
    explicit IconOwner(HICON icon)
        : top(Options(icon, nullptr)), owned(Options(nullptr, top.Hwnd())) {}
    static ThreadWindow::Options Options(HICON icon, HWND owner) {
        ThreadWindow::Options o;
        o.title = owner ? L"Owned by the icon owner" : L"Icon owner";
        o.windowIcon = icon;
        o.owner = owner;
        return o;
    }
    ThreadWindow top;
    ThreadWindow owned;
};

} // namespace

TEST(PictureDC, HoldsOneBitmapAndGivesItBackAlive) {
    int alive = OwnedGraphicsAlive();
    HDC screen = GetDC(nullptr);
    OwnedBitmap first(CreateCompatibleBitmap(screen, 32, 32));
    OwnedBitmap second(CreateCompatibleBitmap(screen, 16, 8));
    ReleaseDC(nullptr, screen);
    OwnedIcon icon(PatternIcon());
    OwnedBrush brush(CreateSolidBrush(RGB(1, 2, 3)));
    int owned = OwnedGraphicsAlive();
    {
        CPictureDC dc;
        EXPECT_NE(dc.hDC(), nullptr);
        EXPECT_EQ(OwnedGraphicsAlive(), owned + 1) << "the context is counted";
        EXPECT_EQ(dc.Width(), 0);
        // Neither an icon nor another kind of GDI object is a bitmap.
        dc.SetHBitmap(icon.get());
        dc.SetHBitmap(brush.get());
        EXPECT_EQ(dc.hBitmap(), nullptr);
        EXPECT_EQ(dc.Width(), 0);
        EXPECT_EQ(dc.Height(), 0);

        dc.SetHBitmap(first.get());
        EXPECT_EQ(dc.hBitmap(), first.get());
        EXPECT_EQ(dc.Width(), 32);
        EXPECT_EQ(dc.Height(), 32);
        EXPECT_EQ(GetCurrentObject(dc.hDC(), OBJ_BITMAP), first.get());
        dc.SetHBitmap(second.get());
        EXPECT_EQ(dc.hBitmap(), first.get()) << "a second bitmap changes nothing";
        EXPECT_EQ(dc.Width(), 32);
        EXPECT_EQ(GetCurrentObject(dc.hDC(), OBJ_BITMAP), first.get());
    }
    EXPECT_EQ(OwnedGraphicsAlive(), owned);
    // Still a bitmap, and out of the context: a bitmap goes into one context at a time.
    BITMAP record{};
    EXPECT_EQ(GetObjectW(first.get(), sizeof(record), &record), static_cast<int>(sizeof(record)));
    HDC other = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(other, first.get());
    EXPECT_NE(previous, nullptr);
    SelectObject(other, previous);
    DeleteDC(other);
    first.reset();
    second.reset();
    icon.reset();
    brush.reset();
    EXPECT_EQ(OwnedGraphicsAlive(), alive);
}

TEST(IconOverlap, TheBadgeCoversTheLowerRightQuarterAndNothingElse) {
    OwnedIcon base(PatternIcon());
    IconOwner owner(base.get());
    EXPECT_EQ(AltTabIcon(owner.owned.Hwnd()), base.get()) << "the top of the owner chain's";
    EXPECT_EQ(AltTabIcon(owner.top.Hwnd()), base.get());

    OwnedIcon badge = MakeOverlayIcon();
    Bits b = ColourBits(badge.get());
    ASSERT_EQ(b.width, 16);
    ASSERT_EQ(b.height, 16);
    for (uint32_t p : b.pixels)
        ASSERT_EQ(p >> 24, 0xFFu) << "the badge is opaque";

    OwnedIcon composed = OverlapIcon(owner.owned.Hwnd());
    ASSERT_TRUE(composed);
    ExpectComposedOf(composed.get(), base.get(), badge.get());
    ExpectComposedOf(ComposeOverlapIcon(base.get(), badge.get()).get(), base.get(), badge.get());
}

TEST(IconOverlap, AnIconWithoutAlphaTakesItsTransparencyFromItsMask) {
    // A colour bitmap of the screen's kind, no alpha: the mask alone says what is transparent.
    HDC screen = GetDC(nullptr);
    OwnedBitmap colour(CreateCompatibleBitmap(screen, 32, 32));
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, colour.get());
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            SetPixel(dc, x, y, RGB(x * 8, 255 - y * 8, 90));
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    std::vector<BYTE> maskBits(32 * 4, 0);
    for (int y = 0; y < 32; y += 2)
        for (int i = 0; i < 4; ++i)
            maskBits[static_cast<size_t>(y * 4 + i)] = 0xFF; // even rows transparent
    OwnedBitmap mask(CreateBitmap(32, 32, 1, 1, maskBits.data()));
    ICONINFO info{TRUE, 0, 0, mask.get(), colour.get()};
    OwnedIcon base(CreateIconIndirect(&info));
    ASSERT_TRUE(base);
    OwnedIcon badge = MakeOverlayIcon();
    Bits o = ColourBits(badge.get());

    Bits c = ColourBits(ComposeOverlapIcon(base.get(), badge.get()).get());
    ASSERT_EQ(c.width, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            uint32_t expected = y % 2 ? 0xFF000000u | static_cast<uint32_t>(x * 8) << 16 |
                                            static_cast<uint32_t>(255 - y * 8) << 8 | 90u
                                      : 0u;
            if (InQuarter(x, y))
                expected = o.At(x - 16, y - 16);
            ASSERT_EQ(c.At(x, y), expected) << x << "," << y;
        }
}

TEST(IconOverlap, OnTheProgramsOwnIconAHundredTimesWithoutLeaks) {
    ContainerSession session;
    HWND container = ContainerWindow->hWnd;
    HICON altTab = AltTabIcon(container);
    ASSERT_NE(altTab, nullptr);
    Bits original = ColourBits(altTab);
    ASSERT_EQ(original.width, 32) << "the program's alt-tab icon is 32 x 32";
    OwnedIcon badge = MakeOverlayIcon();
    int alive = OwnedGraphicsAlive();
    for (int i = 0; i < 100; ++i) {
        OwnedIcon composed = OverlapIcon(container);
        ASSERT_TRUE(composed) << i;
        if (i == 0)
            ExpectComposedOf(composed.get(), altTab, badge.get());
    }
    EXPECT_EQ(OwnedGraphicsAlive(), alive);
    EXPECT_EQ(AltTabIcon(container), altTab) << "the program's own icon is left alone";
}

TEST(IconOverlapDialog, BothButtonsShowTheAltTabIconAt32Pixels) {
    OwnedIcon base(PatternIcon());
    IconOwner owner(base.get());
    OwnedIcon badge = MakeOverlayIcon();
    Bits b = ColourBits(base.get()), o = ColourBits(badge.get());
    int alive = OwnedGraphicsAlive();
    {
        frmIconOverlap dialog(owner.owned.Hwnd());
        HWND form = dialog.hWnd();
        int loaded = OwnedGraphicsAlive();
        EXPECT_EQ(WindowText(form), L"Icon overlap");
        auto size = [&] {
            RECT r{};
            GetClientRect(dialog.Picture3.hWnd(), &r);
            return std::make_pair(r.right, r.bottom);
        };
        // Opaque pixels of the preview are the icon's own colours.
        auto shows = [&](int x, int y, uint32_t argb) {
            return dialog.Picture3.Pixel(x, y) ==
                   RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
        };

        SendMessageW(GetDlgItem(form, frmIconOverlap::kCommand2), BM_CLICK, 0, 0);
        EXPECT_EQ(size(), std::make_pair(32L, 32L));
        EXPECT_EQ(dialog.Picture3.ImageWidth(), 32);
        EXPECT_EQ(dialog.PreviewIcon(), base.get());
        EXPECT_TRUE(shows(20, 20, b.At(20, 20)));
        EXPECT_TRUE(shows(31, 31, b.At(31, 31)));

        SendMessageW(GetDlgItem(form, frmIconOverlap::kCommand1), BM_CLICK, 0, 0);
        EXPECT_EQ(size(), std::make_pair(32L, 32L));
        EXPECT_NE(dialog.PreviewIcon(), base.get());
        EXPECT_NE(dialog.PreviewIcon(), nullptr);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                if (InQuarter(x, y)) {
                    EXPECT_TRUE(shows(x, y, o.At(x - 16, y - 16))) << x << "," << y;
                } else if ((b.At(x, y) >> 24) == 0xFF) {
                    EXPECT_TRUE(shows(x, y, b.At(x, y))) << x << "," << y;
                }
            }
        }
        EXPECT_EQ(OwnedGraphicsAlive(), loaded + 1) << "the composed icon, kept for the preview";

        SendMessageW(GetDlgItem(form, frmIconOverlap::kCommand2), BM_CLICK, 0, 0);
        EXPECT_EQ(dialog.PreviewIcon(), base.get());
        EXPECT_EQ(OwnedGraphicsAlive(), loaded) << "the composed icon went with its preview";

        // Modal, as the container's command shows it; Escape closes it.
        RunModal(dialog, [&] {
            HWND button = GetDlgItem(form, frmIconOverlap::kCommand1);
            SetFocus(button);
            PostMessageW(button, WM_KEYDOWN, VK_ESCAPE, 1);
        });
        EXPECT_FALSE(dialog.IsLoaded());
    }
    EXPECT_EQ(OwnedGraphicsAlive(), alive);
}
