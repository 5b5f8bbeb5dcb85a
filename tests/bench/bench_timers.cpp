// Measures what the container's two watch timers cost: Merilane's CPU while it sits idle with
// captured windows and many other windows on the desktop, and how long a message posted to it
// waits while a program on the desktop has just stopped answering; and what one z-order
// question costs when read from the desktop's order, against a freshly built task table.
//   bench_timers [other windows] [seconds]        (default: 50 5)
#include "ChildProcess.h"
#include "ContainerSession.h"
#include "TestSupport.h"
#include "app/Globals.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "selection/CTaskList.h"
#include "selection/WindowRules.h"
#include "tabs/CSSTab.h"
#include <windows.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

using namespace merilane;
using namespace merilane::test;

namespace {

double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

constexpr UINT kProbe = WM_APP + 0x400;
std::vector<double>* g_delays = nullptr;
// When each probe was posted, by its number.
constexpr size_t kMostProbes = 100000;
std::vector<double> g_sentAt(kMostProbes);

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kProbe && g_delays && wp < kMostProbes) {
        g_delays->push_back(NowMs() - g_sentAt[wp]);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// A program that stops answering the moment it is asked to, as programs do.
std::unique_ptr<ChildProcess> HangingProgram() {
    auto program =
        std::make_unique<ChildProcess>(ChildProcess::Fixture({L"--title", L"Stops answering"}));
    HWND hwnd = program->WaitForWindow(L"Stops answering");
    const UINT hangNow = WM_APP + 77;
    HangFixtureOn(hwnd, hangNow, 0);
    PostMessageW(hwnd, hangNow, 0, 0);
    WaitUntil([&] { return FixtureHangs(hwnd); }, 5000);
    return program;
}

// Runs the thread's message loop the way the program's own does, blocking between messages.
void IdleFor(int milliseconds) {
    UINT_PTR done = SetTimer(nullptr, 0, static_cast<UINT>(milliseconds), nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == done && !msg.lParam)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    KillTimer(nullptr, done);
}

// The program's CPU while it waits on its messages, in per cent of one core.
double IdleCpu(int seconds) {
    double cpu0 = ProcessCpuMs(), wall0 = NowMs();
    IdleFor(seconds * 1000);
    return 100.0 * (ProcessCpuMs() - cpu0) / (NowMs() - wall0);
}

// What each watch timer adds to the idle cost, against the floor of none.
void MeasureTimersApart(HWND front, int seconds) {
    auto& form = *ContainerForm;
    SetForegroundWindow(front);
    std::printf("idle CPU, %% of one core:");
    for (auto [name, slow, quick] :
         {std::tuple{"neither timer", false, false}, std::tuple{"the 200 ms watch", true, false},
          std::tuple{"the quicker timer", false, true}, std::tuple{"both", true, true}}) {
        form.Timer1.SetEnabled(slow);
        form.Timer2.SetEnabled(quick);
        IdleFor(500);
        std::printf(" %s %.2f;", name, IdleCpu(seconds));
    }
    std::printf("\n");
}

void Measure(const char* name, HWND probe, HWND front, int seconds) {
    SetForegroundWindow(front);
    IdleFor(500);

    double cpu0 = ProcessCpuMs(), wall0 = NowMs();
    IdleFor(seconds * 1000);
    double cpu = ProcessCpuMs() - cpu0, wall = NowMs() - wall0;

    auto hung = HangingProgram();
    SetForegroundWindow(front);
    std::vector<double> delays;
    g_delays = &delays;
    std::atomic<bool> stop{false};
    std::thread poster([&] {
        for (size_t n = 0; !stop && n < kMostProbes; ++n) {
            g_sentAt[n] = NowMs();
            PostMessageW(probe, kProbe, n, 0);
            Sleep(10);
        }
    });
    IdleFor(seconds * 1000);
    stop = true;
    poster.join();
    Pump(200);
    g_delays = nullptr;
    std::sort(delays.begin(), delays.end());
    double p50 = delays.empty() ? 0 : delays[delays.size() / 2];
    double p99 = delays.empty() ? 0 : delays[delays.size() * 99 / 100];
    double worst = delays.empty() ? 0 : delays.back();
    std::printf("%-34s idle CPU %6.2f %% of one core (goal: at most 0.30 %%); posted message "
                "with a hung program: "
                "p50 %7.1f ms, p99 %7.1f ms, worst %7.1f ms (%zu messages)\n",
                name, 100.0 * cpu / wall, p50, p99, worst, delays.size());
}

// Pumps this thread's messages until the condition holds; the time it took, in milliseconds.
double MsUntil(const std::function<bool()>& condition, double limitMs) {
    double start = NowMs();
    while (!condition() && NowMs() - start < limitMs) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    return NowMs() - start;
}

void Report(const char* what, std::vector<double> ms, const char* goal = "") {
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s p50 %6.1f ms, worst %6.1f ms (%zu times)%s\n", what, ms[ms.size() / 2],
                ms.back(), ms.size(), goal);
}

// The z-order keeper's question, asked both ways: the desktop's order as the timers read it, and
// a task table built afresh each time, which messages every window on the desktop.
void MeasureZorder(HWND container) {
    std::vector<double> order, table;
    for (int i = 0; i < 50; ++i) {
        double start = NowMs();
        CTaskList::ZorderOf(container);
        order.push_back(NowMs() - start);
        start = NowMs();
        ContainerForm->GetWindowZorder(container);
        table.push_back(NowMs() - start);
    }
    Report("z-order from the desktop's order", order);
    Report("z-order from a fresh task table", table);
}

