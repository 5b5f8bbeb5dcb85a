// The container form: its load, layout and resolution, its window procedure, and what the tab
// set, the keyboard bindings and the subclassing need of it. Its commands, watch timers and
// end are in the files named after them.
#include "app/frmSSTab.h"
#include "app/Globals.h"
#include "app/MCommands.h"
#include "app/StartWithWindows.h"
#include "app/frmAbout.h"
#include "app/frmIntro.h"
#include "app/mMain.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "controls/Screen.h"
#include "tabs/CSSTab.h"
#include "tabs/CWindows.h"
#include "tabs/MTabDraw.h"
#include "window/CWindow.h"
#include "window/MForceFore.h"

namespace merilane {
namespace {

// Design-time client area of the container, in twips.
constexpr long kDesignWidth = 9255;
constexpr long kDesignHeight = 6690;

} // namespace

frmSSTab::frmSSTab() : Menu(MenuTree()) {
    Timer1.OnTick([this] { Timer1_Timer(); });
    Timer2.OnTick([this] { Timer2_Timer(); });
}

frmSSTab::~frmSSTab() = default;

CForm::CreateParams frmSSTab::GetCreateParams() {
    CreateParams p;
    p.className = L"MerilaneContainer";
    p.caption = L"Merilane";
    p.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT r{0, 0, TwipsToPixelsX(kDesignWidth), TwipsToPixelsY(kDesignHeight)};
    AdjustWindowRectEx(&r, p.style, TRUE, 0);
    p.width = r.right - r.left;
    p.height = r.bottom - r.top;
    p.menu = Menu.Handle();
    return p;
}

void frmSSTab::Form_Load() {
    HWND form = ExistingHwnd();
    // Boxes and dialogs of the program are owned by the container unless a dialog is open.
    SetMainWindow(form);
    Menu.AttachTo(form);
    TabStrip1.Create(form, kTabStripId, TCS_TOOLTIPS);
    Picture1.Create(form, kPictureId);
    // The display area lies on top of the tab strip.
    SetWindowPos(Picture1.hWnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetTabFont(Dpi());
    SetCaption(FormatTitle(L"%d"));
    CapturedWindows = std::make_shared<CWindows>();
    // The program draws the tabs itself.
    SetWindowLongW(TabStrip1.hWnd(), GWL_STYLE,
                   GetWindowLongW(TabStrip1.hWnd(), GWL_STYLE) | TCS_OWNERDRAWFIXED);
    ContainerSubclass = std::make_unique<CSubClass>(*this);
    ContainerSubclass->SubClass(form);
    imglstTabstrip.SetImageSize(Scaled(kTabIconSize, Dpi()), Scaled(kTabIconSize, Dpi()));
    if (HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                                   IMAGE_ICON, 16, 16, LR_SHARED)))
        imglstTabstrip.Add(icon);
    TabStrip1.SetImageList(&imglstTabstrip);
    TabStrip1.Clear();
    TabStrip1.OnClick = [this] { TabStrip1_Click(); };
    TabStrip1.OnMouseUp = [this](int button, int, int, int) { TabStrip1_MouseUp(button); };
    TabStrip1.OnTabDrop = [this](const TabDrop& drop) { TabStrip1_TabDrop(drop); };
    DragInTimer.OnTick([this] { DragInTimer_Timer(); });
    ContainerWindow = std::make_shared<CWindow>();
    ContainerWindow->Load(form);
    Tabs = std::make_shared<CSSTab>(*this, CapturedWindows);
    m_loaded = LoadSettings();
    ApplyPlacement();
    Show();
    Menu.SetChecked(L"buttontabs", TabStrip1.Style() == 1);
    Menu.SetChecked(L"multirow", TabStrip1.MultiRow());
    Menu.SetChecked(L"options_enable_keybindings", true);
    Menu.SetChecked(L"startWithWindows", StartsWithWindows());
    IntroForm = MakeIntroForm();
    CaptureWindow(IntroForm->hWnd());
    SetCaption(FormatTitle(IntroForm->Caption() + L" - %d"));
    InitKeyMap();
    SetTabKeys(TabKeys::Standard);
    SetDefaultColors();
    ApplyOptions();
    WatchRuledWindows(true);
    InstallWindowEventHook();
    EnableTimers();
    HideMenuItems();
}

void frmSSTab::Form_Resize() {
    if (!TabStrip1.hWnd())
        return;
    Tolerating([&] {
        TabStrip1.SetWidth(Width() - 150);
        TabStrip1.SetHeight(Height());
    });
    Tolerating([&] {
        Picture1.SetWidth(TabStrip1.ClientWidth());
        Picture1.SetHeight(TabStrip1.ClientHeight());
        Picture1.SetLeft(TabStrip1.ClientLeft());
        Picture1.SetTop(TabStrip1.ClientTop());
    });
    std::shared_ptr<CWindow> active;
    Tolerating([&] { active = Tabs ? Tabs->GetActiveChildWindow() : nullptr; });
    if (!active || !IsWindow(active->hWnd))
        return;
    Tolerating([&] {
        auto window = CapturedWindows ? CapturedWindows->item(active->hWnd) : nullptr;
        if (!window)
            return;
        HWND form = ExistingHwnd();
        MoveWindow(window->LocalHwnd, 0, 0, TwipsToPixelsX(TabStrip1.ClientWidth(), form) + 2,
                   TwipsToPixelsY(TabStrip1.ClientHeight(), form), TRUE);
    });
    DoEvents();
}

