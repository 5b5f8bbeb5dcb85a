// Drives the program's library with random operations against windows of real programs, and
// after every step checks what must always hold:
//   - tabs, captured-window entries and host forms correspond one to one;
//   - every captured window is inside the container (or on its way out, waiting for its
//     program);
//   - no window of the stand-in programs is ever destroyed without having been asked to close;
//   - once everything is released, the program holds as many icons and GDI objects as it did
//     before it began (after a first capture, since the tab strip keeps a copy of each icon
//     it has shown for the rest of the run).
//
//   merilane_soak [steps] [seed]        (default: 1000 steps, seed 20261208)
//
// Then the same operations run in a second process of this program, which meets an access
// violation at a moment the seed picks: every window of the stand-in programs must come out of
// it whole, none destroyed without having been asked to close.
//
// Prints "soak: <steps> steps, seed <seed>, <n> violations"; each violation is printed with the
// step it was found at, and the seed and step replay it.
#include "ChildProcess.h"
#include "ContainerSession.h"
#include "TestSupport.h"
#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "controls/Failure.h"
#include "controls/UniqueOwner.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "tabs/dlgDocument.h"
#include "app/frmIntro.h"
#include "window/ForeignCall.h"
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace merilane;
using namespace merilane::test;

namespace {

constexpr int kPrograms = 5;
constexpr UINT kHangNow = WM_APP + 77;

// A stand-in program with one window that reports how its windows ended.
struct Program {
    std::unique_ptr<ChildProcess> process;
    HWND window = nullptr;
    std::wstring report;
    std::wstring title;
};

std::wstring ReportFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder =
        std::wstring(temp) + L"merilane-soak-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// Started, without waiting for its window.
Program Launch(int serial, const std::wstring& folder) {
    Program p;
    p.report = folder + L"\\program-" + std::to_wstring(serial) + L".txt";
    p.title = L"Soak program " + std::to_wstring(serial);
    p.process = std::make_unique<ChildProcess>(
        ChildProcess::Fixture({L"--title", p.title, L"--edit", L"--report", p.report}));
    return p;
}

Program Ready(Program p) {
    p.window = p.process->WaitForWindow(p.title, 20000);
    return p;
}

Program Start(int serial, const std::wstring& folder) {
    return Ready(Launch(serial, folder));
}

// Every "destroyed" line of a report must follow an "asked" line for the same window.
std::vector<std::string> UnaskedEnds(const std::wstring& report) {
    std::vector<std::string> found;
    std::ifstream in(report.c_str());
    std::set<std::string> asked;
    std::string what, handle;
    while (in >> what >> handle) {
        if (what == "asked")
            asked.insert(handle);
        else if (what == "destroyed" && !asked.count(handle))
            found.push_back(handle);
    }
    return found;
}

// Answers every box the program shows (notices of windows that do not answer, prompts), as a
// patient user would.
class BoxClicker {
  public:
    BoxClicker() : m_thread([this] { Run(); }) {}
    ~BoxClicker() {
        m_stop = true;
        m_thread.join();
    }

  private:
    static BOOL CALLBACK Answer(HWND hwnd, LPARAM) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        wchar_t cls[16] = {};
        GetClassNameW(hwnd, cls, 16);
        if (pid == GetCurrentProcessId() && std::wstring(cls) == L"#32770" && IsWindowVisible(hwnd))
            PostMessageW(hwnd, WM_COMMAND, GetDlgItem(hwnd, IDOK) ? IDOK : IDYES, 0);
        return TRUE;
    }
    void Run() {
        while (!m_stop) {
            EnumWindows(Answer, 0);
            Sleep(50);
        }
    }
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

struct Soak {
    std::mt19937 random;
    std::vector<Program> programs;
    std::future<Program> spare; // the next one to come
    std::vector<std::wstring> reports; // of programs that have closed
    std::set<std::string> reported;    // windows whose end has been reported as a violation
    std::wstring folder;
    int serial = 0;
    int violations = 0;
    int step = 0;
    unsigned seed;
    HWND container = nullptr;

    Soak(unsigned s, std::wstring reports = ReportFolder())
        : random(s), folder(std::move(reports)), seed(s) {}

    int Pick(int n) { return n <= 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(n)); }

    void Violation(const std::string& what) {
        ++violations;
        std::printf("violation at step %d (seed %u): %s\n", step, seed, what.c_str());
        std::fflush(stdout);
    }

