// The mouse on the tabs beyond clicks: a middle click releases, a tab dragged along the strip
// moves, one dragged out of the container goes back to the desktop where it is dropped, and
// another program's window dragged onto the tabs is captured where it is dropped.
#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "selection/CTaskList.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include <windowsx.h>

namespace merilane {
namespace {

// How long a drop waits for the dragged window's move loop to end; a thread stuck in it longer
// gets its window refused as one that does not answer.
constexpr DWORD kDropWaitMs = 2000;
// How long the strip's layout, as measured for the mouse hook, is taken to hold.
constexpr DWORD kLayoutAgeMs = 250;

} // namespace

void frmSSTab::ReleaseTabUnderPointer() {
    DWORD at = GetMessagePos();
    int position = TabStrip1.HitTest({GET_X_LPARAM(at), GET_Y_LPARAM(at)});
    if (!position)
        return;
    HWND window = TabStrip1.Item(position)->Tag();
    // The intro screen is no window to give back.
    if (IsIntroScreen(window))
        return;
    RunCommand([window] {
        if (CapturedWindows && CapturedWindows->item(window))
            ReleaseWindow(window, CapturedWindows->item(window)->LastHwnd, kReleaseNormal, true);
    });
}

void frmSSTab::TabStrip1_TabDrop(const TabDrop& drop) {
    HWND window = drop.window;
    if (drop.kind == TabDrop::Kind::Outside && IsIntroScreen(window))
        return;
    RunCommand([window, drop] {
        // What ran before may have moved or released it.
        TabPtr tab = Tabs ? Tabs->GetTabByHwnd(window) : nullptr;
        if (!tab)
            return;
        if (drop.kind == TabDrop::Kind::Reorder) {
            Tabs->MoveTab(window, drop.to);
            Tabs->ActivateTab(tab, true);
        } else if (CapturedWindows && CapturedWindows->item(window)) {
            ReleaseWindowAt(window, drop.point);
        }
    });
}

bool frmSSTab::DragInTarget(DragInFacts& facts) {
    HWND form = ExistingHwnd();
    // A dialog of ours (the picker, a box) disables the container: nothing goes in meanwhile.
    if (!Tabs || !IsWindowVisible(form) || IsIconic(form) || !IsWindowEnabled(form) ||
        IsPickerOpen() || TabStrip1.Dragging())
        return false;
    // Asked on every mouse event of a drag, within the hook's time: the layout, which asks
    // the strip once per tab, and whether the window may be taken, which asks the system
    // about it several times, are found again only now and then.
    DWORD now = GetTickCount();
    if (!m_layoutAt || now - m_layoutAt > kLayoutAgeMs || facts.moving != m_layoutWindow ||
        m_layout.tabs.size() != static_cast<size_t>(TabStrip1.Count())) {
        m_layout.tabRow = TabStrip1.TabRow();
        GetWindowRect(Picture1.hWnd(), &m_layout.display);
        m_layout.tabs = TabStrip1.TabRects();
        m_layoutAt = now ? now : 1;
        m_layoutWindow = facts.moving;
        // The picker's refusal holds for a drop as well: an owned pop-up belongs with its owner.
        m_layoutWindowTakable = CTaskList::IsTaskWindow(facts.moving, 0);
    }
    if (!m_layoutWindowTakable)
        return false;
    facts.tabRow = m_layout.tabRow;
    facts.display = m_layout.display;
    facts.tabs = m_layout.tabs;
    return true;
}

void frmSSTab::CarryDragIn(const DragInDecision& decision) {
    switch (decision.action) {
    case DragInAction::Mark:
        m_markedWindow = decision.window;
        TabStrip1.SetInsertionMark(decision.gap);
        break;
    case DragInAction::Unmark:
        m_markedWindow = nullptr;
        TabStrip1.SetInsertionMark(-1);
        break;
    case DragInAction::Drop:
        m_markedWindow = nullptr;
        TabStrip1.SetInsertionMark(-1);
        m_drop = PendingDrop{decision.window, decision.gap, decision.point, GetTickCount()};
        break;
    default:
        return;
    }
    if (!DragInTimer.Enabled())
        DragInTimer.SetEnabled(true);
    DragInTimer_Timer();
}

void frmSSTab::DragInTimer_Timer() {
    if (m_drop.window) {
        // The button is up but the move loop may not have seen it yet; the window is not
        // touched before the loop is done with it.
        if (MovedByItsThread(m_drop.window) == m_drop.window &&
            GetTickCount() - m_drop.since < kDropWaitMs)
            return;
        PendingDrop drop = m_drop;
        m_drop = PendingDrop{};
        DragInTimer.SetEnabled(false);
        if (!DropLandsOnContainer(drop.point, drop.window))
            return;
        RunCommand([drop] { CaptureDroppedWindow(drop.window, drop.gap + 1); });
        return;
    }
    // Escape ends the move loop without a mouse event for the hook to see.
    if (m_markedWindow && MovedByItsThread(m_markedWindow) == m_markedWindow)
        return;
    if (m_markedWindow) {
        m_markedWindow = nullptr;
        TabStrip1.SetInsertionMark(-1);
        ForgetDragIn();
    }
    DragInTimer.SetEnabled(false);
}

bool frmSSTab::DropLandsOnContainer(POINT point, HWND dropped) const {
    HWND form = ExistingHwnd();
    // The dropped window lies on top, with whatever it owns; below them, the first window
    // that is shown there must be the container.
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == dropped || GetWindow(w, GW_OWNER) == dropped || !IsWindowVisible(w) || IsIconic(w))
            continue;
        RECT r{};
        GetWindowRect(w, &r);
        if (!PtInRect(&r, point))
            continue;
        if (w != form)
            return false;
        RECT row = TabStrip1.TabRow(), display{};
        GetWindowRect(Picture1.hWnd(), &display);
        return PtInRect(&row, point) || PtInRect(&display, point);
    }
    return false;
}

} // namespace merilane
