#pragma once
#include "controls/UniqueOwner.h"
#include <windows.h>
#include <cstdint>
#include <vector>

namespace merilane {

// A square image of 32-bit pixels 0xAARRGGBB with straight (not premultiplied) alpha, rows from
// the top.
struct ArgbImage {
    int size = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * size + x)]; }
    uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y * size + x)]; }
};

// The icon's pixels at `size` x `size` (scaled by the system when the icon has another size).
// An icon without alpha gets it from its mask: opaque where the mask keeps the colour,
// transparent elsewhere. Empty when the icon cannot be read.
ArgbImage IconImage(HICON icon, int size);
// A new icon with exactly these pixels.
OwnedIcon IconFromImage(const ArgbImage& image);

// The overlay of the alt-tab icon: a 16 x 16 badge of two overlapping windows, drawn here at
// run time. Every pixel of it is opaque.
OwnedIcon MakeOverlayIcon();

// Where the overlay goes on the 32 x 32 icon: the lower right quarter.
constexpr int kOverlapIconSize = 32;
constexpr int kOverlaySize = 16;
constexpr int kOverlayAt = 16;

// A 32 x 32 copy of `base` with the 16 x 16 `overlay` laid over it at (16, 16). Null when
// either icon cannot be read.
OwnedIcon ComposeOverlapIcon(HICON base, HICON overlay);

// The icon the shell shows for the program in the alt-tab list: the big icon of the window at
// the top of `window`'s owner chain. It belongs to that window.
HICON AltTabIcon(HWND window);
// The alt-tab icon of `window`'s program with the badge laid over it; null when it cannot be
// made.
OwnedIcon OverlapIcon(HWND window);

} // namespace merilane
