#include "window/mExecutableName.h"
#include "controls/UniqueOwner.h"
#include <psapi.h>
#include <tlhelp32.h>

namespace merilane {
namespace {

// Paths are kept to this many characters.
constexpr DWORD kMaxPath = 1023;
constexpr DWORD kLongestPath = 32768;

std::wstring ModulePath(DWORD pid) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!process)
        return {};
    HMODULE first = nullptr;
    DWORD needed = 0;
    if (!EnumProcessModules(process.get(), &first, sizeof(first), &needed))
        return {};
    // The size counts the terminating zero: one more than the longest path kept.
    wchar_t buffer[kMaxPath + 1] = {};
    DWORD n = GetModuleFileNameExW(process.get(), first, buffer, kMaxPath + 1);
    return std::wstring(buffer, n > kMaxPath ? kMaxPath : n);
}

// A 32-bit process cannot read the module list of a 64-bit one; the image name can always be
// read, with the least access there is.
std::wstring ImagePath(DWORD pid) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process)
        return {};
    // A process that has ended can still be opened while anyone holds a handle to it, and its
    // image name can still be read; it runs no executable any more.
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.get(), &exitCode) || exitCode != STILL_ACTIVE)
        return {};
    // This call fails rather than cut a name that does not fit, so the buffer has room for
    // the longest path there can be and the cut is made here.
    std::wstring buffer(kLongestPath, L'\0');
    DWORD n = kLongestPath;
    if (!QueryFullProcessImageNameW(process.get(), 0, buffer.data(), &n))
        return {};
    buffer.resize(n > kMaxPath ? kMaxPath : n);
    return buffer;
}

} // namespace

std::wstring GetSnapshotExecutablePath(DWORD pid) {
    // The snapshot lists the idle process as pid 0.
    if (pid == 0)
        return {};
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return {};
    PROCESSENTRY32W entry{sizeof(entry)};
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry))
        if (entry.th32ProcessID == pid)
            return entry.szExeFile;
    return {};
}

bool IsWindowsNT() {
    OSVERSIONINFOW info{sizeof(info)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    BOOL ok = GetVersionExW(&info);
#pragma GCC diagnostic pop
    return ok && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

std::wstring GetProcessExecutablePath(DWORD pid) {
    if (pid == 0)
        return {};
    if (!IsWindowsNT())
        return GetSnapshotExecutablePath(pid);
    std::wstring path = ModulePath(pid);
    return path.empty() ? ImagePath(pid) : path;
}

std::wstring GetExecutablePath(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return GetProcessExecutablePath(pid);
}

std::wstring FileNameOfPath(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring GetExecutableFileName(DWORD pid) {
    return FileNameOfPath(GetProcessExecutablePath(pid));
}

} // namespace merilane
