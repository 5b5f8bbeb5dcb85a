#pragma once
#include "controls/Error.h"
#include <windows.h>
#include <functional>
#include <optional>
#include <string>

namespace merilane {

// A modal message box owned by the innermost modal form or the main window (see CForm); style
// and result as MessageBoxW.
int MsgBox(const std::wstring& text, UINT style, const std::wstring& title);

// A modal prompt for one line of text: the answer as typed, or nothing when cancelled.
std::optional<std::wstring> InputBox(const std::wstring& prompt, const std::wstring& title,
                                     const std::wstring& defaultText);

// Opens an address with the shell's default handler, as the user's clicks on links ask; the
// shell's result code, which nobody needs. Whoever installs an opener (a test) gets the
// addresses instead.
intptr_t ShellOpen(const std::wstring& address);
void SetShellOpener(std::function<intptr_t(const std::wstring&)> opener);

} // namespace merilane
