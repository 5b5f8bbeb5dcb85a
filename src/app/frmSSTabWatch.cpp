// The container's two watch timers: nothing tells it when a captured window changes its
// title, closes or comes to the front, so they look.
#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/WatchRules.h"
#include "app/frmIntro.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "controls/Failure.h"
#include "controls/Text.h"
#include "selection/CTaskList.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "window/CWindow.h"
#include "window/MForceFore.h"
#include <algorithm>

namespace merilane {
namespace {

// Tab captions are compared on this many characters only.
constexpr size_t kCaptionComparison = 22;

std::wstring Compared(const std::wstring& caption) {
    return Trim(caption).substr(0, kCaptionComparison);
}

} // namespace

bool TabCaptionFollows(const std::wstring& tabCaption, const std::wstring& caption) {
    return Compared(tabCaption) != Compared(caption);
}

MenuEntries WatchedMenuEntries(const MenuFacts& facts) {
    if (!facts.anyTab)
        return {true, false};
    MenuEntries entries{true, facts.activeTabEnabled};
    if (facts.introFormExists)
        entries = {!facts.introIsTab, !facts.introIsTab};
    if (!entries.activeTab && facts.otherWindowActive)
        entries.activeTab = true;
    return entries;
}

Rhythm NextRhythm(int calmTicks, bool busy) {
    if (busy)
        calmTicks = 0;
    else if (calmTicks < kTicksBeforeCalm)
        ++calmTicks;
    return {calmTicks, calmTicks >= kTicksBeforeCalm ? kCalmInterval : kBusyInterval};
}

void frmSSTab::DisableTimers() {
    Timer1.SetEnabled(false);
    Timer2.SetEnabled(false);
    Sleep(1);
}

void frmSSTab::EnableTimers() {
    Timer1.SetEnabled(true);
    Timer2.SetEnabled(true);
}

long frmSSTab::GetWindowZorder(HWND hwnd) const {
    CTaskList tasks;
    tasks.Refresh();
    for (long i = 1; i <= tasks.Count(); ++i)
        if (tasks.hWnd(i) == hwnd)
            return i;
    return 0;
}

void frmSSTab::Timer1_Timer() {
    // A command that changes the tabs is under way: the next tick looks again.
    if (CommandRunning() || !Tabs || !CapturedWindows)
        return;
    RunCommand([this] {
        HWND form = ExistingHwnd();
        // Without tabs the container is titled after the program alone.
        if (TabStrip1.Count() == 0 && Caption() != FormatTitle(L"%d"))
            SetCaption(FormatTitle(L"%d"));

        // A captured window brought forward by other means (the taskbar, ALT + TAB) takes
        // its tab along. Each question to the system costs a trip to it: what is in front and
        // which tab is active are read once a tick, and again only after a change.
        HWND foreground = GetForegroundWindow();
        auto active = TabStrip1.Count() ? Tabs->GetActiveChildWindow() : nullptr;
        if (active && IsOwnWindow(foreground, false) && foreground != active->hWnd) {
            if (TabPtr tab = Tabs->GetTabByHwnd(foreground)) {
                BringWindowToTop(form);
                Tolerating([&] { Tabs->ActivateTab(tab, true); });
                foreground = GetForegroundWindow();
                active = TabStrip1.Count() ? Tabs->GetActiveChildWindow() : nullptr;
            }
        }

        MenuEntries entries = WatchedMenuEntries(
            {TabStrip1.Count() > 0, IntroForm != nullptr,
             IntroForm && IntroForm->IsLoaded() && IsOwnWindow(IntroForm->ExistingHwnd(), false),
             active && !IsIntroScreen(active->hWnd), Menu.Enabled(L"mnuActiveTab")});
        Menu.SetEnabled(L"intro", entries.intro);
        Menu.SetEnabled(L"mnuActiveTab", entries.activeTab);

        // The keyboard bindings come the first time the program is in front, once.
        if (!HookInstalled && IsOwnWindow(foreground, true))
            HookInstalled = InstallKeyboardHook(*this);
        // Windows are dragged onto the tabs while another program is in front.
        KeepMouseHook(*this);

        WatchCapturedWindows(foreground);
        if (Tabs && CapturedWindows)
            WatchRuledWindows();
    });
}

void frmSSTab::WatchCapturedWindows(HWND foreground) {
    HWND form = ExistingHwnd();
    for (auto& window : CapturedWindows->NewEnum()) {
        // Anything may have gone since the walk began.
        if (!Tabs || !CapturedWindows)
            return;
        if (window->IsExistingWindow()) {
            std::wstring caption = window->ReplacedCaption(0);
            if (TabPtr tab = Tabs->GetTabByHwnd(window->hWnd))
                if (TabCaptionFollows(tab->Caption(), caption))
                    Tabs->ChangeTabCaption(tab, caption);
            if (window->hWnd == foreground) {
                std::wstring title = FormatTitle(caption + L" - %d");
                if (Caption() != title)
                    SetWindowTextW(form, title.c_str());
            }
        } else {
            TabOfGoneWindowGoes(window);
        }
    }
}

void frmSSTab::TabOfGoneWindowGoes(const std::shared_ptr<CWindow>& window) {
    RemoveWindowTab(window);
    if (Tabs && Tabs->GetActiveTab())
        Tabs->ActivateTab(Tabs->GetActiveTab());
}

bool frmSSTab::ClosedWindowsLeave() {
    // The watch looks every 200 ms, and a tab whose window has gone must be gone within that
    // time, the work of taking it away included. Whether a window exists is known without
    // asking it, so the quicker timer looks too.
    if (CommandRunning() || !CapturedWindows)
        return false;
    auto windows = CapturedWindows->NewEnum();
    if (std::all_of(windows.begin(), windows.end(),
                    [](const auto& window) { return window->IsExistingWindow(); }))
        return false;
    RunCommand([this] {
        if (!CapturedWindows)
            return;
        for (auto& window : CapturedWindows->NewEnum())
            if (!window->IsExistingWindow())
                TabOfGoneWindowGoes(window);
    });
    return true;
}

void frmSSTab::Timer2_Timer() {
    HWND foreground = GetForegroundWindow();
    bool acted = ClosedWindowsLeave();
    acted = Timer2_Tick(foreground) || acted;
    // A window a rule may want has appeared: the look is not left to the slower watch.
    if (!CommandRunning() && Tabs && CapturedWindows && RuledWindowAppeared()) {
        RunCommand([] { WatchRuledWindows(); });
        acted = true;
    }
    // Waking a hundred times a second costs more than the program may spend idle, so the
    // timer slows down while nothing changes; the first change it sees speeds it up again.
    // What came to the front while this tick acted is seen by the next.
    bool busy = acted || NewCaptureRequested || foreground != m_lastForeground;
    m_lastForeground = foreground;
    Rhythm rhythm = NextRhythm(m_calmTicks, busy);
    m_calmTicks = rhythm.calmTicks;
    if (Timer2.Interval() != rhythm.interval)
        Timer2.SetInterval(rhythm.interval);
}

bool frmSSTab::Timer2_Tick(HWND foreground) {
    if (NewCaptureRequested) {
        // One picker at a time: the request waits while one is open or a command runs.
        if (CommandRunning() || IsPickerOpen())
            return false;
        RunCommand([] {
            ShowCaptureWindowForm();
            NewCaptureRequested = false;
        });
        return true;
    }
    // The container stays above other programs while one of its windows is in front. The
    // position is read from the desktop's z-order without asking any window.
    if (!IsOwnWindow(foreground, false))
        return false;
    if (CTaskList::ZorderOf(ExistingHwnd()) <= 1)
        return false;
    CWindow container;
    container.Load(ExistingHwnd());
    container.ZorderTop(true);
    ForceForeground(foreground);
    return true;
}

void frmSSTab::AskForCapture() {
    NewCaptureRequested = true;
    m_calmTicks = 0;
    if (Timer2.Enabled())
        Timer2.SetInterval(kBusyInterval);
}

} // namespace merilane
