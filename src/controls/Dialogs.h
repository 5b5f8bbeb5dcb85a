#pragma once
#include <windows.h>
#include <optional>
#include <string>

namespace merilane {

// A modal message box owned by the innermost modal form or the main window (see CForm); style
// and result as MessageBoxW.
int MsgBox(const std::wstring& text, UINT style, const std::wstring& title);

// A modal prompt for one line of text: the answer as typed, or nothing when cancelled.
std::optional<std::wstring> InputBox(const std::wstring& prompt, const std::wstring& title,
                                     const std::wstring& defaultText);

} // namespace merilane
