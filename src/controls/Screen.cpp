#include "controls/Screen.h"
#include <cmath>

namespace merilane {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

// These came with Windows 10; older systems answer with the screen's one resolution.
template <class Fn> Fn User32(const char* name) {
    static HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

UINT ScreenDpi() {
    static auto forSystem = User32<GetDpiForSystemFn>("GetDpiForSystem");
    if (forSystem)
        return forSystem();
    ScreenDC screen = BorrowScreenDC();
    int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

int Round(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

UINT DpiOf(HWND window) noexcept {
    static auto forWindow = User32<GetDpiForWindowFn>("GetDpiForWindow");
    if (window && forWindow)
        if (UINT dpi = forWindow(window))
            return dpi;
    return ScreenDpi();
}

int TwipsPerPixelX(HWND window) {
    return Round(1440.0 / DpiOf(window));
}
int TwipsPerPixelY(HWND window) {
    return Round(1440.0 / DpiOf(window));
}
int TwipsToPixelsX(long twips, HWND window) {
    return Round(twips * static_cast<double>(DpiOf(window)) / 1440.0);
}
int TwipsToPixelsY(long twips, HWND window) {
    return Round(twips * static_cast<double>(DpiOf(window)) / 1440.0);
}
long PixelsToTwipsX(int pixels, HWND window) {
    return std::lround(pixels * 1440.0 / DpiOf(window));
}
long PixelsToTwipsY(int pixels, HWND window) {
    return std::lround(pixels * 1440.0 / DpiOf(window));
}

int Scaled(int pixelsAt96, UINT dpi) noexcept {
    return MulDiv(pixelsAt96, static_cast<int>(dpi), 96);
}

OwnedFont MessageFont(UINT dpi) {
    static auto forDpi = User32<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{sizeof(metrics)};
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi))
        return OwnedFont(CreateFontIndirectW(&metrics.lfMessageFont));
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    // The system's metrics are at its own resolution.
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi),
                                            static_cast<int>(ScreenDpi()));
    return OwnedFont(CreateFontIndirectW(&metrics.lfMessageFont));
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
