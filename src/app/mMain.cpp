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

void CaptureWindow(HWND hwnd) {
    if (!CapturedWindows || !Tabs)
        Raise(kObjectRequired);
    auto window = CapturedWindows->create(hwnd);
    Tabs->AddTab(window);
}

TabPtr ReleaseWindow(HWND hwnd, HWND newParent, UINT releaseState, bool removeTab) {
    if (!CapturedWindows)
        Raise(kObjectRequired);
    auto window = CapturedWindows->item(hwnd);
    if (!window)
        Raise(kObjectRequired, L"The window is not captured");
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
        if (window->ActiveCaption() == L"Main menu") {
            window->CloseWindow();
            RemoveWindowTab(window);
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

void GiveBackWindow(CWindow& window, HWND newParent) {
    window.Reparent(newParent, false);
    window.SetWindowState(kReleaseNormal);
    window.Resize(kReleasedWidth, kReleasedHeight, true);
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
