#pragma once
#include "app/Settings.h"
#include <string>

namespace merilane {

// The one settings file. Until the user turns remembering on, none is read or written: the
// file's existence (with its Remember key) is what says remembering is on, nothing else.

// merilane.ini beside merilane.exe when a file of that name is there and writable (the
// portable zip), otherwise %APPDATA%\Merilane\merilane.ini.
std::wstring SettingsPath();

struct LoadedSettings {
    bool remember = false;
    std::wstring path;    // the file that was read; empty when there is none
    Settings settings;    // the defaults unless remember
    std::wstring message; // for the user; empty when all was well
};
// Reads the file at `path` (SettingsPath() when empty). A file that cannot be read or is not
// one Merilane wrote gives the defaults, remembering off, and a message naming it; values it
// cannot use are left at their defaults and named.
LoadedSettings LoadSettings(const std::wstring& path = {});

// Writes the file whole or not at all: a temporary file in the same folder, then put in the
// place of the old one. Empty when done, else why not.
std::wstring SaveSettings(const std::wstring& path, const Settings& settings, bool remember = true);
// Empty when done (or when there was nothing to delete), else why not. The portable file beside
// merilane.exe is not deleted but put back as the zip carries it, unused, so that the copy
// keeps its settings beside itself the next time remembering is on.
std::wstring DeleteSettings(const std::wstring& path);
// The same with the portable file's path given (the tests' is not beside their program).
std::wstring DeleteSettings(const std::wstring& path, const std::wstring& portable);
bool IsPortableSettingsPath(const std::wstring& path);
// The portable zip's merilane.ini: remembering off.
inline constexpr const wchar_t* kUnusedSettingsFile = L"\xFEFF[Merilane]\r\nRemember=0\r\n";

} // namespace merilane
