#include "window/MTermProc.h"
#include "controls/Dialogs.h"
#include "controls/ProductInfo.h"
#include "controls/Text.h"
#include "controls/UniqueOwner.h"
#include "window/mExecutableName.h"
#include <vector>

namespace merilane {
namespace {

struct WowSearch {
    DWORD pid;
    bool found;
};

BOOL WINAPI MatchWowProcess(DWORD pid, DWORD, LPARAM context) {
    auto* search = reinterpret_cast<WowSearch*>(context);
    if (pid != search->pid)
        return FALSE;
    search->found = true;
    return TRUE;
}

struct CloseRequest {
    DWORD pid;
    DWORD tid; // 0: any thread of the process
};

// An owned window (a dialog, a tool window) closes with its owner; asking it on its own could
// leave the owner in a state it does not expect.
bool IsUnowned(HWND window) {
    return GetWindowLongPtrW(window, GWLP_HWNDPARENT) == 0;
}

BOOL CALLBACK PostCloseToMatching(HWND window, LPARAM context) {
    auto* request = reinterpret_cast<const CloseRequest*>(context);
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(window, &pid);
    if (pid == request->pid && (request->tid == 0 || tid == request->tid) && IsUnowned(window))
        PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void PostClose(const CloseRequest& request) {
    if (request.pid == 0)
        return;
    EnumWindows(PostCloseToMatching, reinterpret_cast<LPARAM>(&request));
}

// The process, held: while the handle is open its id cannot pass to another process. Null when
// it cannot be opened, has ended, or `window` (when given) is no longer one of its windows.
UniqueHandle HoldProcess(DWORD pid, HWND window) {
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process || WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT)
        return {};
    DWORD owner = 0;
    if (window && (GetWindowThreadProcessId(window, &owner), owner != pid))
        return {};
    return process;
}

// Whether a process that could not be held is gone rather than beyond our reach.
bool Gone(DWORD pid) {
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process)
        return GetLastError() == ERROR_INVALID_PARAMETER;
    return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
}

} // namespace

bool IsListedWowProcess(DWORD pid, WowProcessLister lister) {
    if (!lister)
        return false;
    WowSearch search{pid, false};
    lister(MatchWowProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsVdmExecutableName(const std::wstring& fileName) {
    return SameTextCaseAside(fileName, L"NTVDM.EXE");
}

bool IsWowProcess(DWORD pid) {
    // From the system directory only: a library of that name beside the program or in the
    // current directory must not be the one that gets loaded.
    UniqueLibrary vdm(LoadLibraryExW(L"vdmdbg.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!vdm)
        return false;
    FARPROC entry = GetProcAddress(vdm.get(), "VDMEnumProcessWOW");
    return IsListedWowProcess(pid,
                              reinterpret_cast<WowProcessLister>(reinterpret_cast<void*>(entry)));
}

bool IsDosProcess(DWORD pid) {
    // The file name of the process's image is the base name of its first module.
    return IsVdmExecutableName(GetExecutableFileName(pid)) && !IsWowProcess(pid);
}

void PostCloseToProcess(DWORD pid, HWND window) {
    if (UniqueHandle held = HoldProcess(pid, window))
        PostClose(CloseRequest{pid, 0});
}

bool WaitForProcessExit(DWORD pid, DWORD dialogDelay) {
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    // A process that cannot be opened counts as ended: it is gone, or it belongs to someone
    // this program cannot wait for anyway.
    if (!process)
        return true;
    return WaitForSingleObject(process.get(), dialogDelay) == WAIT_OBJECT_0;
}

bool CloseProcessWindows(DWORD pid, DWORD dialogDelay) {
    return CloseProcessWindows(nullptr, pid, dialogDelay);
}

bool CloseProcessWindows(HWND window, DWORD pid, DWORD dialogDelay) {
    UniqueHandle process = HoldProcess(pid, window);
    if (!process)
        return !window ? Gone(pid) : !IsWindow(window) && Gone(pid);
    PostClose(CloseRequest{pid, 0});
    if (WaitForSingleObject(process.get(), dialogDelay) == WAIT_OBJECT_0)
        return true;
    MsgBox(L"HANGING HERE", MB_OK, Product().name);
    return false;
}

void CloseWowTask(HWND hwnd, DWORD dialogDelay) {
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(hwnd, &pid);
    // Other tasks in the same virtual DOS machine run on threads of their own and stay.
    if (tid != 0)
        PostClose(CloseRequest{pid, tid});
    Sleep(100);
    if (GetWindowThreadProcessId(hwnd, nullptr) == 0)
        return;
    Sleep(dialogDelay);
}

std::optional<DWORD> IntegrityLevelOf(HANDLE process) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &raw))
        return std::nullopt;
    UniqueHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenIntegrityLevel, nullptr, 0, &size);
    if (size == 0)
        return std::nullopt;
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token.get(), TokenIntegrityLevel, buffer.data(), size, &size))
        return std::nullopt;
    PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
    if (!sid || !IsValidSid(sid) || *GetSidSubAuthorityCount(sid) == 0)
        return std::nullopt;
    return *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1);
}

bool RunsWithMoreRights(DWORD pid) {
    if (pid == 0 || pid == GetCurrentProcessId())
        return false;
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    HANDLE raw = nullptr;
    bool opened = OpenProcessToken(process.get(), TOKEN_QUERY, &raw);
    UniqueHandle token(raw); // only whether it opens counts
    if (!opened)
        return GetLastError() == ERROR_ACCESS_DENIED;
    std::optional<DWORD> theirs = IntegrityLevelOf(process.get());
    std::optional<DWORD> ours = IntegrityLevelOf(GetCurrentProcess());
    return theirs && ours && *theirs > *ours;
}

DWORD SetProcessPriority(DWORD pid, HWND hwnd, DWORD priorityClass) {
    if (pid == 0)
        GetWindowThreadProcessId(hwnd, &pid);
    if (pid == 0)
        return 0;
    UniqueHandle process(
        OpenProcess(PROCESS_SET_INFORMATION | PROCESS_QUERY_INFORMATION, FALSE, pid));
    if (process)
        SetPriorityClass(process.get(), priorityClass);
    else
        process.reset(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid));
    return process ? GetPriorityClass(process.get()) : 0;
}

} // namespace merilane
