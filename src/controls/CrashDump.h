#pragma once
#include <windows.h>

namespace merilane {

// What the box that tells of a breakdown says of its report: where it is and what it holds.
inline constexpr wchar_t kReportSavedAs[] = L"A report for the developers was saved as:";
inline constexpr wchar_t kReportHolds[] =
    L"It holds what Merilane's threads were doing, which can include other programs' window "
    L"titles and file paths. It stays on this computer: Merilane sends nothing anywhere.";
inline constexpr wchar_t kNoReport[] = L"No report could be saved.";

// How many crash reports are kept; older ones go as a new one is written.
constexpr int kCrashDumpsKept = 5;

// Loads what writing a report needs while loading a library is still safe: at the moment of a
// failure the thread that broke down may hold the loader's lock.
void PrepareCrashDump() noexcept;

// Deletes the oldest reports in the folder (which ends in a backslash) until kCrashDumpsKept
// are left; files of other names, or with names too long to join to it, stay as they are.
void KeepNewestReports(const wchar_t* folder) noexcept;

// Writes a minidump of this process to %LOCALAPPDATA%\Merilane\crashes\, naming the thread that
// failed (and what it met, when there is an exception record), and keeps only the newest
// reports. Answers whether one was written, with its path in `path`. Uses no heap of its own
// and never throws: a full disk or a folder it may not write to just answers false.
bool WriteCrashDump(DWORD failedThread, EXCEPTION_POINTERS* pointers, wchar_t* path,
                    DWORD capacity) noexcept;

} // namespace merilane