    std::vector<HWND> Captured() {
        std::vector<HWND> held;
        if (CapturedWindows)
            for (auto& w : CapturedWindows->NewEnum())
                if (!ContainerForm->IsIntroScreen(w->hWnd))
                    held.push_back(w->hWnd);
        return held;
    }

    void Check() {
        if (!Tabs || !CapturedWindows)
            return;
        auto entries = CapturedWindows->NewEnum();
        auto& tabs = ContainerForm->TabStrip1.Tabs();
        if (static_cast<int>(tabs.size()) != CapturedWindows->Count())
            Violation(std::to_string(tabs.size()) + " tabs for " +
                      std::to_string(CapturedWindows->Count()) + " captured windows");
        for (auto& tab : tabs)
            if (!CapturedWindows->item(tab->Tag()))
                Violation("a tab without its captured window");
        std::set<HWND> hosts;
        for (auto* host : dlgDocument::Live())
            if (host->ExistingHwnd())
                hosts.insert(host->ExistingHwnd());
        for (auto& w : entries) {
            if (!Tabs->GetTabByHwnd(w->hWnd))
                Violation("a captured window without its tab");
            if (!hosts.count(w->LocalHwnd))
                Violation("a captured window without its host form");
            if (IsWindow(w->hWnd) && !IsDescendantOf(w->hWnd, container) && !IsOnItsWay(w->hWnd))
                Violation("a captured window outside the container");
        }
        // A host form holding a window belongs to an entry, or waits for a window on its way.
        for (auto* host : dlgDocument::Live()) {
            HWND held = host->HeldForeignWindow();
            if (held && !CapturedWindows->item(held) && !IsOnItsWay(held))
                Violation("a host form holds a window nobody has");
        }
        std::vector<std::wstring> all = reports;
        for (auto& p : programs)
            all.push_back(p.report);
        for (auto& report : all)
            for (auto& handle : UnaskedEnds(report))
                if (reported.insert(handle).second)
                    Violation("window " + handle + " was destroyed without being asked to close");
    }

    void Settle(int ms) {
        Pump(ms);
        // Commands that waited for a running one, and late answers, run before the check.
        WaitUntil([] { return !CommandRunning() && CommandsWaiting() == 0; }, 3000);
    }

    Program& AnyProgram() {
        return programs[static_cast<size_t>(Pick(static_cast<int>(programs.size())))];
    }

    // A program that closed makes room for a new one; its report is read to the end. The new
    // one was started meanwhile by another thread: starting a program takes Wine a quarter to
    // half a second, which would be a fifth of the run.
    void Replace(Program& p) {
        reports.push_back(p.report);
        p = Ready(spare.get());
        LaunchSpare();
    }
    void LaunchSpare() {
        spare = std::async(std::launch::async, Launch, ++serial, folder);
    }

