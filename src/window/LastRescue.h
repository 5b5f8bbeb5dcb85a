#pragma once
#include <windows.h>

namespace merilane {

// How long the last rescue waits, for all held windows together, before it tells the user. A
// window whose program does not answer by then is not dropped: it is left whole where it is and
// comes out when its program answers (or goes with its program), and only then does Merilane
// end.
constexpr DWORD kRescueWaitMs = 3000;

// Makes sure that no way Merilane can break down takes a captured window with it: an unhandled
// fault on any thread (a stack overflow included), std::terminate, abort, the C runtime's
// invalid-parameter and pure-call ends. Each gives every window held in HeldWindows back to the
// desktop from a rescue thread made now, writes a crash report, tells the user, and ends the
// process with a failure code. Call once, at start, on the user-interface thread. C++ failures
// that reach the program's own failure handler never come here.
void InstallLastRescue() noexcept;

// Only for builds made to test the rescue: `probe` runs on each give-back's thread just before
// that window is given back, so that such a build can break down there too. The program itself
// never sets one.
void SetGiveBackProbe(void (*probe)(HWND) noexcept) noexcept;

// What broke the program down.
enum class Ending { Fault, Terminate, Abort, InvalidParameter, PureCall };

// The exit code the program ends with: the fault's own code where there is one.
DWORD ExitCodeOf(Ending ending, DWORD faultCode) noexcept;
// What happened in the user's words, e.g. "an access violation (0xC0000005) on the
// user-interface thread"; written into `out` (at least 160 characters).
void DescribeEnding(Ending ending, DWORD faultCode, bool onUiThread, wchar_t* out) noexcept;

} // namespace merilane
