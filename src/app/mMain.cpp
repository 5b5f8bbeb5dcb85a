#include "app/mMain.h"
#include "app/Globals.h"
#include "app/ProductInfo.h"
#include "app/frmSSTab.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "controls/Screen.h"
#include "controls/Text.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "window/CWindow.h"
#include "window/Handles.h"
#include "window/MForceFore.h"
#include "selection/frmTaskList.h"

namespace merilane {

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

void Main() {
    SetUnhandledFailureHandler([](const std::exception& e) {
        GiveBackAllWindows();
        MessageBoxW(nullptr, DescriptionOf(e).c_str(), Product().name.c_str(),
                    MB_ICONERROR | MB_OK);
        ExitProcess(1);
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

bool ShowCaptureWindowForm() {
    bool captured = false;
    try {
        frmTaskList picker;
        picker.ShowModal();
        if (picker.Cancelled) {
            picker.Unload();
            return false;
        }
        WindowSelection windows = picker.GetWindows();
        picker.Unload();
        for (auto& [key, window] : windows) {
            captured = true;
            CaptureWindow(window.hWnd);
        }
    } catch (const std::exception& e) {
        MsgBox(DescriptionOf(e), MB_ICONERROR | MB_OK, L"MMain.ShowCaptureWindowForm");
    }
    return captured;
}

void CaptureWindow(HWND hwnd) {
    if (!CapturedWindows || !Tabs)
        Raise(kObjectRequired);
    // A window that is held already stays where it is: a second wrapper would fight the first.
    if (CapturedWindows->item(hwnd))
        Raise(kKeyAlreadyAssociated, L"The window is in a tab already");
    // A window that closes while it is being picked or captured leaves nothing behind.
    if (!IsWindow(hwnd))
        return;
    CWindow probe;
    probe.hWnd = hwnd;
    if (!probe.Answers())
        Raise(kWindowNotResponding, L"The window does not respond, so it cannot be taken in now");
    auto window = CapturedWindows->create(hwnd);
    Tabs->AddTab(window);
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
    // Reparenting waits on the window's program: one that has stopped answering stays in its
    // tab, whole, until it answers again.
    if (window->IsExistingWindow() && !window->Answers())
        Raise(kWindowNotResponding, L"The window does not respond; it stays in its tab for now");
    for (UINT command : kCapturedMenuCommands)
        window->EnableMenuItem(command, true);
    GiveBackWindow(*window, newParent);
    DoEvents();
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
    RemoveWindowTab(window);
    if (Tabs)
        Tabs->ActivateTab(Tabs->GetActiveTab());
    return result;
}

void ReleaseAllWindows(bool closeWindows) {
    if (!CapturedWindows)
        return;
    for (auto& window : CapturedWindows->NewEnum()) {
        // Only our own intro screen is closed; another program's window that happens to carry
        // the same title is released like any other.
        DWORD pid = 0;
        GetWindowThreadProcessId(window->hWnd, &pid);
        if (window->ActiveCaption() == L"Main menu" && pid == GetCurrentProcessId()) {
            window->CloseWindow();
            RemoveWindowTab(window);
        } else if (window->IsExistingWindow() && !window->Answers()) {
            continue; // kept, not lost: see ReleaseWindow
        } else {
            ReleaseWindow(window->hWnd, window->LastHwnd, kReleaseNormal, true);
            if (closeWindows)
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

bool GiveBackWindow(CWindow& window, HWND newParent) {
    if (window.IsExistingWindow() && !window.Answers())
        return false;
    window.Reparent(newParent, false);
    window.SetWindowState(kReleaseNormal);
    window.Resize(kReleasedWidth, kReleasedHeight, true);
    return true;
}

void GiveBackAllWindows() noexcept {
    try {
        if (!CapturedWindows)
            return;
        for (auto& window : CapturedWindows->NewEnum()) {
            try {
                DWORD pid = 0;
                GetWindowThreadProcessId(window->hWnd, &pid);
                if (!IsWindow(window->hWnd) || pid == GetCurrentProcessId())
                    continue;
                GiveBackWindow(*window, window->LastHwnd);
            } catch (...) {
            }
        }
    } catch (...) {
    }
}

} // namespace merilane
