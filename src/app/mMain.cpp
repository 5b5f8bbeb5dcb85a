#include "app/mMain.h"
#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/frmSSTab.h"
#include "app/mMainShared.h"
#include "controls/CTimer.h"
#include "controls/CrashDump.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "controls/Handles.h"
#include "controls/ProductInfo.h"
#include "controls/Screen.h"
#include "controls/Text.h"
#include "controls/UiThread.h"
#include "selection/frmTaskList.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "tabs/MTabDraw.h"
#include "tabs/dlgDocument.h"
#include "window/CaptureRecord.h"
#include "window/LastRescue.h"
#include "window/MForceFore.h"
#include "window/MTermProc.h"
#include <map>
#include <set>

namespace merilane {
namespace {

// Moves that did not end in time end later; the window layer then tells this one place, where
// the program decides what follows.
void LateMoveEnded(HWND window) {
    RunCommand([window] {
        if (!detail::CaptureMoveEnded(window))
            detail::ReleaseMoveEnded(window);
    });
}

} // namespace

namespace detail {

std::wstring Quoted(const CWindow& window, const std::wstring& seen) {
    std::wstring title = seen.empty() ? window.ActiveCaption() : seen;
    return L"\"" + (title.empty() ? window.Classname : title) + L"\"";
}

bool AnyHostHoldsAWindow() {
    for (auto* host : dlgDocument::Live())
        if (host->HeldForeignWindow())
            return true;
    return false;
}

void CloseHost(HWND host) {
    if (host && IsWindow(host))
        PostMessageW(host, WM_CLOSE, 0, 0);
}

void ReceiveLateMoves() {
    SetLateMoveReceiver(&LateMoveEnded);
}

} // namespace detail

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
    InstallLastRescue();
    BindUiThread();
    SetUnhandledFailureHandler([](const std::exception& e) {
        // No window goes in from now on, and one on its way in is given back once it is in.
        HeldWindows::Close();
        // The windows go back first, so that nothing of theirs hangs on the box below.
        GiveBackAllWindows();
        wchar_t report[MAX_PATH] = L"";
        std::wstring text = DescriptionOf(e) + L"\n\n";
        if (WriteCrashDump(GetCurrentThreadId(), nullptr, report, MAX_PATH))
            text += std::wstring(kReportSavedAs) + L"\n" + report + L"\n" + kReportHolds;
        else
            text += kNoReport;
        MsgBox(text, MB_ICONERROR | MB_OK, Product().name);
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

void RenameActiveTab() {
    auto window = Tabs ? Tabs->GetActiveChildWindow() : nullptr;
    if (!window || (ContainerForm && ContainerForm->IsIntroScreen(window->hWnd)))
        return;
    auto answer = InputBox(L"The name the tab shows instead of the window's title (leave it empty "
                           L"to show the title again):",
                           L"Rename tab", window->Name);
    // The box waited for the user: the tab may have gone meanwhile.
    if (answer && CapturedWindows && CapturedWindows->item(window->hWnd) == window) {
        window->Name = Trim(*answer);
        ShowTabCaption(*window);
    }
    RefocusActiveTab();
}

void ShowTabCaption(const CWindow& window) {
    if (!Tabs || !ContainerForm)
        return;
    std::wstring caption = window.ReplacedCaption(0);
    if (TabPtr tab = Tabs->GetTabByHwnd(window.hWnd))
        Tabs->ChangeTabCaption(tab, caption);
    TabPtr active = Tabs->GetActiveTab();
    if (active && active->Tag() == window.hWnd)
        ContainerForm->SetCaption(FormatTitle(caption + L" - %d"));
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

void EndProgramWhenEmpty(int exitCode) {
    // Out of its host is not yet whole: a window may still wait for its frame to come back, or
    // for a late move in to end and send it back out.
    auto settled = [] { return !AnyWindowHeld() && !HeldWindows::AnyMoving(); };
    if (settled())
        ExitProcess(static_cast<UINT>(exitCode));
    // A window that does not answer is still inside: the program waits for it to be out.
    static CTimer waitForWindows;
    waitForWindows.OnTick([exitCode, settled] {
        if (settled())
            ExitProcess(static_cast<UINT>(exitCode));
    });
    waitForWindows.SetInterval(200);
    waitForWindows.SetEnabled(true);
}

} // namespace merilane
