#pragma once

namespace merilane {

// Form sizes are kept in twips, 1440 to the logical inch, and turned into pixels at the
// screen's resolution before any window call.
int TwipsPerPixelX();
int TwipsPerPixelY();
int TwipsToPixelsX(long twips);
int TwipsToPixelsY(long twips);
long PixelsToTwipsX(int pixels);
long PixelsToTwipsY(int pixels);

// One pass over the messages that are waiting, so that other handlers run before the caller
// goes on. Handlers reached from here must expect to be entered again.
void DoEvents();

} // namespace merilane