void frmSSTab::SetTabFont(UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(kTabFontHundredthsOfPoint, static_cast<int>(dpi), 7200);
    font.lfWeight = FW_BOLD;
    wcscpy(font.lfFaceName, L"MS Sans Serif");
    m_tabFont.reset(CreateFontIndirectW(&font));
    SendMessageW(TabStrip1.hWnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_tabFont.get()), TRUE);
}

void frmSSTab::Form_DpiChanged(UINT dpi) {
    // Tab text and icons at the new resolution; the resize that follows lays the rest out.
    SetTabFont(dpi);
    imglstTabstrip.Rescale(Scaled(kTabIconSize, dpi), Scaled(kTabIconSize, dpi));
    TabStrip1.SetImageList(&imglstTabstrip);
}

bool frmSSTab::IsIntroScreen(HWND hwnd) const {
    return IntroForm && IntroForm->IsLoaded() && IntroForm->ExistingHwnd() == hwnd;
}

bool frmSSTab::UseActiveTabIconForAltTab() const {
    return Menu.Checked(L"alttab_useActiveTabIcon");
}

bool frmSSTab::UseActiveTabIconForTaskbar() const {
    return Menu.Checked(L"taskbar_useActiveTabIcon");
}

bool frmSSTab::Cycling() const {
    return Menu.Checked(L"roundRobin");
}

bool frmSSTab::IsOwnForeground(bool includeContainer) {
    return IsOwnWindow(GetForegroundWindow(), includeContainer);
}

bool frmSSTab::KeyBindingsEnabled() {
    return Menu.Checked(L"options_enable_keybindings");
}

bool frmSSTab::HasActiveTab() {
    return Tabs && Tabs->GetActiveTab();
}

void frmSSTab::Carry(KeyAction action, int tab) {
    switch (action) {
    case KeyAction::NewCapture:
        AskForCapture();
        return;
    case KeyAction::ContainerForward:
        if (ContainerWindow)
            ForceForeground(ContainerWindow->hWnd);
        return;
    case KeyAction::CancelDrag:
        TabStrip1.CancelDrag();
        return;
    case KeyAction::GoToTab:
        RunCommand([] {
            if (ContainerForm)
                ContainerForm->ShowGoToTab();
        });
        return;
    default:
        break;
    }
    RunCommand([action, tab] {
        if (!Tabs || !ContainerForm)
            return;
        switch (action) {
        case KeyAction::NextTab:
            Tabs->ActivateNextTab(ContainerForm->Cycling());
            break;
        case KeyAction::PreviousTab:
            Tabs->ActivatePreviousTab(ContainerForm->Cycling());
            break;
        case KeyAction::ActivateTab:
            Tabs->ActivateTabByIndex(tab);
            break;
        case KeyAction::ChangeCaption:
            ChangeActiveCaption();
            break;
        case KeyAction::ReleaseActive:
            if (auto window = Tabs->GetActiveChildWindow())
                ReleaseWindow(window->hWnd, window->LastHwnd, kReleaseNormal, true);
            break;
        default:
            break;
        }
    });
}

LRESULT frmSSTab::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        // The close box asks the way "Exit" does, after any command that runs.
        RunCommand([] {
            if (ContainerForm)
                ContainerForm->Unload();
        });
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (header->hwndFrom == TabStrip1.hWnd())
            TabStrip1.HandleNotify(*header);
        if (header->code == TTN_GETDISPINFOW &&
            header->hwndFrom ==
                reinterpret_cast<HWND>(SendMessageW(TabStrip1.hWnd(), TCM_GETTOOLTIPS, 0, 0))) {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lp);
            m_toolTip = TabToolTip(static_cast<int>(header->idFrom) + 1);
            info->lpszText = m_toolTip.data();
            // Long titles wrap instead of running off the screen.
            SendMessageW(header->hwndFrom, TTM_SETMAXTIPWIDTH, 0, 600);
        }
        return 0;
    }
    case WM_QUERYENDSESSION:
        return QueryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
        EndSession(wp != 0);
        return 0;
    default:
        break;
    }
    return CForm::WindowProc(msg, wp, lp);
}

bool frmSSTab::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.hwndItem != TabStrip1.hWnd() || item.CtlType != ODT_TAB)
        return false;
    DrawTabItem(item.hwndItem, item.itemID, item.hDC, (item.itemState & ODS_SELECTED) != 0,
                item.rcItem);
    return true;
}

void frmSSTab::RefocusActiveTab() {
    merilane::RefocusActiveTab();
}

std::wstring frmSSTab::TabToolTip(int position) const {
    // The tab shows its caption cut at 26 characters; its tooltip shows all of it.
    if (!Tabs || position < 1 || position > TabStrip1.Count())
        return {};
    auto window =
        CapturedWindows ? CapturedWindows->item(TabStrip1.Item(position)->Tag()) : nullptr;
    return window ? window->ReplacedCaption(0) : TabStrip1.Item(position)->Caption();
}

} // namespace merilane
