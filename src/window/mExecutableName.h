#pragma once
#include <windows.h>
#include <string>

namespace merilane {

// Full path of the executable that runs the window's process; empty when it cannot be told.
std::wstring GetExecutablePath(HWND hwnd);
std::wstring GetProcessExecutablePath(DWORD pid);
// The tool-help route, for systems without the process-status services: what the process
// snapshot holds for the process (on the NT family only the file name).
std::wstring GetSnapshotExecutablePath(DWORD pid);
// The part of the path after its last backslash.
std::wstring GetExecutableFileName(DWORD pid);
std::wstring FileNameOfPath(const std::wstring& path);
bool IsWindowsNT();

} // namespace merilane
