// Measures what a refresh of the task table and of the window list costs against a bare walk
// over the desktop's windows, with N windows of another process on the desktop.
//   bench_window_list [N ...]        (default: 50 200)
#include "ChildProcess.h"
#include "TestSupport.h"
#include "selection/CTLWindowList.h"
#include "selection/CTaskList.h"
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace merilane;
using namespace merilane::test;

namespace {

template <class F> double TimedMs(F&& f) {
    double start = NowMs();
    f();
    return NowMs() - start;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

bool HasTitle(HWND h) {
    wchar_t title[256];
    DWORD_PTR n = 0;
    return SendMessageTimeoutW(h, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(title),
                               SMTO_ABORTIFHUNG, 500, &n) &&
           n > 0;
}

int BareWalk() {
    int titled = 0;
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
        titled += HasTitle(h);
    return titled;
}

// What any refresh must ask of each window under the task rules, and nothing else: its style
// (visible, child), its owner and its extended style (tool window), then its title. Under Wine
// each of the three reads is a trip to the window server, as the bare walk's step is.
int RequiredReads() {
    std::vector<HWND> desktop;
    EnumWindows(
        [](HWND h, LPARAM out) {
            reinterpret_cast<std::vector<HWND>*>(out)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&desktop));
    int titled = 0;
    for (HWND h : desktop) {
        if (!(GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE) || GetWindow(h, GW_OWNER) ||
            (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
            continue;
        titled += HasTitle(h);
    }
    return titled;
}

void Measure(int n) {
    std::vector<std::wstring> args;
    for (int i = 0; i < n; ++i) {
        if (i)
            args.push_back(L"--window");
        args.push_back(L"--title");
        args.push_back(L"Bench window " + std::to_wstring(i));
    }
    auto fixture = ChildProcess::Fixture(args);
    if (!WaitUntil([&] { return static_cast<int>(fixture.Windows().size()) >= n; }, 60000)) {
        std::printf("N=%d: the fixture did not open its windows\n", n);
        return;
    }
    const int rounds = n >= 200 ? 10 : 20;
    // A program that has just opened its windows is still busy with them: let it settle.
    Pump(2000);

    CTaskList tasks;
    tasks.Refresh();
    HWND parent = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400,
                                  nullptr, nullptr, nullptr, nullptr);
    CTLWindowList list;
    list.Create(parent, 1);
    list.SetTimerEnabled(false);
    list.RefreshTaskList();
    int titled = BareWalk();
    long writesBefore = list.ListView1.CellWrites();
    // Round by round, so that whatever else the machine does falls on all three alike.
    std::vector<double> taskTimes, listTimes, bareTimes, readsTimes;
    for (int i = 0; i < rounds; ++i) {
        taskTimes.push_back(TimedMs([&] { tasks.Refresh(); }));
        listTimes.push_back(TimedMs([&] { list.RefreshTaskList(); }));
        bareTimes.push_back(TimedMs([&] { titled = BareWalk(); }));
        readsTimes.push_back(TimedMs([&] { RequiredReads(); }));
    }
    double writesPerRefresh =
        static_cast<double>(list.ListView1.CellWrites() - writesBefore) / rounds;
    double taskRefresh = Median(taskTimes), listRefresh = Median(listTimes),
           bare = Median(bareTimes), reads = Median(readsTimes);

    std::printf("N=%d  tasks=%ld rows=%d titled top-level windows=%d\n", n, tasks.Count(),
                list.ListView1.Count(), titled);
    std::printf("  medians of %d rounds:\n", rounds);
    std::printf("  CTaskList.Refresh       %8.2f ms\n", taskRefresh);
    std::printf("  RefreshTaskList         %8.2f ms\n", listRefresh);
    std::printf("  bare walk + one title   %8.2f ms\n", bare);
    std::printf("  the reads the rules need %7.2f ms\n", reads);
    std::printf("  ratio Refresh/bare      %8.2f\n", taskRefresh / bare);
    std::printf("  ratio needed reads/bare %8.2f   (the least any refresh can cost)\n",
                reads / bare);
    std::printf("  ratio RefreshTaskList/bare %5.2f   (goal: at most %.2f)\n", listRefresh / bare,
                n >= 200 ? 1.25 : 1.15);
    std::printf("  cells written per refresh with nothing changed: %.2f   (goal: 0)\n",
                writesPerRefresh);
    DestroyWindow(parent);
}

} // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {50, 200};
    for (int n : sizes)
        Measure(n);
    return 0;
}
