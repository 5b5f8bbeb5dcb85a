#include "tabs/IconOverlap.h"
#include "controls/CIcon.h"
#include "controls/CPictureDC.h"
#include <cstring>

namespace merilane {
namespace {

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Any bitmap's pixels as 32-bit values, rows from the top; empty when it cannot be read.
std::vector<uint32_t> Pixels(HBITMAP bitmap, int width, int height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO info = TopDown32(width, height);
    ScreenDC screen = BorrowScreenDC();
    if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                  DIB_RGB_COLORS) != height)
        pixels.clear();
    return pixels;
}

// A 32-bit bitmap whose pixels can be written directly; `bits` points at them.
OwnedBitmap DibSection(int size, uint32_t*& bits) {
    BITMAPINFO info = TopDown32(size, size);
    void* memory = nullptr;
    ScreenDC screen = BorrowScreenDC();
    OwnedBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &memory, nullptr, 0));
    bits = bitmap ? static_cast<uint32_t*>(memory) : nullptr;
    return bitmap;
}

ArgbImage ReadIcon(HICON icon, int size, bool mayScale) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return {};
    // GetIconInfo hands out copies of both bitmaps: they are ours to delete.
    OwnedBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP record{};
    if (!GetObjectW(mask.get(), sizeof(record), &record))
        return {};
    int width = record.bmWidth;
    // A monochrome icon keeps its AND mask above its XOR image in one bitmap of double height.
    int height = colour ? record.bmHeight : record.bmHeight / 2;
    if (width != size || height != size) {
        if (!mayScale)
            return {};
        OwnedIcon scaled(static_cast<HICON>(CopyImage(icon, IMAGE_ICON, size, size, 0)));
        return ReadIcon(scaled.get(), size, false);
    }
    std::vector<uint32_t> andMask = Pixels(mask.get(), size, colour ? size : 2 * size);
    std::vector<uint32_t> image;
    if (colour)
        image = Pixels(colour.get(), size, size);
    else if (!andMask.empty())
        image.assign(andMask.begin() + size * size, andMask.end());
    if (image.empty() || andMask.empty())
        return {};
    bool hasAlpha = false;
    for (uint32_t p : image)
        hasAlpha = hasAlpha || (p >> 24) != 0;
    ArgbImage result{size, std::move(image)};
    if (!hasAlpha) {
        for (size_t i = 0; i < result.pixels.size(); ++i) {
            bool transparent = (andMask[i] & 0x00FFFFFF) != 0;
            result.pixels[i] = transparent ? 0 : (result.pixels[i] | 0xFF000000);
        }
    }
    return result;
}

// `top` laid over `bottom`, both with straight alpha.
uint32_t Over(uint32_t top, uint32_t bottom) {
    uint32_t ta = top >> 24, ba = bottom >> 24;
    if (ta == 255 || ba == 0)
        return top;
    if (ta == 0)
        return bottom;
    // Alphas in 0..255 scaled by 255: out = ta + ba (1 - ta).
    uint32_t outA255 = ta * 255 + ba * (255 - ta);
    uint32_t result = ((outA255 + 127) / 255) << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t tc = (top >> shift) & 0xFF, bc = (bottom >> shift) & 0xFF;
        uint32_t c = (tc * ta * 255 + bc * ba * (255 - ta) + outA255 / 2) / outA255;
        result |= (c > 255 ? 255 : c) << shift;
    }
    return result;
}

} // namespace

ArgbImage IconImage(HICON icon, int size) {
    return ReadIcon(icon, size, true);
}

OwnedIcon IconFromImage(const ArgbImage& image) {
    if (image.size <= 0 || image.pixels.size() != static_cast<size_t>(image.size) * image.size)
        return {};
    uint32_t* bits = nullptr;
    OwnedBitmap colour = DibSection(image.size, bits);
    if (!bits)
        return {};
    GdiFlush();
    std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof(uint32_t));
    // The mask says the same for whoever draws without alpha: a set bit lets the screen show.
    int stride = ((image.size + 15) / 16) * 2;
    std::vector<BYTE> maskBits(static_cast<size_t>(stride) * image.size, 0);
    for (int y = 0; y < image.size; ++y)
        for (int x = 0; x < image.size; ++x)
            if ((image.At(x, y) >> 24) == 0)
                maskBits[static_cast<size_t>(y * stride + x / 8)] |=
                    static_cast<BYTE>(0x80 >> (x % 8));
    OwnedBitmap mask(CreateBitmap(image.size, image.size, 1, 1, maskBits.data()));
    if (!mask)
        return {};
    ICONINFO info{TRUE, 0, 0, mask.get(), colour.get()};
    // The icon gets copies of both bitmaps; ours go with the owners above.
    return OwnedIcon(CreateIconIndirect(&info));
}

OwnedIcon MakeOverlayIcon() {
    uint32_t* bits = nullptr;
    OwnedBitmap canvas = DibSection(kOverlaySize, bits);
    if (!bits)
        return {};
    {
        CPictureDC picture;
        picture.SetHBitmap(canvas.get());
        HDC dc = picture.hDC();
        if (!dc || picture.hBitmap() != canvas.get())
            return {};
        // The stock colour-settable pen and brush: nothing to create, nothing to delete.
        SelectObject(dc, GetStockObject(DC_PEN));
        SelectObject(dc, GetStockObject(DC_BRUSH));
        auto box = [dc](int left, int top, int right, int bottom, COLORREF edge, COLORREF fill) {
            SetDCPenColor(dc, edge);
            SetDCBrushColor(dc, fill);
            Rectangle(dc, left, top, right, bottom);
        };
        const COLORREF edge = RGB(24, 40, 88), badge = RGB(240, 150, 30);
        const COLORREF back = RGB(205, 215, 235), front = RGB(255, 255, 255);
        box(0, 0, 16, 16, edge, badge); // the badge
        box(3, 3, 11, 10, edge, back);  // the window behind
        box(3, 3, 11, 5, edge, edge);   // its title bar
        box(6, 7, 14, 14, edge, front); // the window in front, over it
        box(6, 7, 14, 9, edge, RGB(60, 110, 200));
        SelectObject(dc, GetStockObject(BLACK_PEN));
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
    }
    GdiFlush();
    // GDI leaves the alpha bytes of a 32-bit surface alone (zero here): the badge is opaque.
    ArgbImage image{kOverlaySize, std::vector<uint32_t>(bits, bits + kOverlaySize * kOverlaySize)};
    for (uint32_t& p : image.pixels)
        p |= 0xFF000000;
    return IconFromImage(image);
}

OwnedIcon ComposeOverlapIcon(HICON base, HICON overlay) {
    ArgbImage result = IconImage(base, kOverlapIconSize);
    ArgbImage badge = IconImage(overlay, kOverlaySize);
    if (result.pixels.empty() || badge.pixels.empty())
        return {};
    for (int y = 0; y < kOverlaySize; ++y)
        for (int x = 0; x < kOverlaySize; ++x) {
            uint32_t& under = result.At(kOverlayAt + x, kOverlayAt + y);
            under = Over(badge.At(x, y), under);
        }
    return IconFromImage(result);
}

HICON AltTabIcon(HWND window) {
    HWND top = CIcon::TopOfOwnerChain(window);
    return top ? CIcon::GetWindowIconHandle(top, ICON_BIG) : nullptr;
}

OwnedIcon OverlapIcon(HWND window) {
    OwnedIcon badge = MakeOverlayIcon();
    return ComposeOverlapIcon(AltTabIcon(window), badge.get());
}

} // namespace merilane
