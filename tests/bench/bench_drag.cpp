// Measures the drag of another program's window onto the container's tabs: how long each call
// of the low-level mouse hook takes while a drag runs over the strip, and how long it takes
// from the release of the button to the window shown in its tab.
//   bench_drag [drags]        (default: 10)
#include "ChildProcess.h"
#include "ContainerSession.h"
#include "RemoteControls.h"
#include "TestSupport.h"
#include "app/Globals.h"
#include "app/frmSSTab.h"
#include "window/MMouse.h"
#include <windows.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace merilane;
using namespace merilane::test;

namespace {

double Percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * values.size()))];
}

bool InMoveLoop(HWND window) {
    GUITHREADINFO info{sizeof(info)};
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
           info.hwndMoveSize == window;
}

bool ShownInItsTab(HWND window, HWND container) {
    return IsDescendantOf(window, container) && IsWindowVisible(ParentOf(window)) &&
           IsZoomed(window);
}

// One drag, driven from another thread while this one runs the container: over the whole
// strip and back, let go before the first tab. Answers the milliseconds from the release to
// the window shown in its tab (-1 when it never was), and the hook's calls meanwhile.
double DragIn(HWND window, HWND container, HWND strip, std::vector<double>& hookTimes) {
    RECT box{};
    GetWindowRect(container, &box);
    SetWindowPos(window, HWND_TOP, box.right + 10, 200, 300, 200, SWP_SHOWWINDOW);
    Pump(200);
    RECT first = TabRect(strip, 0);
    POINT caption = CaptionPoint(window);
    int y = (first.top + first.bottom) / 2;
    std::atomic<bool> done{false};
    std::atomic<double> releasedAt{0};
    uint64_t callsBefore = 0;
    std::thread driver([&] {
        SendPointer(caption);
        Sleep(50);
        SendPointer(caption, MOUSEEVENTF_LEFTDOWN);
        Sleep(50);
        SendPointer({caption.x - 5, caption.y});
        for (int i = 0; i < 300 && !InMoveLoop(window); ++i)
            Sleep(10);
        callsBefore = MouseHookCalls();
        for (int i = 0; i <= 40; ++i) {
            int x = i <= 20 ? box.right - (box.right - first.left) * i / 20
                            : first.left + (box.right - first.left) * (i - 20) / 20;
            SendPointer({x, y});
            Sleep(15);
        }
        SendPointer({first.left + 3, y});
        Sleep(15);
        releasedAt = NowMs();
        SendPointer({first.left + 3, y}, MOUSEEVENTF_LEFTUP);
        done = true;
    });
    double shown = -1;
    WaitUntil(
        [&] {
            if (done && shown < 0 && ShownInItsTab(window, container))
                shown = NowMs() - releasedAt;
            return shown >= 0;
        },
        15000);
    driver.join();
    std::vector<double> all = MouseHookCallTimesUs();
    uint64_t calls = MouseHookCalls();
    size_t during = static_cast<size_t>(std::min<uint64_t>(calls - callsBefore, all.size()));
    hookTimes.insert(hookTimes.end(), all.end() - static_cast<std::ptrdiff_t>(during), all.end());
    return shown;
}

} // namespace

int main(int argc, char** argv) {
    int drags = argc > 1 ? std::atoi(argv[1]) : 10;
    ContainerSession session(ContainerSession::Timers::On);
    HWND container = session.Container(), strip = session.TabStrip();
    SetForegroundWindow(container);
    if (!WaitUntil([] { return static_cast<bool>(MouseHookHandle); }, 5000)) {
        std::printf("the mouse hook was not installed\n");
        return 1;
    }
    std::vector<std::wstring> args;
    for (int i = 0; i < drags; ++i) {
        if (i)
            args.push_back(L"--window");
        args.insert(args.end(), {L"--title", L"Dragged in " + std::to_wstring(i)});
    }
    ChildProcess program = ChildProcess::Fixture(args);
    std::vector<double> hookTimes, toShown;
    int failed = 0;
    for (int i = 0; i < drags; ++i) {
        HWND window = program.WaitForWindow(L"Dragged in " + std::to_wstring(i));
        double ms = window ? DragIn(window, container, strip, hookTimes) : -1;
        if (ms < 0)
            ++failed;
        else
            toShown.push_back(ms);
    }
    std::printf("mouse hook while a drag runs over the strip: %zu calls, p50 %.1f us, p99 %.1f us, "
                "max %.1f us\n",
                hookTimes.size(), Percentile(hookTimes, 0.5), Percentile(hookTimes, 0.99),
                hookTimes.empty() ? 0.0 : *std::max_element(hookTimes.begin(), hookTimes.end()));
    std::printf("release to window shown in its tab: %zu drags, p50 %.1f ms, max %.1f ms; %d not "
                "taken in\n",
                toShown.size(), Percentile(toShown, 0.5),
                toShown.empty() ? 0.0 : *std::max_element(toShown.begin(), toShown.end()), failed);
    return failed ? 1 : 0;
}