    void Operate() {
        auto held = Captured();
        HWND someHeld =
            held.empty() ? nullptr : held[static_cast<size_t>(Pick(static_cast<int>(held.size())))];
        int tabs = ContainerForm->TabStrip1.Count();
        switch (Pick(13)) {
        case 0:
        case 1: { // capture
            Program& p = AnyProgram();
            // Looked at when it runs: a command may wait for another one to end first.
            RunCommand([w = p.window] {
                if (w && IsWindow(w) && CapturedWindows && !CapturedWindows->item(w) &&
                    !IsOnItsWay(w))
                    CaptureWindow(w);
            });
            break;
        }
        case 2: // release
            if (someHeld)
                RunCommand([someHeld, this] {
                    if (auto w = CapturedWindows ? CapturedWindows->item(someHeld) : nullptr)
                        ReleaseWindow(someHeld, w->LastHwnd, static_cast<UINT>(1 + Pick(3)), true);
                });
            break;
        case 3: // release all, now and then
            if (Pick(4) == 0)
                RunCommand([] { ReleaseAllWindows(false); });
            break;
        case 4:
            RunCommand([this, tabs] { Tabs->ActivateTabByIndex(1 + Pick(tabs + 1)); });
            break;
        case 5:
            RunCommand([] { Tabs->ActivateNextTab(ContainerForm->Cycling()); });
            break;
        case 6:
            RunCommand([] { Tabs->ActivatePreviousTab(ContainerForm->Cycling()); });
            break;
        case 7: { // a click on a tab
            if (tabs == 0)
                break;
            HWND strip = ContainerForm->TabStrip1.hWnd();
            RECT r{};
            SendMessageW(strip, TCM_GETITEMRECT, Pick(tabs), reinterpret_cast<LPARAM>(&r));
            LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
            PostMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, at);
            PostMessageW(strip, WM_LBUTTONUP, 0, at);
            break;
        }
        case 8: // a caption pattern
            if (someHeld)
                if (auto w = CapturedWindows->item(someHeld))
                    w->Caption = Pick(2) ? L"[%t]" : L"%t";
            break;
        case 9: { // a program closes its window by itself
            Program& p = AnyProgram();
            if (p.window && IsWindow(p.window)) {
                static const UINT closeYourself =
                    RegisterWindowMessageW(L"MerilaneFixtureCloseYourself");
                PostMessageW(p.window, closeYourself, 0, 0);
                WaitUntil([&] { return !IsWindow(p.window); }, 5000);
                Replace(p);
            }
            break;
        }
        case 10: { // a new title
            Program& p = AnyProgram();
            if (p.window) {
                std::wstring title = L"Soak title " + std::to_wstring(Pick(1000));
                DWORD_PTR ignored = 0;
                SendMessageTimeoutW(p.window, WM_SETTEXT, 0,
                                    reinterpret_cast<LPARAM>(title.c_str()), SMTO_ABORTIFHUNG, 200,
                                    &ignored);
            }
            break;
        }
        case 11: { // a program stops answering for a while
            Program& p = AnyProgram();
            if (p.window && IsWindow(p.window) && !FixtureHangs(p.window)) {
                HangFixtureOn(p.window, kHangNow, 300 + Pick(1500));
                PostMessageW(p.window, kHangNow, 0, 0);
            }
            break;
        }
        case 12: // the intro screen back, now and then
            if (Pick(3) == 0)
                SendMessageW(container, WM_COMMAND, frmSSTab::MenuCommandId(L"intro"), 0);
            break;
        default:
            break;
        }
    }

    // Operates until the process ends: the process that started this one makes it fail.
    void RunUntilKilled() {
        ContainerSession session(ContainerSession::Timers::On);
        container = session.Container();
        BoxClicker clicker;
        for (int i = 0; i < kPrograms; ++i)
            programs.push_back(Start(++serial, folder));
        LaunchSpare();
        for (step = 1;; ++step) {
            Operate();
            Settle(20 + Pick(60));
        }
    }

    void Run(int steps) {
        ContainerSession session(ContainerSession::Timers::On);
        container = session.Container();
        // A failure that leaves one of the program's handlers is a violation of its own.
        SetUnhandledFailureHandler([this](const std::exception& e) {
            Violation(std::string("a failure left a handler: ") + e.what());
        });
        BoxClicker clicker;
        for (int i = 0; i < kPrograms; ++i)
            programs.push_back(Start(++serial, folder));
        LaunchSpare();
        // The tab strip keeps a copy of each icon it has shown for the rest of the run; one
        // capture and release first, so that the count below starts with the programs' icon.
        RunCommand([&] { CaptureWindow(programs[0].window); });
        RunCommand([&] { ReleaseAllWindows(false); });
        WaitUntil([] { return ContainerForm->TabStrip1.Count() == 0 && !AnyWindowHeld(); }, 5000);
        Settle(300);
        int graphics = OwnedGraphicsAlive();
        for (step = 1; step <= steps; ++step) {
            Operate();
            Settle(20 + Pick(60));
            Check();
        }
        // Everything goes back, once every program answers again.
        ++step;
        WaitUntil(
            [&] {
                for (auto& p : programs)
                    if (p.window && FixtureHangs(p.window))
                        return false;
                return true;
            },
            10000);
        RunCommand([] { ReleaseAllWindows(false); });
        WaitUntil([] { return ContainerForm->TabStrip1.Count() == 0 && !AnyWindowHeld(); }, 15000);
        Settle(500);
        Check();
        if (ContainerForm->TabStrip1.Count() != 0 || AnyWindowHeld())
            Violation("windows still held after release all");
        if (OwnedGraphicsAlive() != graphics)
            Violation("owned graphics " + std::to_string(OwnedGraphicsAlive()) + ", were " +
                      std::to_string(graphics));
        for (auto& p : programs)
            if (p.window && IsWindow(p.window) && !IsDescendantOf(p.window, container) &&
                GetAncestor(p.window, GA_PARENT) != GetDesktopWindow())
                Violation("a program's window is neither on the desktop nor held");
    }
};

