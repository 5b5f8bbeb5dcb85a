#pragma once
#include "window/CWindow.h"
#include <string>

// What the files of the program's main module share and nobody else needs.
namespace merilane::detail {

// A window by the title the user saw, else its title now, else its class.
std::wstring Quoted(const CWindow& window, const std::wstring& seen = {});
bool AnyHostHoldsAWindow();
void CloseHost(HWND host);

// Makes sure the moves that end late reach the program: see SetLateMoveReceiver.
void ReceiveLateMoves();
// A late move of the window has ended; true when capture was waiting for it.
bool CaptureMoveEnded(HWND window);
// The same for release.
bool ReleaseMoveEnded(HWND window);

} // namespace merilane::detail
