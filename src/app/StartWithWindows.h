#pragma once
#include <string>

namespace merilane {

// "Start with Windows": the current user's Run value for Merilane, which makes Windows start
// this merilane.exe at sign-in. Nothing else of the registry is read or written.

// What the value holds for this copy: its path, in quotes.
std::wstring RunCommandLine();
// Whether the value is there and starts this copy.
bool StartsWithWindows();
// Writes or removes the value; empty when done, else why not.
std::wstring SetStartWithWindows(bool on);

} // namespace merilane
