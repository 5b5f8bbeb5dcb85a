#include "window/mExecutableName.h"
#include "window/UniqueHandle.h"
#include <psapi.h>
#include <tlhelp32.h>

namespace merilane {
namespace {

constexpr DWORD kMaxPath = 1023;

std::wstring ModulePath(DWORD pid) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!process)
        return {};
    HMODULE first = nullptr;
    DWORD needed = 0;
    if (!EnumProcessModules(process.get(), &first, sizeof(first), &needed))
        return {};
    wchar_t buffer[kMaxPath + 1] = {};
    DWORD n = GetModuleFileNameExW(process.get(), first, buffer, kMaxPath);
    return std::wstring(buffer, n > kMaxPath ? kMaxPath : n);
}

// A 32-bit process cannot read the module list of a 64-bit one; the image name can always be
// read, with the least access there is.
std::wstring ImagePath(DWORD pid) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process)
        return {};
    wchar_t buffer[kMaxPath + 1] = {};
    DWORD n = kMaxPath;
    if (!QueryFullProcessImageNameW(process.get(), 0, buffer, &n))
        return {};
    return std::wstring(buffer, n > kMaxPath ? kMaxPath : n);
}

std::wstring SnapshotPath(DWORD pid) {
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

} // namespace

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
        return SnapshotPath(pid);
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
