#include "TestSupport.h"
#include "controls/UiThread.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

// A test program that ends any other way than by returning from main says so, with the test it
// was in, before it goes: otherwise ctest shows a failure without a word of output.
bool g_finished = false;
bool g_said = false;

// Written straight to the handle: at process end the C runtime may already be gone.
void Say(const char* what, unsigned long code = 0, bool once = true) {
    if (once && g_said)
        return;
    g_said = g_said || once;
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    char codeText[16] = {};
    if (code)
        snprintf(codeText, sizeof(codeText), " 0x%08lx", code);
    char line[1024];
    int n = test ? snprintf(line, sizeof(line), "\n*** %s%s during %s.%s\n", what, codeText,
                            test->test_suite_name(), test->name())
                 : snprintf(line, sizeof(line), "\n*** %s%s outside any test\n", what, codeText);
    if (n <= 0)
        return;
    fflush(stdout);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line,
              static_cast<DWORD>(n < static_cast<int>(sizeof(line)) ? n : sizeof(line) - 1),
              &written, nullptr);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) {
    Say("unhandled exception", info->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

void OnTerminate() {
    Say("std::terminate (an exception left a noexcept function or a thread)");
    std::_Exit(3);
}

void OnAbort(int) {
    Say("abort");
}

void OnExit() {
    if (!g_finished)
        Say("exit() called");
}

// ExitProcess runs no atexit handler; a callback at thread-local-storage detach still runs.
void NTAPI OnProcessDetach(PVOID, DWORD reason, PVOID) {
    if (reason == DLL_PROCESS_DETACH && !g_finished)
        Say("the process ended (ExitProcess or TerminateProcess)");
}

// ctest ends a test that outlives its time-out without a word from it; a little before then,
// the test says where it is stuck.
DWORD WINAPI Watchdog(void* finished) {
    wchar_t seconds[16] = {};
    int limit = GetEnvironmentVariableW(L"MERILANE_TEST_WATCHDOG_SECONDS", seconds, 16)
                    ? _wtoi(seconds)
                    : 100;
    if (limit > 0 &&
        WaitForSingleObject(finished, static_cast<DWORD>(limit) * 1000) == WAIT_TIMEOUT) {
        char what[64];
        snprintf(what, sizeof(what), "still running after %d s", limit);
        Say(what, 0, false);
    }
    return 0;
}

} // namespace

extern "C" {
// The loader calls every pointer in the .CRT$XL* sections at thread and process start and end.
__attribute__((section(".CRT$XLM"), used)) PIMAGE_TLS_CALLBACK merilaneTestTlsCallback =
    OnProcessDetach;
}

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(OnUnhandledException);
    std::set_terminate(OnTerminate);
    std::signal(SIGABRT, OnAbort);
    std::atexit(OnExit);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    testing::InitGoogleTest(&argc, argv);
    merilane::test::FailTestsOnUnhandledFailures();
    merilane::BindUiThread();
    HANDLE finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE watchdog = CreateThread(nullptr, 0, Watchdog, finished, 0, nullptr);
    int result = RUN_ALL_TESTS();
    g_finished = true;
    SetEvent(finished);
    if (watchdog) {
        WaitForSingleObject(watchdog, INFINITE);
        CloseHandle(watchdog);
    }
    CloseHandle(finished);
    fflush(stdout);
    return result;
}
