#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/mMain.h"
#include "app/mMainShared.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "controls/Screen.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "tabs/dlgDocument.h"
#include "window/CaptureRecord.h"
#include "window/MForceFore.h"

namespace merilane {
namespace {

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

} // namespace

namespace detail {

bool ReleaseMoveEnded(HWND hwnd) {
    auto pending = CapturedWindows ? CapturedWindows->WaitingRelease(hwnd) : std::nullopt;
    if (!pending)
        return false;
    if (auto window = CapturedWindows->item(hwnd))
        CapturedWindows->SetState(window, HeldState::Held);
    FinishRelease(hwnd, pending->releaseState, pending->removeTab);
    if (pending->activate && IsWindow(hwnd))
        ForceForeground(hwnd);
    return true;
}

} // namespace detail

TabPtr ReleaseWindow(HWND hwnd, const ReleaseOptions& options) {
    if (!CapturedWindows)
        Raise(kObjectRequired);
    auto window = CapturedWindows->item(hwnd);
    if (!window)
        Raise(kObjectRequired, L"The window is not captured");
    auto tabNow = [&] { return options.removeTab || !Tabs ? nullptr : Tabs->GetTabByHwnd(hwnd); };
    NoteReleasedByHand(hwnd);
    if (CapturedWindows->StateOf(hwnd) == HeldState::Leaving)
        return tabNow(); // on its way out already
    detail::ReceiveLateMoves();
    if (!window->GiveBack(options.newParent, options.placement ? &*options.placement : nullptr)) {
        // The release waited on the window: anything may have run meanwhile.
        if (CapturedWindows && CapturedWindows->item(hwnd) == window)
            CapturedWindows->SetState(window, HeldState::Leaving, options);
        // It may have left its host and then stopped answering while its style was put back.
        bool out = IsWindow(hwnd) && GetAncestor(hwnd, GA_PARENT) != window->LocalHwnd;
        NoteForUser(detail::Quoted(*window) +
                    (out ? L" does not respond. It is back on the desktop, and gets its frame "
                           L"back as soon as it answers."
                         : L" does not respond. It stays in its tab and goes back to the desktop "
                           L"as soon as it answers."));
        return tabNow();
    }
    return FinishRelease(hwnd, options.releaseState, options.removeTab);
}

void ReleaseWindowAt(HWND hwnd, POINT topLeft) {
    auto window = CapturedWindows ? CapturedWindows->item(hwnd) : nullptr;
    if (!window)
        Raise(kObjectRequired, L"The window is not captured");
    const RECT& before = window->Record().rect;
    RECT placement{topLeft.x, topLeft.y, topLeft.x + (before.right - before.left),
                   topLeft.y + (before.bottom - before.top)};
    ReleaseWindow(hwnd, {.newParent = window->LastHwnd, .placement = placement, .activate = true});
    // Out in time: it comes in front of the container that the release activated.
    if (!IsOnItsWay(hwnd) && IsWindow(hwnd))
        ForceForeground(hwnd);
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
            if (closeWindows && !IsOnItsWay(window->hWnd))
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
    // Its program closed it while it was held: nothing is left to give back.
    if (!IsWindow(window->hWnd))
        HeldWindows::Forget(window->hWnd);
    window->GetParentWindow().CloseWindow();
}

bool AnyWindowHeld() {
    return (CapturedWindows && CapturedWindows->AnyOnItsWay()) || detail::AnyHostHoldsAWindow();
}

bool IsOnItsWay(HWND hwnd) {
    auto state = CapturedWindows ? CapturedWindows->StateOf(hwnd) : std::nullopt;
    return state && state != HeldState::Held;
}

void GiveBackAllWindows() noexcept {
    try {
        for (auto* host : dlgDocument::Live())
            host->GiveBackHeldWindow();
    } catch (...) {
    }
}

} // namespace merilane
