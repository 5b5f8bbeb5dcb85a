#include "controls/CrashDump.h"
#include "controls/SystemLibrary.h"
#include "controls/Trust.h"
#include <dbghelp.h>
#include <initializer_list>

namespace merilane {
namespace {

using WriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                  PMINIDUMP_EXCEPTION_INFORMATION,
                                  PMINIDUMP_USER_STREAM_INFORMATION,
                                  PMINIDUMP_CALLBACK_INFORMATION);
WriteDumpFn g_writeDump = nullptr;

// The folder, made as needed, with a trailing backslash; false when there is none to write to.
bool CrashFolder(wchar_t* folder, DWORD capacity) noexcept {
    DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", folder, capacity);
    if (n == 0 || n + 20 >= capacity)
        return false;
    for (const wchar_t* part : {L"\\Merilane", L"\\crashes"}) {
        lstrcatW(folder, part);
        if (!CreateDirectoryW(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (!IsPlainFolder(folder))
            return false;
    }
    lstrcatW(folder, L"\\");
    return true;
}

// `out` (of MAX_PATH characters) gets `folder` and `name` one after the other; false, and
// nothing, where the two do not fit.
bool JoinPath(wchar_t* out, const wchar_t* folder, const wchar_t* name) noexcept {
    int a = lstrlenW(folder), b = lstrlenW(name);
    if (a + b >= MAX_PATH)
        return false;
    lstrcpynW(out, folder, MAX_PATH);
    lstrcpynW(out + a, name, MAX_PATH - a);
    return true;
}

// Deletes the file only if what is opened under the name is a plain file: the name was found a
// moment ago, and a link may stand there by now.
bool DeletePlainFile(const wchar_t* path) noexcept {
    HANDLE file = CreateFileW(path, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_DISPOSITION_INFO doomed{TRUE};
    bool deleted =
        GetFileInformationByHandle(file, &info) &&
        !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
        SetFileInformationByHandle(file, FileDispositionInfo, &doomed, sizeof doomed);
    CloseHandle(file);
    return deleted;
}

} // namespace

void KeepNewestReports(const wchar_t* folder) noexcept {
    // Names carry the time from the year down, so the smallest name is the oldest report.
    wchar_t pattern[MAX_PATH];
    if (!JoinPath(pattern, folder, L"merilane-*.dmp"))
        return;
    for (int pass = 0; pass < 64; ++pass) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(pattern, &found);
        if (search == INVALID_HANDLE_VALUE)
            return;
        int count = 0;
        wchar_t oldest[MAX_PATH] = L"";
        int room = MAX_PATH - lstrlenW(folder);
        do {
            // Our reports have short names: one too long to name beside the folder is not
            // one of them, and is neither counted nor touched.
            if (lstrlenW(found.cFileName) >= room)
                continue;
            ++count;
            if (!oldest[0] || lstrcmpiW(found.cFileName, oldest) < 0)
                lstrcpynW(oldest, found.cFileName, MAX_PATH);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        if (count <= kCrashDumpsKept)
            return;
        wchar_t doomed[MAX_PATH];
        if (!JoinPath(doomed, folder, oldest) || !DeletePlainFile(doomed))
            return;
    }
}

void PrepareCrashDump() noexcept {
    if (g_writeDump)
        return;
    // From the system folder only: a dbghelp.dll beside the program would run in it.
    g_writeDump = SystemFunctionAs<WriteDumpFn>(L"dbghelp.dll", "MiniDumpWriteDump");
}

bool WriteCrashDump(DWORD failedThread, EXCEPTION_POINTERS* pointers, wchar_t* path,
                    DWORD capacity) noexcept {
    path[0] = 0;
    wchar_t folder[MAX_PATH];
    if (!g_writeDump || capacity < MAX_PATH || !CrashFolder(folder, MAX_PATH - 48))
        return false;
    SYSTEMTIME now;
    GetLocalTime(&now);
    wsprintfW(path, L"%smerilane-%04u%02u%02u-%02u%02u%02u-%lu.dmp", folder, now.wYear, now.wMonth,
              now.wDay, now.wHour, now.wMinute, now.wSecond, GetCurrentProcessId());
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        path[0] = 0;
        return false;
    }
    MINIDUMP_EXCEPTION_INFORMATION exception{failedThread, pointers, FALSE};
    BOOL written = g_writeDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal,
                               pointers ? &exception : nullptr, nullptr, nullptr);
    CloseHandle(file);
    if (!written) {
        // Half a report misleads whoever reads it, and a full disk needs the room.
        DeleteFileW(path);
        path[0] = 0;
        return false;
    }
    KeepNewestReports(folder);
    return true;
}

} // namespace merilane
