#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "app/mMainShared.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "selection/WindowRules.h"
#include "selection/frmTaskList.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "window/MTermProc.h"
#include <map>

namespace merilane {
namespace {

bool g_pickerOpen = false;

void UndoFinished(const std::shared_ptr<CWindow>& window) {
    if (CapturedWindows && CapturedWindows->StateOf(window->hWnd) != HeldState::Held)
        CapturedWindows->Remove(window->hWnd);
    if (IsWindow(window->hWnd))
        ShowWindowAsync(window->hWnd, static_cast<int>(window->Record().showCmd));
    detail::CloseHost(window->LocalHwnd);
}

// A window that capture could not finish with goes back out as it was: where it was, as big
// and in the show state it had. The host form closes once the window is out.
void UndoCapture(const std::shared_ptr<CWindow>& window) {
    HWND hwnd = window->hWnd, host = window->LocalHwnd;
    if (!IsWindow(hwnd) || !host || GetAncestor(hwnd, GA_PARENT) != host) {
        // It never went in: it is shown as it was before the collection maximised it.
        UndoFinished(window);
        return;
    }
    if (CapturedWindows)
        CapturedWindows->SetState(window, HeldState::GivingUp);
    RECT where = window->Record().rect;
    if (window->GiveBack(window->Record().previousParent, &where))
        UndoFinished(window);
}

// What the picker's OK does with each window chosen, and a drop with the one dropped.
void CaptureChosenWindow(const CWindow& window, const CaptureOptions& options) {
    try {
        CaptureWindow(window, options);
    } catch (const Error& e) {
        if (e.Number() != kKeyAlreadyAssociated)
            throw;
        NoteForUser(detail::Quoted(window, options.seen) + L" is in a tab already.");
    }
}

} // namespace

namespace detail {

bool CaptureMoveEnded(HWND hwnd) {
    auto state = CapturedWindows ? CapturedWindows->StateOf(hwnd) : std::nullopt;
    if (state != HeldState::InLate && state != HeldState::GivingUp)
        return false;
    // Still in the account: the wrapper outlives the call below, which may remove it.
    auto window = CapturedWindows->Wrapper(hwnd);
    if (state == HeldState::GivingUp)
        UndoFinished(window);
    else
        UndoCapture(window);
    return true;
}

} // namespace detail

bool IsPickerOpen() noexcept {
    return g_pickerOpen;
}

bool ShowCaptureWindowForm() {
    if (g_pickerOpen)
        return false;
    bool captured = false;
    Tolerating({.tellUser = L"MMain.ShowCaptureWindowForm"}, [&] {
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
                return;
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
            CaptureChosenWindow(window, {.seen = names[key]});
        }
    });
    return captured;
}

void CaptureDroppedWindow(HWND hwnd, int position) {
    // Closed in mid-drag: there is nothing to take, and nothing worth a word.
    if (!IsWindow(hwnd))
        return;
    Tolerating({.tellUser = L"MMain.CaptureDroppedWindow"}, [&] {
        CWindow loaded;
        loaded.Load(hwnd);
        CaptureChosenWindow(loaded, {.position = position});
    });
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
    if (!intro && ExcludedByRules(hwnd))
        return CaptureRefusal::Excluded;
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
    case CaptureRefusal::Excluded:
        return L"one of your rules (Options > Rules...) keeps it out";
    case CaptureRefusal::NoTab:
        return L"Merilane could not make a tab for it";
    case CaptureRefusal::SystemRefused:
        return L"Windows would not let Merilane take it in; its program may run with more "
               L"rights than Merilane";
    default:
        return {};
    }
}

void CaptureWindow(const CWindow& loaded, const CaptureOptions& options) {
    HWND hwnd = loaded.hWnd;
    const std::wstring& name = options.seen;
    if (!CapturedWindows || !Tabs)
        Raise(kObjectRequired);
    // A window that is held already stays where it is: a second wrapper would fight the first.
    if (CapturedWindows->item(hwnd))
        Raise(kKeyAlreadyAssociated, L"The window is in a tab already");
    auto refuse = [&](CaptureRefusal why) {
        NoteForUser(detail::Quoted(loaded, name) + L" was not put in a tab: " + RefusalText(why) +
                    L".");
    };
    if (CaptureRefusal why = RefusalOf(hwnd); why != CaptureRefusal::None) {
        refuse(why);
        return;
    }
    // One that does not answer now is refused at once; that it answers now promises nothing,
    // which is what the rest of the capture is ready for.
    if (IsOnItsWay(hwnd) || !loaded.Answers()) {
        NoteForUser(detail::Quoted(loaded, name) +
                    L" does not respond, so it was not put in a tab. It stays where it is; "
                    L"try again once it answers.");
        return;
    }
    auto window = CapturedWindows->create(loaded);
    detail::ReceiveLateMoves();
    CSSTab::Added added = Tabs->AddTab(window);
    if (added == CSSTab::Added::InTab) {
        if (!window->IsExistingWindow()) {
            RemoveWindowTab(window);
            return;
        }
        window->GreyCapturedMenu();
        if (!options.tabName.empty() || !options.ruleName.empty() || !options.caption.empty()) {
            window->Name = options.tabName;
            window->RuleName = options.ruleName;
            if (!options.caption.empty())
                window->Caption = options.caption;
            ShowTabCaption(*window);
        }
        if (options.position > 0)
            Tabs->MoveTab(hwnd, options.position);
        return;
    }
    // Tab and entry go; the host form stays for as long as the window may be inside.
    RemoveWindowTab(window);
    switch (added) {
    case CSSTab::Added::Refused:
        ShowWindowAsync(hwnd, static_cast<int>(window->Record().showCmd));
        refuse(CaptureRefusal::SystemRefused);
        break;
    case CSSTab::Added::Late:
        // What it is told now it does once it answers, after the move it is stuck in.
        ShowWindowAsync(hwnd, static_cast<int>(window->Record().showCmd));
        // It may still go in; then it comes straight back out.
        CapturedWindows->SetState(window, HeldState::InLate);
        NoteForUser(detail::Quoted(loaded, name) +
                    L" does not respond, so it was not put in a tab. It goes back where it was "
                    L"as soon as it answers.");
        break;
    default:
        UndoCapture(window);
        refuse(CaptureRefusal::NoTab);
        break;
    }
}

} // namespace merilane