// How long a title change takes to reach its tab, and a closed window's tab to go.
void MeasureFollowing(HWND captured) {
    std::vector<double> titles, closes;
    for (int i = 0; i < 20; ++i) {
        std::wstring title = L"Renamed " + std::to_wstring(i);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(captured, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()),
                            SMTO_ABORTIFHUNG, 1000, &ignored);
        titles.push_back(MsUntil(
            [&] {
                TabPtr tab = Tabs->GetTabByHwnd(captured);
                return tab && tab->Caption() == title;
            },
            2000));
        IdleFor(37 * (i % 5)); // at another point of the timer's rhythm each time
    }
    for (int i = 0; i < 10; ++i) {
        auto program =
            std::make_unique<ChildProcess>(ChildProcess::Fixture({L"--title", L"Closes"}));
        HWND hwnd = program->WaitForWindow(L"Closes");
        CaptureWindow(hwnd);
        IdleFor(40 * (i % 5));
        program->Kill();
        // From the moment the window is gone, as the system tears a dead program's windows
        // down a little after the program itself.
        MsUntil([&] { return !IsWindow(hwnd); }, 2000);
        closes.push_back(MsUntil([&] { return !Tabs->GetTabByHwnd(hwnd); }, 2000));
    }
    // A window that a capture rule matches, from the moment it is shown to its tab.
    std::vector<double> ruled;
    Rules() = {{L"bench", true, {}, {MatchKind::Equals, L"MerilaneBenchRuled"}, {}}};
    WatchRuledWindows(true);
    for (int i = 0; i < 10; ++i) {
        auto program = std::make_unique<ChildProcess>(ChildProcess::Fixture(
            {L"--title", L"Ruled", L"--class", L"MerilaneBenchRuled", L"--hidden"}));
        HWND hwnd = nullptr;
        WaitUntil([&] {
            auto found = program->Windows(L"Ruled", false);
            hwnd = found.empty() ? nullptr : found.front();
            return hwnd != nullptr;
        });
        IdleFor(40 * (i % 5));
        ShowWindowAsync(hwnd, SW_SHOWNORMAL);
        // From the moment the system has it visible (the program shows it when it gets to it).
        MsUntil([&] { return IsWindowVisible(hwnd) || Tabs->GetTabByHwnd(hwnd); }, 2000);
        ruled.push_back(MsUntil([&] { return Tabs->GetTabByHwnd(hwnd) != nullptr; }, 2000));
        program->Kill();
        MsUntil([&] { return !Tabs->GetTabByHwnd(hwnd); }, 2000);
    }
    // One the rule matches only once its program has retitled it, a while after it showed.
    std::vector<double> retitled;
    Rules() = {{L"bench", true, {}, {}, {MatchKind::StartsWith, L"Report later"}}};
    for (int i = 0; i < 10; ++i) {
        auto program =
            std::make_unique<ChildProcess>(ChildProcess::Fixture({L"--title", L"Draft"}));
        HWND hwnd = program->WaitForWindow(L"Draft");
        IdleFor(500 + 40 * (i % 5));
        std::wstring title = L"Report later " + std::to_wstring(i);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()),
                            SMTO_ABORTIFHUNG, 1000, &ignored);
        retitled.push_back(MsUntil([&] { return Tabs->GetTabByHwnd(hwnd) != nullptr; }, 2000));
        program->Kill();
        MsUntil([&] { return !Tabs->GetTabByHwnd(hwnd); }, 2000);
    }
    Rules().clear();
    Report("shown window to its tab by a rule", ruled);
    Report("retitled window to its tab by a rule", retitled,
           "   (goal: worst at most 300 ms, a calm tick and 200 ms, where no event says so)");
    Report("title change to tab caption", titles, "   (goal: worst at most 200 ms)");
    Report("closed window to its tab gone", closes, "   (goal: worst at most 200 ms)");
}

} // namespace

int main(int argc, char** argv) {
    int others = argc > 1 ? std::atoi(argv[1]) : 50;
    int seconds = argc > 2 ? std::atoi(argv[2]) : 5;
    std::vector<std::wstring> args;
    for (int i = 0; i < others; ++i) {
        if (i)
            args.push_back(L"--window");
        args.push_back(L"--title");
        args.push_back(L"Other window " + std::to_wstring(i));
    }
    auto desktop = ChildProcess::Fixture(args);
    WaitUntil([&] { return static_cast<int>(desktop.Windows().size()) >= others; }, 60000);

    ContainerSession session(ContainerSession::Timers::On);
    std::vector<std::unique_ptr<ChildProcess>> captured;
    HWND front = nullptr;
    for (int i = 1; i <= 3; ++i) {
        std::wstring title = L"Captured " + std::to_wstring(i);
        captured.push_back(
            std::make_unique<ChildProcess>(ChildProcess::Fixture({L"--title", title})));
        front = captured.back()->WaitForWindow(title);
        CaptureWindow(front);
    }

    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MerilaneBenchProbe";
    RegisterClassExW(&wc);
    HWND probe = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 wc.hInstance, nullptr);

    std::printf("3 captured windows, %d other windows, %d s per measurement\n", others, seconds);
    Measure("timers as built", probe, front, seconds);
    MeasureTimersApart(front, seconds);
    MeasureZorder(ContainerForm->ExistingHwnd());
    MeasureFollowing(front);
    return 0;
}
