#include "app/mMain.h"
#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/frmSSTab.h"
#include "controls/CTimer.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "controls/Handles.h"
#include "controls/ProductInfo.h"
#include "controls/Screen.h"
#include "controls/Text.h"
#include "selection/frmTaskList.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "tabs/MTabDraw.h"
#include "tabs/dlgDocument.h"
#include "window/MForceFore.h"
#include "window/MTermProc.h"
#include <map>
#include <set>

namespace merilane {
namespace {

// Windows whose release waits for their program: still inside, on their way out.
std::set<HWND> g_releasing;
// Windows that did not take their host in time when they were captured: they come back out
// (or never get in) when their program gets to it.
std::set<HWND> g_refused;
bool g_pickerOpen = false;

// A window by the title the user saw, else its title now, else its class.
std::wstring Quoted(const CWindow& window, const std::wstring& seen = {}) {
    std::wstring title = seen.empty() ? window.ActiveCaption() : seen;
    return L"\"" + (title.empty() ? window.Classname : title) + L"\"";
}

bool AnyHostHoldsAWindow() {
    for (auto* host : dlgDocument::Live())
        if (host->HeldForeignWindow())
            return true;
    return false;
}

TabPtr FinishRelease(HWND hwnd, UINT releaseState, bool removeTab) {
    DoEvents();
    // The pass above may have run anything: every step looks again.
    if (releaseState != kReleaseNormal)
        if (auto again = CapturedWindows ? CapturedWindows->item(hwnd) : nullptr)
            again->SetWindowState(releaseState);
    TabPtr result;
    if (Tabs) {
        if (removeTab)
            Tabs->RemoveTab(hwnd);
        else
            result = Tabs->GetTabByHwnd(hwnd);
    }
    RemoveWindowTab(CapturedWindows ? CapturedWindows->item(hwnd) : nullptr);
    if (Tabs)
        Tabs->ActivateTab(Tabs->GetActiveTab());
    return result;
}

void CloseHost(HWND host) {
    if (host && IsWindow(host))
        PostMessageW(host, WM_CLOSE, 0, 0);
}

// A refused window that went into its host after all goes back out, as it was.
void TakeBackRefused(const std::shared_ptr<CWindow>& window, HWND previousParent,
                     UINT originalState) {
    HWND hwnd = window->hWnd, host = window->LocalHwnd;
    auto done = [hwnd, host, originalState] {
        g_refused.erase(hwnd);
        if (IsWindow(hwnd))
            ShowWindowAsync(hwnd, static_cast<int>(originalState));
        CloseHost(host);
    };
    if (!IsWindow(hwnd) || GetAncestor(hwnd, GA_PARENT) != host) {
        done();
        return;
    }
    if (window->Reparent(previousParent, false, [done](HWND) { RunCommand(done); }))
        done();
}

} // namespace

std::wstring ProductText() {
    const ProductInfo& p = Product();
    return p.name + L" " + std::to_wstring(p.major) + L"." + std::to_wstring(p.minor) + L"." +
           std::to_wstring(p.revision) + L" (beta) ";
}

std::wstring FormatTitle(const std::wstring& titleTemplate) {
    return ReplaceAll(titleTemplate, L"%d", ProductText());
}

void SetDefaultColors() {
    ActiveTabBackColor = RGB(255, 255, 230);
    InactiveTabBackColor = RGB(207, 207, 207);
    ActiveTabForeColor = RGB(0, 0, 0);
    InactiveTabForeColor = RGB(0, 0, 0);
}

namespace {

// The program draws itself at each monitor's resolution. The windows it hosts keep whatever
// awareness their own programs declared: with mixed hosting (Windows 10 1803 and later) the
// system lets a window of another awareness be parented into ours and scales it, where a
// plain SetParent across awareness modes is documented to misbehave. Earlier systems have no
// such modes to mix.
void AllowMixedDpiHosting() {
    using SetHostingFn = int(WINAPI*)(int);
    constexpr int kMixedHosting = 1; // DPI_HOSTING_BEHAVIOR_MIXED
    auto set = reinterpret_cast<SetHostingFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiHostingBehavior")));
    if (set)
        set(kMixedHosting);
}

} // namespace

void Main() {
    AllowMixedDpiHosting();
    SetUnhandledFailureHandler([](const std::exception& e) {
        // The windows go back first, so that nothing of theirs hangs on the box below.
        GiveBackAllWindows();
        MsgBox(DescriptionOf(e), MB_ICONERROR | MB_OK, Product().name);
        EndProgramWhenEmpty(1);
    });
    ContainerForm = std::make_unique<frmSSTab>();
    ContainerForm->Show();
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

bool IsPickerOpen() noexcept {
    return g_pickerOpen;
}

bool ShowCaptureWindowForm() {
    if (g_pickerOpen)
        return false;
    bool captured = false;
    try {
        WindowSelection windows;
        std::map<std::wstring, std::wstring> names;
        {
            g_pickerOpen = true;
            struct Closed {
                ~Closed() { g_pickerOpen = false; }
            } closed;
            frmTaskList picker;
            {
                // The user may take a while; the tabs go on living meanwhile.
                CommandPause pause;
                picker.ShowModal(ContainerForm ? ContainerForm->ExistingHwnd() : nullptr);
            }
            if (picker.Cancelled) {
                picker.Unload();
                return false;
            }
            windows = picker.GetWindows();
            // The titles the user saw, to name a window that cannot be taken.
            for (auto& [key, window] : windows)
                names[key] = picker.CTLWindowList1.ListView1.Contains(key)
                                 ? picker.CTLWindowList1.ListView1.Text(key)
                                 : std::wstring();
            picker.Unload();
        }
        // Each on its own: one that cannot be taken leaves the others to be.
        for (auto& [key, window] : windows) {
            captured = true;
            try {
                CaptureWindow(window, names[key]);
            } catch (const Error& e) {
                if (e.Number() != kKeyAlreadyAssociated)
                    throw;
                NoteForUser(L"\"" + names[key] + L"\" is in a tab already.");
            }
        }
    } catch (const std::exception& e) {
        MsgBox(DescriptionOf(e), MB_ICONERROR | MB_OK, L"MMain.ShowCaptureWindowForm");
    }
    return captured;
}

void CaptureWindow(HWND hwnd) {
    CWindow loaded;
    loaded.Load(hwnd);
    CaptureWindow(loaded);
}

CaptureRefusal RefusalOf(HWND hwnd) {
    if (!IsWindow(hwnd))
        return CaptureRefusal::Gone;
    // The program's windows are those of its user-interface thread; the intro screen is the one
    // of them that lives in a tab.
    bool intro = ContainerForm && ContainerForm->IsIntroScreen(hwnd);
    DWORD pid = 0;
    DWORD thread = GetWindowThreadProcessId(hwnd, &pid);
    HWND container = ContainerForm ? ContainerForm->ExistingHwnd() : nullptr;
    if (container && thread == GetWindowThreadProcessId(container, nullptr) && !intro)
        return CaptureRefusal::OwnWindow;
    if (hwnd == GetDesktopWindow() || hwnd == GetShellWindow())
        return CaptureRefusal::Shell;
    std::wstring cls = CWindow::GetWindowClassName(hwnd);
    for (const wchar_t* shell :
         {L"Progman", L"WorkerW", L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"})
        if (cls == shell)
            return CaptureRefusal::Shell;
    if (RunsWithMoreRights(pid))
        return CaptureRefusal::MoreRights;
    return CaptureRefusal::None;
}

std::wstring RefusalText(CaptureRefusal refusal) {
    switch (refusal) {
    case CaptureRefusal::OwnWindow:
        return L"it is one of Merilane's own windows";
    case CaptureRefusal::Shell:
        return L"it belongs to the desktop or the Windows shell";
    case CaptureRefusal::Gone:
        return L"it was closed before Merilane could take it";
    case CaptureRefusal::MoreRights:
        return L"its program runs with more rights than Merilane, and Windows would not let "
               L"Merilane hold it";
    case CaptureRefusal::SystemRefused:
        return L"Windows would not let Merilane take it in; its program may run with more "
               L"rights than Merilane";
    default:
        return {};
    }
}

void CaptureWindow(const CWindow& loaded, const std::wstring& name) {
    HWND hwnd = loaded.hWnd;
    if (!CapturedWindows || !Tabs)
        Raise(kObjectRequired);
    // A window that is held already stays where it is: a second wrapper would fight the first.
    if (CapturedWindows->item(hwnd))
        Raise(kKeyAlreadyAssociated, L"The window is in a tab already");
    auto refuse = [&](CaptureRefusal why) {
        NoteForUser(Quoted(loaded, name) + L" was not put in a tab: " + RefusalText(why) + L".");
    };
    if (CaptureRefusal why = RefusalOf(hwnd); why != CaptureRefusal::None) {
        refuse(why);
        return;
    }
    // One that does not answer now is refused at once; that it answers now promises nothing,
    // which is what the rest of the capture is ready for.
    if (IsOnItsWay(hwnd) || !loaded.Answers()) {
        NoteForUser(Quoted(loaded, name) +
                    L" does not respond, so it was not put in a tab. It stays where it is; "
                    L"try again once it answers.");
        return;
    }
    UINT originalState = loaded.GetWindowState();
    auto window = CapturedWindows->create(loaded);
    CSSTab::Added added = Tabs->AddTab(window, [window, originalState](HWND previousParent) {
        RunCommand([=] { TakeBackRefused(window, previousParent, originalState); });
    });
    if (added != CSSTab::Added::InTab) {
        // Tab and entry go; the host form stays for as long as the window may be inside.
        RemoveWindowTab(window);
        ShowWindowAsync(hwnd, static_cast<int>(originalState));
        if (added == CSSTab::Added::Refused) {
            refuse(CaptureRefusal::SystemRefused);
        } else {
            g_refused.insert(hwnd);
            NoteForUser(Quoted(loaded, name) +
                        L" does not respond, so it was not put in a tab. It goes back where "
                        L"it was as soon as it answers.");
        }
        return;
    }
    if (!window->IsExistingWindow()) {
        RemoveWindowTab(window);
        return;
    }
    for (UINT command : kCapturedMenuCommands)
        window->DisableMenuItem(command);
}

TabPtr ReleaseWindow(HWND hwnd, HWND newParent, UINT releaseState, bool removeTab) {
    if (!CapturedWindows)
        Raise(kObjectRequired);
    auto window = CapturedWindows->item(hwnd);
    if (!window)
        Raise(kObjectRequired, L"The window is not captured");
    auto tabNow = [&] { return removeTab || !Tabs ? nullptr : Tabs->GetTabByHwnd(hwnd); };
    if (g_releasing.count(hwnd))
        return tabNow(); // on its way out already
    bool done = window->GiveBack(newParent, [hwnd, releaseState, removeTab] {
        RunCommand([=] {
            g_releasing.erase(hwnd);
            FinishRelease(hwnd, releaseState, removeTab);
        });
    });
    if (!done) {
        g_releasing.insert(hwnd);
        NoteForUser(Quoted(*window) +
                    L" does not respond. It stays in its tab and goes back to the desktop "
                    L"as soon as it answers.");
        return tabNow();
    }
    return FinishRelease(hwnd, releaseState, removeTab);
}

void ReleaseAllWindows(bool closeWindows) {
    if (!CapturedWindows)
        return;
    for (auto& window : CapturedWindows->NewEnum()) {
        // Anything may have run since the walk began: only windows still held are released.
        if (!CapturedWindows || !CapturedWindows->item(window->hWnd))
            continue;
        // Only our own intro screen is closed; another program's window that happens to carry
        // the same title is released like any other.
        DWORD pid = 0;
        GetWindowThreadProcessId(window->hWnd, &pid);
        if (window->ActiveCaption() == L"Main menu" && pid == GetCurrentProcessId()) {
            window->CloseWindow();
            RemoveWindowTab(window);
        } else {
            ReleaseWindow(window->hWnd, window->LastHwnd, kReleaseNormal, true);
            if (closeWindows && !g_releasing.count(window->hWnd))
                window->CloseWindow();
        }
    }
}

void RemoveWindowTab(const std::shared_ptr<CWindow>& window) {
    if (!window)
        return;
    if (Tabs)
        Tabs->RemoveTab(window->hWnd);
    if (CapturedWindows)
        CapturedWindows->Remove(window->hWnd);
    window->GetParentWindow().CloseWindow();
}

void ChangeActiveCaption() {
    if (!Tabs)
        return;
    auto window = Tabs->GetActiveChildWindow();
    if (!window)
        return;
    auto answer = InputBox(window->ReplacedCaption(0) + L"\r\n\r\n%t is the active caption",
                           L"Change caption", window->Caption);
    if (answer && !Trim(*answer).empty())
        window->Caption = *answer;
    RefocusActiveTab();
}

void RefocusActiveTab() {
    if (!Tabs || !ContainerForm)
        return;
    if (TabPtr tab = Tabs->GetActiveTab()) {
        ForceForeground(tab->Tag());
        ContainerForm->TabStrip1.Refresh();
    }
}

bool IsOwnWindow(HWND hwnd, bool includeContainer) {
    if (includeContainer && ContainerWindow &&
        (hwnd == ContainerWindow->hWnd || hwnd == GetTopLevelWindow(ContainerWindow->hWnd)))
        return true;
    if (!CapturedWindows)
        return false;
    for (auto& window : CapturedWindows->NewEnum())
        if (window->hWnd == hwnd)
            return true;
    return false;
}

HWND GetTopLevelWindow(HWND hwnd) {
    HWND top = hwnd;
    for (HWND parent = GetParent(top); !IsNoWindow(parent); parent = GetParent(top))
        top = parent;
    return top;
}

bool AnyWindowHeld() {
    return !g_releasing.empty() || AnyHostHoldsAWindow();
}

bool IsOnItsWay(HWND hwnd) {
    return g_releasing.count(hwnd) || g_refused.count(hwnd);
}

void GiveBackAllWindows() noexcept {
    try {
        for (auto* host : dlgDocument::Live())
            host->GiveBackHeldWindow();
    } catch (...) {
    }
}

void EndProgramWhenEmpty(int exitCode) {
    if (!AnyHostHoldsAWindow())
        ExitProcess(static_cast<UINT>(exitCode));
    // A window that does not answer is still inside: the program waits for it to be out.
    static CTimer waitForWindows;
    waitForWindows.OnTick([exitCode] {
        if (!AnyHostHoldsAWindow())
            ExitProcess(static_cast<UINT>(exitCode));
    });
    waitForWindows.SetInterval(200);
    waitForWindows.SetEnabled(true);
}

} // namespace merilane