// The programs a process started that still run.
std::set<DWORD> ProgramsStartedBy(DWORD parent) {
    std::set<DWORD> found;
    UniqueHandle all(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{sizeof(entry)};
    for (BOOL more = Process32FirstW(all.get(), &entry); more;
         more = Process32NextW(all.get(), &entry))
        if (entry.th32ParentProcessID == parent)
            found.insert(entry.th32ProcessID);
    return found;
}

// The windows of `programs` somewhere inside the top-level windows of `holder`.
struct Inside {
    DWORD holder;
    const std::set<DWORD>* programs;
    std::set<HWND> found;
};

BOOL CALLBACK AddIfOfAProgram(HWND hwnd, LPARAM inside) {
    auto* in = reinterpret_cast<Inside*>(inside);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (!in->programs->count(pid))
        return TRUE;
    // The program's own window is the last of its own up the chain; the rest are its controls.
    for (HWND up = GetAncestor(hwnd, GA_PARENT); up; up = GetAncestor(up, GA_PARENT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(up, &owner);
        if (owner != pid)
            break;
        hwnd = up;
    }
    in->found.insert(hwnd);
    return TRUE;
}

BOOL CALLBACK SearchHolder(HWND hwnd, LPARAM inside) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == reinterpret_cast<Inside*>(inside)->holder)
        EnumChildWindows(hwnd, AddIfOfAProgram, inside);
    return TRUE;
}

std::set<HWND> HeldBy(DWORD holder) {
    std::set<DWORD> programs = ProgramsStartedBy(holder);
    Inside inside{holder, &programs, {}};
    EnumWindows(SearchHolder, reinterpret_cast<LPARAM>(&inside));
    return inside.found;
}

// Runs the operations in another process of this program and makes it meet an access violation
// from outside, as a bug of its own would; then looks for what it may have taken with it.
void FaultRound(Soak& soak) {
    std::wstring folder = ReportFolder() + L"\\fault";
    CreateDirectoryW(folder.c_str(), nullptr);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ChildProcess child(self, {L"--until-killed", std::to_wstring(soak.seed), folder});
    if (!child.WaitForWindow({}, 20000)) {
        soak.Violation("the failing process did not start");
        return;
    }
    // At a moment the seed picks, once the other process holds a window.
    WaitUntil([&] { return !HeldBy(child.Pid()).empty(); }, 30000);
    Sleep(static_cast<DWORD>(soak.Pick(300)));
    std::set<HWND> held = HeldBy(child.Pid());
    auto nowhere = reinterpret_cast<LPTHREAD_START_ROUTINE>(INT_PTR{0x10});
    CloseHandle(CreateRemoteThread(child.Handle(), nullptr, 0, nowhere, nullptr, 0, nullptr));
    // It ends once every window is out; a program that hangs holds it up for a second or two.
    if (!child.WaitForExit(60000))
        soak.Violation("the failing process did not end");
    DWORD code = 0;
    GetExitCodeProcess(child.Handle(), &code);
    if (code != EXCEPTION_ACCESS_VIOLATION)
        soak.Violation("the failing process ended with " + std::to_string(code));
    // Every window held at the fault is on the desktop now, unless its program was asked to
    // close it in the moment before.
    std::set<std::string> asked;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*.txt").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        std::ifstream in((folder + L"\\" + found.cFileName).c_str());
        for (std::string what, handle; in >> what >> handle;)
            if (what == "asked")
                asked.insert(handle);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    for (HWND w : held) {
        auto out = [w] {
            return IsWindow(w) && IsWindowVisible(w) &&
                   GetAncestor(w, GA_PARENT) == GetDesktopWindow();
        };
        std::string handle = std::to_string(reinterpret_cast<intptr_t>(w));
        if (!WaitUntil(out, 5000) && !asked.count(handle))
            soak.Violation("window " + handle + ", held when the program failed, was lost");
    }
    for (DWORD pid : ProgramsStartedBy(child.Pid()))
        if (UniqueHandle program{OpenProcess(PROCESS_TERMINATE, FALSE, pid)})
            TerminateProcess(program.get(), 0);
    std::printf("fault: %zu windows held when the program failed\n", held.size());
}

} // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (argc > 3 && std::string(argv[1]) == "--until-killed") {
        std::wstring folder(argv[3], argv[3] + std::strlen(argv[3]));
        Soak(static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)), folder).RunUntilKilled();
    }
    int steps = argc > 1 ? std::atoi(argv[1]) : 1000;
    unsigned seed =
        argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 20261208u;
    Soak soak(seed);
    soak.Run(steps);
    soak.step = steps + 2;
    FaultRound(soak);
    std::printf("soak: %d steps, seed %u, %d violations\n", steps, seed, soak.violations);
    return soak.violations == 0 ? 0 : 1;
}
