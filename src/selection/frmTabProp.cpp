#include "selection/frmTabProp.h"
#include "controls/CIcon.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "controls/Handles.h"
#include "controls/Screen.h"
#include "selection/StyleDecoding.h"
#include "window/MTermProc.h"
#include <commctrl.h>

namespace merilane {
namespace {

// At 96 dots per inch; everything is scaled to the form's resolution.
constexpr int kWidth = 600;
constexpr int kHeight = 520;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kLabelHeight = 16;
constexpr int kEditHeight = 22;
constexpr int kComboWidth = 180;
constexpr int kComboDropHeight = 120;
constexpr int kListIcon = 16;

enum ControlId : int {
    kTabId = 900,
    kPropertiesId,
    kStylesId,
    kBigIconId,
    kCaptionId,
    kReleaseTypeId,
    kSwitchListId,
};

constexpr const wchar_t* kReleaseTypes[] = {L"Normal", L"Minimized", L"Maximized"};

std::wstring Decimal(int32_t value) {
    return std::to_wstring(value);
}

std::wstring Decimal(HICON icon) {
    return Decimal(static_cast<int32_t>(reinterpret_cast<intptr_t>(icon)));
}

} // namespace

std::vector<std::pair<std::wstring, std::wstring>> TabPropertyRows(const CWindow& w) {
    HWND last = w.LastHwnd;
    return {
        {L"Caption", w.ActiveCaption()},
        {L"Top most", w.TopMost() ? L"True" : L"False"},
        {L"Owner process", Decimal(static_cast<int32_t>(w.PID))},
        {L"Window handle", Decimal(HandleValue(w.hWnd))},
        {L"Last window owner",
         last == GetDesktopWindow() ? std::wstring(L"Desktop") : Decimal(HandleValue(last))},
        {L"Owner executable", w.ExecutableName()},
        {L"Default style", Decimal(w.Style())},
        {L"Extended style", Decimal(w.ExStyle())},
        {L"Small icon", Decimal(w.SmallIconHandle())},
        {L"Large icon", Decimal(w.BigIconHandle())},
        {L"Window class", w.Classname},
        {L"Width", Decimal(w.Width)},
        {L"Height", Decimal(w.Height)},
    };
}

frmTabProp::frmTabProp(TabPropActions actions)
    : Timer1(kTimerInterval, [this] { Tick(); }), m_actions(std::move(actions)) {
    Tasks.SetHungTimeout(kHungTimeout);
}

frmTabProp::~frmTabProp() {
    Timer1.SetEnabled(false);
    RestorePriority();
}

CForm::CreateParams frmTabProp::GetCreateParams() {
    UINT dpi = DpiOf();
    // Laid out by its outer size: the frame comes off the client area.
    CreateParams p = DialogParams(L"MerilaneTabProp", L"Properties ", 0, 0);
    p.width = Scaled(kWidth, dpi);
    p.height = Scaled(kHeight, dpi);
    CentreOnScreen(p);
    return p;
}

std::shared_ptr<CWindow> frmTabProp::ActiveWindow() const {
    return m_actions.ActiveWindow ? m_actions.ActiveWindow() : nullptr;
}

bool frmTabProp::HasActiveWindow() const {
    return ActiveWindow() != nullptr;
}

void frmTabProp::CreateControls() {
    HWND form = ExistingHwnd();
    // The pages' controls lie over the tab control as its siblings; clipping keeps the tab
    // control from painting over them. Those of the page not shown are hidden at the end.
    m_tab = MakeControl(WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS, kTabId);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"General");
    SendMessageW(m_tab, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    item.pszText = const_cast<wchar_t*>(L"Switch window");
    SendMessageW(m_tab, TCM_INSERTITEMW, 1, reinterpret_cast<LPARAM>(&item));

    lstProperties.Create(form, kPropertiesId, false);
    m_stylesLabel = MakeControl(L"STATIC", L"Window style bits", 0, -1);
    m_styles = MakeControl(L"LISTBOX", L"",
                           WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT, kStylesId);
    // DrawIcon draws at the system's icon size.
    picBigIcon.Create(form, kBigIconId, 0, 0, GetSystemMetrics(SM_CXICON),
                      GetSystemMetrics(SM_CYICON));
    m_captionLabel = MakeControl(L"STATIC", L"Custom caption (%t is active caption)", 0, -1);
    m_caption = MakeControl(L"EDIT", L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kCaptionId);
    m_releaseLabel = MakeControl(L"STATIC", L"Window state after releasing", 0, -1);
    m_releaseType =
        MakeControl(L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kReleaseTypeId);

    ListView1.Create(form, kSwitchListId, false);

    m_ok = MakeControl(L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
    m_release = MakeControl(L"BUTTON", L"Release", WS_TABSTOP, kReleaseId);
    m_cancel = MakeControl(L"BUTTON", L"Cancel", WS_TABSTOP, IDCANCEL);
    SetWindowPos(m_tab, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Its own layout follows the client area; the table gives the controls their font.
    PlaceControls({{m_tab},
                   {lstProperties.hWnd()},
                   {m_stylesLabel},
                   {m_styles},
                   {m_captionLabel},
                   {m_caption},
                   {m_releaseLabel},
                   {m_releaseType},
                   {ListView1.hWnd()},
                   {m_ok},
                   {m_release},
                   {m_cancel}});
    LayOut();

    // Columns and lists are there with or without a window to describe.
    long propertiesWidth = lstProperties.Width();
    lstProperties.AddColumn(L"Property", 1440);
    lstProperties.AddColumn(L"Value", propertiesWidth - 1000);

    ImageList1.SetImageSize(16, 16);
    auto ownIcon = reinterpret_cast<HICON>(GetClassLongPtrW(form, GCLP_HICONSM));
    if (!ownIcon)
        ownIcon = reinterpret_cast<HICON>(GetClassLongPtrW(form, GCLP_HICON));
    if (ownIcon)
        ImageList1.Add(ownIcon, L"null");
    for (const wchar_t* column : {L"Task", L"Status", L"hWnd", L"ProcessID", L"Exename"})
        ListView1.AddColumn(column, 1000);
    ImageList1.Rescale(Scaled(kListIcon, Dpi()), Scaled(kListIcon, Dpi()));
    ListView1.SetSmallIcons(&ImageList1);
    ListView1.OnKeyUp = [this](int keyCode, int) {
        // Posted: the list must not be destroyed from inside its own key handling.
        if (keyCode == VK_RETURN)
            PostMessageW(ExistingHwnd(), WM_COMMAND, IDOK, 0);
        else if (keyCode == VK_ESCAPE)
            PostMessageW(ExistingHwnd(), WM_COMMAND, IDCANCEL, 0);
    };
    SendMessageW(m_releaseType, CB_RESETCONTENT, 0, 0);
    for (const wchar_t* type : kReleaseTypes)
        SendMessageW(m_releaseType, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(type));
    SendMessageW(m_releaseType, CB_SETCURSEL, 0, 0);
    ShowPageControls(0);
}

void frmTabProp::Form_DpiChanged(UINT dpi) {
    ImageList1.Rescale(Scaled(kListIcon, dpi), Scaled(kListIcon, dpi));
    ListView1.SetSmallIcons(&ImageList1);
}

void frmTabProp::Form_Resize() {
    if (m_tab)
        LayOut();
}

void frmTabProp::LayOut() {
    UINT dpi = Dpi();
    auto px = [dpi](int at96) { return Scaled(at96, dpi); };
    int margin = px(kMargin), buttonWidth = px(kButtonWidth), buttonHeight = px(kButtonHeight);
    int labelHeight = px(kLabelHeight), editHeight = px(kEditHeight), gap = px(2), after = px(6);
    RECT client;
    GetClientRect(ExistingHwnd(), &client);
    int buttonsTop = client.bottom - margin - buttonHeight;
    MoveWindow(m_tab, margin, margin, client.right - 2 * margin, buttonsTop - 2 * margin, TRUE);
    MoveWindow(m_cancel, client.right - margin - buttonWidth, buttonsTop, buttonWidth, buttonHeight,
               TRUE);
    MoveWindow(m_ok, client.right - 2 * (margin + buttonWidth), buttonsTop, buttonWidth,
               buttonHeight, TRUE);
    MoveWindow(m_release, margin, buttonsTop, buttonWidth, buttonHeight, TRUE);

    // The pages' area, in the form's coordinates.
    RECT page;
    GetClientRect(m_tab, &page);
    TabCtrl_AdjustRect(m_tab, FALSE, &page);
    MapWindowPoints(m_tab, ExistingHwnd(), reinterpret_cast<POINT*>(&page), 2);
    int left = page.left + margin, top = page.top + margin;
    int width = page.right - page.left - 2 * margin;
    int height = page.bottom - page.top - 2 * margin;

    MoveWindow(ListView1.hWnd(), left, top, width, height, TRUE);

    int lowerBlock = 2 * (labelHeight + gap + editHeight + after);
    int upperHeight = height - lowerBlock - margin;
    int leftWidth = (width - margin) * 3 / 5;
    int rightLeft = left + leftWidth + margin, rightWidth = width - leftWidth - margin;
    MoveWindow(lstProperties.hWnd(), left, top, leftWidth, upperHeight, TRUE);
    MoveWindow(picBigIcon.hWnd(), rightLeft, top, picBigIcon.ImageWidth(), picBigIcon.ImageHeight(),
               TRUE);
    int stylesTop = top + picBigIcon.ImageHeight() + margin;
    MoveWindow(m_stylesLabel, rightLeft, stylesTop, rightWidth, labelHeight, TRUE);
    MoveWindow(m_styles, rightLeft, stylesTop + labelHeight + gap, rightWidth,
               top + upperHeight - (stylesTop + labelHeight + gap), TRUE);
    int y = top + upperHeight + margin;
    MoveWindow(m_captionLabel, left, y, width, labelHeight, TRUE);
    MoveWindow(m_caption, left, y + labelHeight + gap, width, editHeight, TRUE);
    y += labelHeight + gap + editHeight + after;
    MoveWindow(m_releaseLabel, left, y, width, labelHeight, TRUE);
    MoveWindow(m_releaseType, left, y + labelHeight + gap, px(kComboWidth), px(kComboDropHeight),
               TRUE);
}

void frmTabProp::Form_Load() {
    CreateControls();
    std::shared_ptr<CWindow> window = ActiveWindow();
    if (window)
        Fill(*window);
    // Without a window there is nothing to release, and nothing to switch it for.
    EnableWindow(m_release, window != nullptr);
}

void frmTabProp::Fill(const CWindow& w) {
    HWND form = ExistingHwnd();
    for (auto& [property, value] : TabPropertyRows(w)) {
        lstProperties.Add(property, property);
        lstProperties.SetText(property, 1, value);
    }
    // The dialog's own icon only: the container's icons are the tab activation's business.
    SendMessageW(form, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(w.SmallIconHandle()));
    CIcon::DrawImage(picBigIcon.hDC(), w.BigIconHandle());
    picBigIcon.Refresh();
    SetWindowTextW(m_caption, w.Caption.c_str());
    SetCaption(L"Properties " + w.ReplacedCaption(0));
    for (const std::wstring& line : DecodeStyle(w.Style()))
        SendMessageW(m_styles, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    for (const std::wstring& line : DecodeExStyle(w.ExStyle()))
        SendMessageW(m_styles, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));

    RaisePriority();

    long listWidth = ListView1.Width();
    int widths[] = {static_cast<int>(listWidth * 65 / 100), static_cast<int>(listWidth / 4),
                    static_cast<int>(listWidth / 4), static_cast<int>(listWidth / 4),
                    static_cast<int>(listWidth * 2)};
    for (int column = 0; column < 5; ++column)
        ListView_SetColumnWidth(ListView1.hWnd(), column,
                                TwipsToPixelsX(widths[column], ListView1.hWnd()));
    RefreshSwitchList();
    ListView1.ClearSelection();
    Timer1.SetEnabled(true);
    // Select the whole text, then put the start at 1: what remains is the caret after the
    // first character and nothing selected.
    SendMessageW(m_caption, EM_SETSEL, 1, 1);
}

int frmTabProp::CurrentPage() const {
    return m_tab ? static_cast<int>(SendMessageW(m_tab, TCM_GETCURSEL, 0, 0)) : 0;
}

void frmTabProp::SelectPage(int page) {
    hWnd();
    int previous = CurrentPage();
    if (page == previous)
        return;
    SendMessageW(m_tab, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    PageChanged(previous);
}

void frmTabProp::ShowPageControls(int page) {
    int general = page == 0 ? SW_SHOW : SW_HIDE;
    for (HWND h : {lstProperties.hWnd(), m_stylesLabel, m_styles, picBigIcon.hWnd(), m_captionLabel,
                   m_caption, m_releaseLabel, m_releaseType})
        ShowWindow(h, general);
    ShowWindow(ListView1.hWnd(), page == 1 ? SW_SHOW : SW_HIDE);
}

void frmTabProp::PageChanged(int previousPage) {
    bool active = HasActiveWindow();
    if (previousPage != 0) {
        EnableWindow(m_release, active);
        SetWindowTextW(m_ok, L"OK");
        EnableWindow(m_ok, TRUE);
    } else {
        EnableWindow(m_release, FALSE);
        SetWindowTextW(m_ok, L"Switch");
        EnableWindow(m_ok, active && !ListView1.SelectedKeys().empty());
    }
    ShowPageControls(CurrentPage());
}

void frmTabProp::Tick() {
    bool switchPage = CurrentPage() == 1;
    // The tab may have gone meanwhile: then there is nothing left to release or switch.
    bool active = HasActiveWindow();
    EnableWindow(m_ok, !switchPage || (active && !ListView1.SelectedKeys().empty()));
    if (!switchPage)
        EnableWindow(m_release, active);
    RefreshSwitchList();
}

void frmTabProp::RefreshSwitchList() {
    // No box of its own: a refresh that fails leaves the rows as they are, and the next tick
    // starts a new one.
    try {
        m_switchRows.Refresh();
    } catch (const std::exception&) {
    }
}

UINT frmTabProp::ReleaseState() const {
    LRESULT index = m_releaseType ? SendMessageW(m_releaseType, CB_GETCURSEL, 0, 0) : CB_ERR;
    return index == CB_ERR ? 1u : static_cast<UINT>(index) + 1;
}

void frmTabProp::cmdOk_Click() {
    Timer1.SetEnabled(false);
    Tolerating({.tellUser = L"frmTabProp.cmdOk_Click"}, [this] {
        if (auto active = ActiveWindow())
            active->Caption = OwnWindowText(m_caption);
        UINT state = ReleaseState();
        for (const std::wstring& key : ListView1.SelectedKeys()) {
            // Each pass asks again: the window captured by the last one is active now.
            auto active = ActiveWindow();
            if (!active)
                continue;
            if (m_actions.ReleaseWindow)
                m_actions.ReleaseWindow(active->hWnd, active->LastHwnd, state, true);
            if (m_actions.CaptureWindow)
                m_actions.CaptureWindow(WindowRows::HandleOfRowKey(key));
        }
    });
    Hide();
}

void frmTabProp::cmdRelease_Click() {
    auto active = ActiveWindow();
    if (!active)
        return;
    Timer1.SetEnabled(false);
    Tolerating({.tellUser = L"frmTabProp.cmdRelease_Click"}, [&] {
        if (m_actions.ReleaseWindow)
            m_actions.ReleaseWindow(active->hWnd, active->LastHwnd, ReleaseState(), true);
    });
    Unload();
}

void frmTabProp::Cancel() {
    Unload();
}

void frmTabProp::RaisePriority() {
    DWORD before = GetPriorityClass(GetCurrentProcess());
    if (before && SetProcessPriority(0, ExistingHwnd(), HIGH_PRIORITY_CLASS))
        m_priorityBefore = before;
}

void frmTabProp::RestorePriority() noexcept {
    if (!m_priorityBefore)
        return;
    SetProcessPriority(GetCurrentProcessId(), nullptr, *m_priorityBefore);
    m_priorityBefore.reset();
}

void frmTabProp::Form_Unload() {
    Timer1.SetEnabled(false);
    RestorePriority();
}

void frmTabProp::OnCommand(UINT id, UINT, HWND) {
    // Enter and Escape arrive here from the modal loop's dialog keys, whatever the buttons'
    // state: a disabled button is not pressed by them either.
    if (id == IDOK) {
        if (IsWindowEnabled(m_ok))
            cmdOk_Click();
    } else if (id == kReleaseId) {
        if (IsWindowEnabled(m_release))
            cmdRelease_Click();
    } else if (id == IDCANCEL) {
        Cancel();
    }
}

LRESULT frmTabProp::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (header->hwndFrom == m_tab) {
            if (header->code == TCN_SELCHANGING)
                m_pageBeforeChange = CurrentPage();
            else if (header->code == TCN_SELCHANGE)
                PageChanged(m_pageBeforeChange);
            return 0;
        }
        if (header->hwndFrom == ListView1.hWnd())
            ListView1.HandleNotify(*header);
        else if (header->hwndFrom == lstProperties.hWnd())
            lstProperties.HandleNotify(*header);
        return 0;
    }
    return CForm::WindowProc(msg, wp, lp);
}

} // namespace merilane
