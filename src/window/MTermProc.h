#pragma once
#include <windows.h>
#include <optional>
#include <string>

namespace merilane {

// Ends other programs by asking them to (WM_CLOSE to their unowned top-level windows), tells
// 16-bit and DOS processes from ordinary ones, and sets priority classes. Nothing here ever
// kills a process.

// Whether the virtual DOS machine runs 16-bit Windows tasks in the process. False wherever the
// virtual DOS machine's debugging library is missing, as on every 64-bit Windows.
bool IsWowProcess(DWORD pid);
// Whether the process is a virtual DOS machine that runs a DOS program rather than WOW tasks.
bool IsDosProcess(DWORD pid);

// Asks the process's windows to close and waits up to `dialogDelay` ms for the process to end.
// When it does not, says so in a message box and answers false; the process keeps running.
// The process is held from the start, so that its id cannot pass to another one meanwhile; one
// that cannot be held is not asked, and counts as ended only when it is gone.
bool CloseProcessWindows(DWORD pid, DWORD dialogDelay);
// The same for the program of a task's window, by the id its row was read with: nothing is
// asked when the window no longer belongs to that process (the id may be another's now).
bool CloseProcessWindows(HWND window, DWORD pid, DWORD dialogDelay);
// Asks the windows of the thread of `hwnd` (one 16-bit task) to close; returns about 100 ms
// later when the window has gone, otherwise after a further `dialogDelay` ms.
void CloseWowTask(HWND hwnd, DWORD dialogDelay);
// Posts WM_CLOSE to every unowned top-level window of the process; does not wait. With a
// window, only while it still belongs to that process.
void PostCloseToProcess(DWORD pid, HWND window = nullptr);
// True when the process ends within `dialogDelay` ms or is gone already.
bool WaitForProcessExit(DWORD pid, DWORD dialogDelay);
// Sets the priority class of the process (pid 0: the process of `hwnd`) and answers the class
// it has afterwards, 0 when the process cannot be opened.
DWORD SetProcessPriority(DWORD pid, HWND hwnd, DWORD priorityClass);

// Whether the process runs with more rights than this one (a higher integrity level, or one it
// may not even look at). Windows drops most messages from here to its windows, so holding one
// of them would half work.
bool RunsWithMoreRights(DWORD pid);
// The integrity level of a process's token (a SECURITY_MANDATORY_*_RID), or nothing when it
// cannot be read.
std::optional<DWORD> IntegrityLevelOf(HANDLE process);

// The shape of the virtual DOS machine's WOW process listing and of its callback, which
// returns TRUE to end the listing.
using WowProcessCallback = BOOL(WINAPI*)(DWORD pid, DWORD attributes, LPARAM context);
using WowProcessLister = INT(WINAPI*)(WowProcessCallback callback, LPARAM context);
// Whether the lister names the process; false without a lister.
bool IsListedWowProcess(DWORD pid, WowProcessLister lister);
// Whether an executable file name is that of the virtual DOS machine, in any letter case.
bool IsVdmExecutableName(const std::wstring& fileName);

} // namespace merilane
