#pragma once
#include "controls/UniqueOwner.h"
#include <windows.h>

namespace merilane {

// Form sizes are kept in twips, 1440 to the logical inch, and turned into pixels at the
// resolution of the window they concern (of the system when no window is given): a window on
// a monitor of 144 dots per inch has half as many twips to a pixel as one at 96.
UINT DpiOf(HWND window = nullptr) noexcept;
int TwipsPerPixelX(HWND window = nullptr);
int TwipsPerPixelY(HWND window = nullptr);
int TwipsToPixelsX(long twips, HWND window = nullptr);
int TwipsToPixelsY(long twips, HWND window = nullptr);
long PixelsToTwipsX(int pixels, HWND window = nullptr);
long PixelsToTwipsY(int pixels, HWND window = nullptr);

// A length laid out for 96 dots per inch, at `dpi`.
int Scaled(int pixelsAt96, UINT dpi) noexcept;
// The system's font for dialogs and messages, at `dpi`.
OwnedFont MessageFont(UINT dpi);

// One pass over the messages that are waiting, so that other handlers run before the caller
// goes on. Handlers reached from here must expect to be entered again.
void DoEvents();

} // namespace merilane
