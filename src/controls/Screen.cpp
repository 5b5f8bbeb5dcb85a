#include "controls/Screen.h"
#include <windows.h>
#include <cmath>

namespace merilane {
namespace {

int ScreenDpi(int index) {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, index) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int Round(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

int TwipsPerPixelX() {
    return Round(1440.0 / ScreenDpi(LOGPIXELSX));
}
int TwipsPerPixelY() {
    return Round(1440.0 / ScreenDpi(LOGPIXELSY));
}
int TwipsToPixelsX(long twips) {
    return Round(twips * ScreenDpi(LOGPIXELSX) / 1440.0);
}
int TwipsToPixelsY(long twips) {
    return Round(twips * ScreenDpi(LOGPIXELSY) / 1440.0);
}
long PixelsToTwipsX(int pixels) {
    return std::lround(pixels * 1440.0 / ScreenDpi(LOGPIXELSX));
}
long PixelsToTwipsY(int pixels) {
    return std::lround(pixels * 1440.0 / ScreenDpi(LOGPIXELSY));
}

void DoEvents() {
    MSG msg;
    // Only what is already queued: a pass must end even while a timer keeps posting.
    for (int n = 0; n < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace merilane
