#pragma once
#include <windows.h>

namespace merilane {

// The program's own pictures, drawn as vector art at whatever size and resolution they are
// shown: nothing to ship, nothing taken from anywhere.

// The intro screen's banner: the program's name on a band of colour, with tabs rising from it.
void DrawBanner(HDC dc, const RECT& area, UINT dpi);
// The logo: a window with three tabs on top, the middle one in front.
void DrawLogo(HDC dc, const RECT& area);

} // namespace merilane
