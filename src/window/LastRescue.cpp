#include "window/LastRescue.h"
#include "controls/CrashDump.h"
#include "window/CaptureRecord.h"
#include "window/GiveBack.h"
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <initializer_list>

namespace merilane {
namespace {

constexpr int kMax = HeldWindows::kCapacity;
constexpr DWORD kAbortCode = 3; // what abort() ends a program with
constexpr DWORD kInvalidCrtParameter = 0xC0000417;
constexpr DWORD kWorkerStack = 64 * 1024;

// Everything the rescue touches is made at start and lives here: when the program breaks down,
// the heap may be what broke, or be locked by the thread that did.
struct State {
    volatile LONG started = 0;
    volatile LONG phase = 0; // how far the rescue has come; a fault in it skips that step
    DWORD uiThread = 0;
    HANDLE wake = nullptr; // set when a failure hands the rescue over
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    Ending ending = Ending::Fault;
    DWORD code = 0;
    DWORD failedThread = 0;
    EXCEPTION_POINTERS* pointers = nullptr;
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;
    // One give-back thread per window, each on its own: a hung program holds up only its own.
    CaptureRecord records[kMax];
    HANDLE workers[kMax];
    volatile bool wasInside[kMax]; // a record may outlive its window's way out by a moment
    volatile DWORD workerIds[kMax];
    volatile LONG count = 0;
    CaptureRecord fresh[kMax];
    wchar_t dump[MAX_PATH];
    wchar_t what[256];
    wchar_t text[1024];
};
State g;

bool IsOurs(HWND hwnd) noexcept {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid == GetCurrentProcessId();
}

// Whether the window sits inside one of our windows. Reading the parent chain asks nothing of
// anyone, so a hung program cannot hold this up.
bool InsideUs(HWND hwnd) noexcept {
    HWND desktop = GetDesktopWindow();
    HWND up = GetAncestor(hwnd, GA_PARENT);
    for (int depth = 0; up && up != desktop && depth < 64; ++depth) {
        if (IsOurs(up))
            return true;
        up = GetAncestor(up, GA_PARENT);
    }
    return false;
}

bool Running(int slot) noexcept {
    return g.workers[slot] && WaitForSingleObject(g.workers[slot], 0) == WAIT_TIMEOUT;
}

bool IsWorker(DWORD thread) noexcept {
    for (int i = 0; i < g.count; ++i)
        if (g.workerIds[i] == thread)
            return true;
    return false;
}

void (*g_probe)(HWND) noexcept = nullptr;

DWORD WINAPI GiveBackOne(void* slot) {
    const CaptureRecord& record = g.records[reinterpret_cast<INT_PTR>(slot)];
    if (g_probe)
        g_probe(record.window);
    GiveBackNow(record);
    return 0;
}

void StartWorker(int slot) noexcept {
    if (g.workers[slot])
        CloseHandle(g.workers[slot]);
    DWORD id = 0;
    g.workers[slot] =
        CreateThread(nullptr, kWorkerStack, GiveBackOne, reinterpret_cast<void*>(INT_PTR{slot}),
                     CREATE_SUSPENDED | STACK_SIZE_PARAM_IS_A_RESERVATION, &id);
    // Known as a worker before it runs, so that a fault inside it ends only that thread.
    g.workerIds[slot] = id;
    if (g.workers[slot])
        ResumeThread(g.workers[slot]);
    else
        GiveBackNow(g.records[slot]); // no thread to be had: better here than not at all
}

// Starts a give-back for every held window of another program that is not out yet and has none
// under way. The table is read afresh each time: a thread that is still alive may have taken a
// window in since. A window on its way in is in the table already and goes back like the rest.
int StartGiveBacks() noexcept {
    int n = HeldWindows::Snapshot(g.fresh, kMax);
    int started = 0;
    for (int i = 0; i < n; ++i) {
        HWND hwnd = g.fresh[i].window;
        // One on its way in is given back once it is in: given back now, it would be made a
        // child afterwards, on the desktop, without its frame.
        if (!IsWindow(hwnd) || IsOurs(hwnd) || HeldWindows::MovingIn(hwnd))
            continue;
        int slot = -1;
        for (int k = 0; k < g.count && slot < 0; ++k)
            if (g.records[k].window == hwnd)
                slot = k;
        if (slot >= 0 && (Running(slot) || !InsideUs(hwnd)))
            continue;
        if (slot < 0) {
            if (g.count >= kMax)
                continue;
            slot = g.count;
            g.records[slot] = g.fresh[i];
            InterlockedIncrement(&g.count);
        }
        // One on the desktop may be on its way in as well as out: it goes back all the same,
        // behind its move, but only one that was inside counts as given back.
        g.wasInside[slot] = g.wasInside[slot] || InsideUs(hwnd);
        StartWorker(slot);
        ++started;
    }
    return started;
}

// Whether a move into a host that began before the breakdown is still under way.
bool AnyMovingIn() noexcept {
    int n = HeldWindows::Snapshot(g.fresh, kMax);
    for (int i = 0; i < n; ++i)
        if (HeldWindows::MovingIn(g.fresh[i].window))
            return true;
    return false;
}

void WaitForMovesIn(DWORD timeoutMs) noexcept {
    DWORD start = GetTickCount();
    while (AnyMovingIn() && (timeoutMs == INFINITE || GetTickCount() - start < timeoutMs))
        Sleep(50);
}

void WaitForWorkers(DWORD timeoutMs) noexcept {
    DWORD start = GetTickCount();
    for (int i = 0; i < g.count; ++i) {
        DWORD spent = GetTickCount() - start;
        if (timeoutMs != INFINITE && spent >= timeoutMs)
            return;
        if (g.workers[i])
            WaitForSingleObject(g.workers[i], timeoutMs == INFINITE ? INFINITE : timeoutMs - spent);
    }
}

template <class... Args> void Append(const wchar_t* format, Args... args) noexcept {
    // wsprintfW writes at most 1024 characters and knows no bound of its own: each piece is
    // made apart and cut to the room that is left.
    wchar_t piece[1025];
    wsprintfW(piece, format, args...);
    int used = lstrlenW(g.text);
    int room = static_cast<int>(sizeof(g.text) / sizeof(g.text[0])) - used;
    if (room > 1)
        lstrcpynW(g.text + used, piece, room);
}

void TellTheUser() noexcept {
    int givenBack = 0;
    int inside = 0;
    for (int i = 0; i < g.count; ++i) {
        HWND hwnd = g.records[i].window;
        if (Running(i) || (IsWindow(hwnd) && (InsideUs(hwnd) || HeldWindows::MovingIn(hwnd))))
            ++inside;
        else if (IsWindow(hwnd) && g.wasInside[i])
            ++givenBack;
    }
    DescribeEnding(g.ending, g.code, g.failedThread == g.uiThread, g.what);
    g.text[0] = 0;
    Append(L"Merilane broke down: %s.\n\n", g.what);
    Append(givenBack == 1 ? L"%d window of another program was given back to the desktop."
                          : L"%d windows of other programs were given back to the desktop.",
           givenBack);
    if (inside)
        Append(inside == 1 ? L"\n%d window does not answer yet: it stays whole where it is, and "
                             L"Merilane ends as soon as it is back on the desktop."
                           : L"\n%d windows do not answer yet: they stay whole where they are, and "
                             L"Merilane ends as soon as they are back on the desktop.",
               inside);
    if (g.dump[0])
        Append(L"\n\n%s\n%s\n%s", kReportSavedAs, g.dump, kReportHolds);
    else
        Append(L"\n\n%s", kNoReport);
    MessageBoxW(nullptr, g.text, L"Merilane", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

[[noreturn]] void RunRescue() noexcept {
    for (;;) {
        switch (g.phase) {
        case 0: // The windows first: nothing after this may cost them.
            StartGiveBacks();
            WaitForWorkers(kRescueWaitMs);
            WaitForMovesIn(kRescueWaitMs);
            if (StartGiveBacks())
                WaitForWorkers(kRescueWaitMs);
            break;
        case 1:
            WriteCrashDump(g.failedThread, g.pointers, g.dump, MAX_PATH);
            break;
        case 2:
            TellTheUser();
            break;
        case 3: // Ending with a window inside would destroy it, with whatever it holds.
            WaitForWorkers(INFINITE);
            WaitForMovesIn(INFINITE);
            if (StartGiveBacks())
                WaitForWorkers(INFINITE);
            break;
        default:
            TerminateProcess(GetCurrentProcess(), ExitCodeOf(g.ending, g.code));
            for (;;)
                Sleep(INFINITE);
        }
        InterlockedIncrement(&g.phase);
    }
}

// Every ending comes here, on the thread that met it.
[[noreturn]] void Rescue(Ending ending, DWORD code, EXCEPTION_POINTERS* pointers) noexcept {
    DWORD self = GetCurrentThreadId();
    // A fault while giving one window back ends that give-back only; the others go on.
    if (IsWorker(self))
        ExitThread(code);
    if (InterlockedCompareExchange(&g.started, 1, 0) != 0) {
        if (self == g.threadId) { // the rescue itself broke down: on with the next step
            InterlockedIncrement(&g.phase);
            RunRescue();
        }
        // A second failure elsewhere: the rescue under way ends the process.
        for (;;)
            Sleep(INFINITE);
    }
    HeldWindows::Close();
    g.ending = ending;
    g.code = code;
    g.failedThread = self;
    g.pointers = pointers;
    // This thread may have no stack left, or hold locks: the rescue thread does the work.
    if (g.thread && self != g.threadId) {
        SetEvent(g.wake);
        WaitForSingleObject(g.thread, INFINITE);
    }
    RunRescue();
}

DWORD WINAPI RescueThread(void*) {
    WaitForSingleObject(g.wake, INFINITE);
    RunRescue();
}

bool IsCppRuntimeCode(DWORD code) noexcept {
    // GCC's own exceptions ("GCC" with 0x20, 0x21, 0x22) pass the last filter on their way to
    // std::terminate, which has its own rescue.
    return code == 0x20474343 || code == 0x21474343 || code == 0x22474343;
}

LONG WINAPI OnUnhandledFault(EXCEPTION_POINTERS* pointers) {
    DWORD code =
        pointers && pointers->ExceptionRecord ? pointers->ExceptionRecord->ExceptionCode : 0;
    if (IsCppRuntimeCode(code))
        return g.previousFilter ? g.previousFilter(pointers) : EXCEPTION_CONTINUE_SEARCH;
    Rescue(Ending::Fault, code, pointers);
}

// A stack overflow may leave too little stack to reach the last filter; vectored handlers come
// first. Only this code is taken here: the others may yet be caught further up.
LONG WINAPI OnStackOverflow(EXCEPTION_POINTERS* pointers) {
    if (pointers->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW)
        Rescue(Ending::Fault, EXCEPTION_STACK_OVERFLOW, pointers);
    return EXCEPTION_CONTINUE_SEARCH;
}

void OnTerminate() {
    Rescue(Ending::Terminate, kAbortCode, nullptr);
}

void OnAbort(int) {
    Rescue(Ending::Abort, kAbortCode, nullptr);
}

void __cdecl OnInvalidParameter(const wchar_t*, const wchar_t*, const wchar_t*, unsigned,
                                uintptr_t) {
    Rescue(Ending::InvalidParameter, kInvalidCrtParameter, nullptr);
}

void __cdecl OnPureCall() {
    Rescue(Ending::PureCall, kAbortCode, nullptr);
}

} // namespace

// GCC's code calls this, not the C runtime's handler, for a pure virtual call.
extern "C" void __cxa_pure_virtual() {
    OnPureCall();
}

DWORD ExitCodeOf(Ending ending, DWORD faultCode) noexcept {
    switch (ending) {
    case Ending::Fault:
        return faultCode ? faultCode : kAbortCode;
    case Ending::InvalidParameter:
        return kInvalidCrtParameter;
    default:
        return kAbortCode;
    }
}

void DescribeEnding(Ending ending, DWORD faultCode, bool onUiThread, wchar_t* out) noexcept {
    const wchar_t* what = L"an unexpected fault";
    switch (ending) {
    case Ending::Fault:
        switch (faultCode) {
        case EXCEPTION_ACCESS_VIOLATION:
            what = L"an access violation";
            break;
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_PRIV_INSTRUCTION:
            what = L"an illegal instruction";
            break;
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_FLT_DIVIDE_BY_ZERO:
            what = L"a division by zero";
            break;
        case EXCEPTION_STACK_OVERFLOW:
            what = L"a stack overflow";
            break;
        }
        break;
    case Ending::Terminate:
        what = L"a C++ failure nothing could catch (std::terminate)";
        break;
    case Ending::Abort:
        what = L"an abort";
        break;
    case Ending::InvalidParameter:
        what = L"an invalid parameter given to the C runtime";
        break;
    case Ending::PureCall:
        what = L"a call of a pure virtual function";
        break;
    }
    const wchar_t* where = onUiThread ? L"the user-interface thread" : L"another of its threads";
    if (ending == Ending::Fault)
        wsprintfW(out, L"%s (0x%08lX) on %s", what, faultCode, where);
    else
        wsprintfW(out, L"%s on %s", what, where);
}

void SetGiveBackProbe(void (*probe)(HWND) noexcept) noexcept {
    g_probe = probe;
}

void InstallLastRescue() noexcept {
    if (g.wake)
        return;
    g.uiThread = GetCurrentThreadId();
    PrepareCrashDump();
    g.wake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g.thread = CreateThread(nullptr, 256 * 1024, RescueThread, nullptr,
                            STACK_SIZE_PARAM_IS_A_RESERVATION, &g.threadId);
    // Room for the handler below on the thread most likely to recurse too deep.
    ULONG guarantee = 64 * 1024;
    SetThreadStackGuarantee(&guarantee);
    AddVectoredExceptionHandler(1, OnStackOverflow);
    g.previousFilter = SetUnhandledExceptionFilter(OnUnhandledFault);
    std::set_terminate(OnTerminate);
    signal(SIGABRT, OnAbort);
    // abort() would otherwise show a box of its own, and wait on it, before the rescue.
    _set_error_mode(_OUT_TO_STDERR);
    _set_invalid_parameter_handler(OnInvalidParameter);
    _set_purecall_handler(OnPureCall);
    // The setters above, as linked, may keep the handler to themselves: the runtime DLL that
    // meets a bad parameter then never hears of it. Tell the DLL itself too.
    for (const wchar_t* name : {L"msvcrt.dll", L"ucrtbase.dll"}) {
        HMODULE crt = GetModuleHandleW(name);
        if (!crt)
            continue;
        using SetInvalid = _invalid_parameter_handler(__cdecl*)(_invalid_parameter_handler);
        using SetPure = _purecall_handler(__cdecl*)(_purecall_handler);
        if (auto set = reinterpret_cast<SetInvalid>(
                reinterpret_cast<void*>(GetProcAddress(crt, "_set_invalid_parameter_handler"))))
            set(OnInvalidParameter);
        if (auto set = reinterpret_cast<SetPure>(
                reinterpret_cast<void*>(GetProcAddress(crt, "_set_purecall_handler"))))
            set(OnPureCall);
    }
}

} // namespace merilane
