// How the container ends: closing it, and the end of the user's session.
#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/frmIntro.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "controls/Dialogs.h"
#include "controls/Failure.h"
#include "controls/ProductInfo.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"

namespace merilane {
namespace {

constexpr const wchar_t* kStillHeldMessage =
    L"A window does not respond, so Merilane keeps it and stays open. Close again once it "
    L"answers.";

} // namespace

void frmSSTab::Form_QueryUnload(bool& cancel) {
    if (Tabs) {
        if (auto active = Tabs->GetActiveChildWindow())
            if (TabStrip1.Count() == 1 && IsIntroScreen(active->hWnd))
                RemoveWindowTab(active);
    }
    if (TabStrip1.Count() >= 1) {
        if (MsgBox(L"Release all windows and close Merilane ?", MB_OKCANCEL | MB_ICONQUESTION,
                   Product().name) != IDOK) {
            cancel = true;
            return;
        }
        // The box waited for the user; the tabs are recorded as they are now, before they go.
        RecordTabSet();
        if (ContainerSubclass)
            ContainerSubclass->UnSubClass();
        ReleaseAllWindows(false);
    }
    RecordTabSet();
    // Closing now would take a window that does not answer down with us: the container stays,
    // as it was.
    if (AnyWindowHeld() || (CapturedWindows && CapturedWindows->Count() > 0)) {
        NoteForUser(kStillHeldMessage);
        if (ContainerSubclass)
            ContainerSubclass->SubClass(ExistingHwnd());
        cancel = true;
        return;
    }
    DisableTimers();
    ContainerSubclass.reset();
    RemoveKeyboardHook();
    RemoveMouseHook();
    DragInTimer.SetEnabled(false);
    RemoveWindowEventHook();
    Tabs.reset();
    ContainerWindow.reset();
    if (IntroForm) {
        IntroForm->Unload();
        IntroForm.reset();
    }
    if (CapturedWindows) {
        CapturedWindows->RemoveAll(RemoveWindowTab);
        CapturedWindows.reset();
    }
    // The first request tears down and asks again a little later, so that the host forms
    // closed above are gone before the container goes.
    if (CloseTimerId == 0) {
        CloseTimerId = SetTimer(ExistingHwnd(), kCloseTimer, kCloseDelayMs, CloseTimerProc);
        cancel = true;
    }
}

void CALLBACK frmSSTab::CloseTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    // The timer goes on firing until the container is gone; a tick that comes while a command
    // runs leaves the close to the next one.
    if (!ContainerForm || CommandRunning())
        return;
    Guarded([] {
        RunCommand([] {
            if (ContainerForm)
                ContainerForm->Unload();
        });
    });
}

void frmSSTab::Form_Unload() {
    // Whatever is still held goes back to its program before our windows are destroyed.
    GiveBackAllWindows();
    PostQuitMessage(0);
}

// Session end is gated like any other command. Its messages are sent, not posted, so they
// arrive inside whatever waits on this thread: a command's bounded wait on another program, a
// message-pump pass, a modal box. Releasing there would change the tab set under the command.

bool frmSSTab::QueryEndSession() {
    // A command is half-way: the session is asked to wait, as for a window that does not
    // answer, rather than have the command cut short. The user ends it again afterwards.
    if (CommandRunning())
        return false;
    // The windows we hold are not top-level, so their programs would not be asked to save:
    // they go back to the desktop before the session ends. The session waits for one that
    // does not answer, since ending now would destroy it with us.
    RecordTabSet();
    RunCommand([] { ReleaseAllWindows(false); });
    return !AnyWindowHeld();
}

void frmSSTab::EndSession(bool ending) {
    if (!ending)
        return;
    RecordTabSet();
    if (!CommandRunning()) {
        RunCommand([] {
            ReleaseAllWindows(false);
            GiveBackAllWindows();
        });
        return;
    }
    // The program may end the moment this returns, and the running command cannot finish
    // first: it waits further down this very call stack. So every window goes back now the
    // way the last resort gives them back, which leaves the tab set alone under the command;
    // the orderly release follows the command, should the program live that long.
    GiveBackAllWindows();
    RunCommand([] { ReleaseAllWindows(false); });
}

} // namespace merilane
