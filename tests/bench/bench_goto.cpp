// Measures "Go to tab" with many tabs: from its key to the box shown, and from a keystroke in
// its filter to the list refiltered and drawn.   bench_goto [tabs]   (default: 50)
#include "ChildProcess.h"
#include "ContainerSession.h"
#include "RemoteControls.h"
#include "TestSupport.h"
#include "app/Globals.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace merilane;
using namespace merilane::test;

namespace {

double g_pressed = 0;
bool g_done = false;
std::vector<double> g_shown, g_keystrokes;

// The box runs its own modal loop: it is measured from a timer that ticks inside it.
void CALLBACK Probe(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowW(L"MerilaneGoToTab", nullptr);
    if (!box || !IsWindowVisible(box))
        return;
    g_shown.push_back(NowMs() - g_pressed);
    KillTimer(nullptr, id);
    HWND filter = FindWindowExW(box, nullptr, L"Edit", nullptr);
    HWND list = FindWindowExW(box, nullptr, L"ListBox", nullptr);
    const std::wstring typed = L"window 4";
    for (size_t n = 1; n <= typed.size(); ++n) {
        double start = NowMs();
        SetWindowTextW(filter, typed.substr(0, n).c_str()); // refilters as a keystroke does
        UpdateWindow(list);
        g_keystrokes.push_back(NowMs() - start);
    }
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    g_done = true;
}

void Report(const char* what, std::vector<double> ms, double goal) {
    std::sort(ms.begin(), ms.end());
    if (ms.empty())
        return (void)std::printf("%-40s no samples\n", what);
    std::printf("%-40s median %7.2f ms, worst %7.2f ms (%zu)   (goal: at most %.0f ms)\n", what,
                ms[ms.size() / 2], ms.back(), ms.size(), goal);
}

} // namespace

int main(int argc, char** argv) {
    int tabs = argc > 1 ? std::atoi(argv[1]) : 50;
    std::vector<std::wstring> args;
    for (int i = 1; i < tabs; ++i) {
        if (i > 1)
            args.push_back(L"--window");
        args.insert(args.end(), {L"--title", L"Window " + std::to_wstring(i)});
    }
    auto program = ChildProcess::Fixture(args);
    WaitUntil([&] { return static_cast<int>(program.Windows().size()) >= tabs - 1; }, 60000);
    ContainerSession session(ContainerSession::Timers::On);
    for (HWND w : program.Windows())
        CaptureWindow(w);
    SetForegroundWindow(session.Container());
    WaitUntil([&] { return ContainerForm->HookInstalled; }, 5000);
    std::printf("%d tabs\n", ContainerForm->TabStrip1.Count());
    for (int round = 0; round < 10; ++round) {
        g_done = false;
        SetTimer(nullptr, 0, 1, Probe);
        g_pressed = NowMs();
        SendKeys({VK_CONTROL, VK_SHIFT, VK_SPACE});
        WaitUntil([] { return g_done; }, 10000);
        WaitUntil([] { return !FindWindowW(L"MerilaneGoToTab", nullptr); }, 5000);
        SetForegroundWindow(session.Container());
    }
    for (double ms : g_shown)
        std::printf("%.1f ", ms);
    std::printf("\n");
    Report("key to Go to tab shown", g_shown, 100);
    Report("keystroke to list refiltered", g_keystrokes, 16);
    return 0;
}
