#include "controls/CTabStrip.h"
#include "controls/CImageList.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "controls/Screen.h"
#include <commctrl.h>
#include <windowsx.h>

namespace merilane {

CTabStrip::~CTabStrip() {
    for (auto& tab : m_tabs)
        tab->m_strip = nullptr;
    if (hWnd())
        RemoveWindowSubclass(hWnd(), SubclassProc, 1);
}

void CTabStrip::Create(HWND parent, int id, DWORD extraStyle) {
    HWND hwnd = CreateWindowExW(0, WC_TABCONTROLW, L"",
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | extraStyle, 0, 0, 0, 0,
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    Attach(hwnd);
    SetWindowSubclass(hwnd, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

TabPtr CTabStrip::Add() {
    TabPtr tab(new Tab(this)); // the constructor is private to the strip
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<wchar_t*>(L"");
    item.iImage = -1;
    int at = static_cast<int>(m_tabs.size());
    m_tabs.push_back(tab);
    if (SendMessageW(hWnd(), TCM_INSERTITEMW, at, reinterpret_cast<LPARAM>(&item)) < 0) {
        m_tabs.pop_back();
        tab->m_strip = nullptr;
        Raise(kInvalidProcedureCall, L"The tab could not be added");
    }
    return tab;
}

void CTabStrip::Remove(int index) {
    if (index < 1 || index > Count())
        Raise(35600, L"Index out of bounds");
    // A tab that goes in mid-drag ends its drag: nothing is left to drop.
    if (m_dragged == m_tabs[static_cast<size_t>(index - 1)])
        EndDrag(false, {});
    SendMessageW(hWnd(), TCM_DELETEITEM, index - 1, 0);
    m_tabs[index - 1]->m_strip = nullptr;
    m_tabs.erase(m_tabs.begin() + (index - 1));
    // The platform leaves no selection when the selected tab goes; a tab strip always has one.
    if (!m_tabs.empty() && SendMessageW(hWnd(), TCM_GETCURSEL, 0, 0) < 0)
        SendMessageW(hWnd(), TCM_SETCURSEL, index - 1 < Count() ? index - 1 : Count() - 1, 0);
    AnnounceSelection();
}

void CTabStrip::Clear() {
    while (Count() > 0)
        Remove(Count());
}

TabPtr CTabStrip::Item(int index) const {
    if (index < 1 || index > Count())
        Raise(35600, L"Index out of bounds");
    return m_tabs[index - 1];
}

TabPtr CTabStrip::SelectedItem() const {
    auto at = SendMessageW(hWnd(), TCM_GETCURSEL, 0, 0);
    if (at < 0 || at >= Count())
        return nullptr;
    return m_tabs[static_cast<size_t>(at)];
}

int CTabStrip::PositionOf(const Tab& tab) const {
    for (size_t i = 0; i < m_tabs.size(); ++i)
        if (m_tabs[i].get() == &tab)
            return static_cast<int>(i);
    return -1;
}

void CTabStrip::WriteItem(const Tab& tab) {
    int at = PositionOf(tab);
    if (at < 0)
        Raise(kElementNotFound);
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<wchar_t*>(tab.Caption().c_str());
    item.iImage = (m_images && !tab.Image().empty() && m_images->Contains(tab.Image()))
                      ? m_images->IndexOf(tab.Image())
                      : -1;
    SendMessageW(hWnd(), TCM_SETITEMW, at, reinterpret_cast<LPARAM>(&item));
}

void CTabStrip::Select(const Tab& tab) {
    int at = PositionOf(tab);
    if (at < 0)
        Raise(kElementNotFound);
    SendMessageW(hWnd(), TCM_SETCURSEL, at, 0);
    AnnounceSelection();
}

void CTabStrip::AnnounceSelection() {
    TabPtr selected = SelectedItem();
    if (!selected || selected == m_announced.lock())
        return;
    m_announced = selected;
    // Child ids of a control's items start at 1; 0 is the control itself.
    NotifyWinEvent(EVENT_OBJECT_SELECTION, hWnd(), OBJID_CLIENT, PositionOf(*selected) + 1);
}

bool CTabStrip::MultiRow() const {
    return GetWindowLongW(hWnd(), GWL_STYLE) & TCS_MULTILINE;
}

void CTabStrip::SetMultiRow(bool multiRow) {
    LONG style = GetWindowLongW(hWnd(), GWL_STYLE);
    SetWindowLongW(hWnd(), GWL_STYLE,
                   multiRow ? (style | TCS_MULTILINE) : (style & ~TCS_MULTILINE));
    SetWindowPos(hWnd(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int CTabStrip::Style() const {
    return (GetWindowLongW(hWnd(), GWL_STYLE) & TCS_BUTTONS) ? 1 : 0;
}

void CTabStrip::SetStyle(int style) {
    LONG bits = GetWindowLongW(hWnd(), GWL_STYLE);
    SetWindowLongW(hWnd(), GWL_STYLE, style == 1 ? (bits | TCS_BUTTONS) : (bits & ~TCS_BUTTONS));
    SetWindowPos(hWnd(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CTabStrip::SetImageList(CImageList* images) {
    m_images = images;
    SendMessageW(hWnd(), TCM_SETIMAGELIST, 0,
                 reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

RECT CTabStrip::DisplayArea() const {
    RECT r{};
    GetClientRect(hWnd(), &r);
    SendMessageW(hWnd(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(hWnd(), GetParent(hWnd()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

long CTabStrip::ClientLeft() const {
    return PixelsToTwipsX(DisplayArea().left, hWnd());
}
long CTabStrip::ClientTop() const {
    return PixelsToTwipsY(DisplayArea().top, hWnd());
}
long CTabStrip::ClientWidth() const {
    RECT r = DisplayArea();
    return PixelsToTwipsX(r.right > r.left ? r.right - r.left : 0, hWnd());
}
long CTabStrip::ClientHeight() const {
    RECT r = DisplayArea();
    return PixelsToTwipsY(r.bottom > r.top ? r.bottom - r.top : 0, hWnd());
}

void CTabStrip::HandleNotify(const NMHDR& header) {
    if (header.code == static_cast<UINT>(TCN_SELCHANGE)) {
        m_pressSelected = true;
        AnnounceSelection();
        if (OnClick)
            OnClick();
        return;
    }
    if (header.code != static_cast<UINT>(NM_CLICK) || m_pressSelected || !OnClick)
        return;
    // The selected tab was clicked: the strip changes nothing, but it has taken the keyboard
    // focus, which the tab's window must get back. Clicks beside the tabs are no tab's.
    DWORD at = GetMessagePos();
    TCHITTESTINFO hit{{GET_X_LPARAM(at), GET_Y_LPARAM(at)}, 0};
    ScreenToClient(hWnd(), &hit.pt);
    if (SendMessageW(hWnd(), TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0)
        OnClick();
}

LRESULT CTabStrip::AnswerWholeText(WPARAM position, LPARAM item) {
    const Tab* tab = position < m_tabs.size() ? m_tabs[position].get() : nullptr;
    if (!tab || tab->WholeCaption() == tab->Caption())
        return DefSubclassProc(hWnd(), TCM_GETITEMW, position, item);
    // The control measures its tabs by their text and we draw them shortened, so the item holds
    // the shortened text; for the time of the answer it holds the whole one. The control fills
    // in the asker's item itself, as it always does: nothing of ours reads or writes through a
    // pointer another process chose. Nothing is drawn in between.
    auto write = [&](const std::wstring& text) {
        TCITEMW update{};
        update.mask = TCIF_TEXT;
        update.pszText = const_cast<wchar_t*>(text.c_str());
        DefSubclassProc(hWnd(), TCM_SETITEMW, position, reinterpret_cast<LPARAM>(&update));
    };
    SendMessageW(hWnd(), WM_SETREDRAW, FALSE, 0);
    write(tab->WholeCaption());
    LRESULT answer = DefSubclassProc(hWnd(), TCM_GETITEMW, position, item);
    write(tab->Caption());
    SendMessageW(hWnd(), WM_SETREDRAW, TRUE, 0);
    return answer;
}

LRESULT CALLBACK CTabStrip::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                         DWORD_PTR data) {
    auto* self = reinterpret_cast<CTabStrip*>(data);
    if (msg == TCM_GETITEMW && (InSendMessageEx(nullptr) & ISMEX_SEND))
        return Guarded(LRESULT{0}, [&] { return self->AnswerWholeText(wp, lp); });
    LRESULT handled = 0;
    if (Guarded(false, [&] { return self->DragMessage(msg, wp, lp, handled); }))
        return handled;
    int button = msg == WM_LBUTTONUP ? 1 : msg == WM_RBUTTONUP ? 2 : msg == WM_MBUTTONUP ? 4 : 0;
    if (button && self->OnMouseUp) {
        int shift = ((wp & MK_SHIFT) ? 1 : 0) | ((wp & MK_CONTROL) ? 2 : 0) |
                    (GetKeyState(VK_MENU) < 0 ? 4 : 0);
        LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
        Guarded([&] {
            self->OnMouseUp(button, shift, PixelsToTwipsX(GET_X_LPARAM(lp), hwnd),
                            PixelsToTwipsY(GET_Y_LPARAM(lp), hwnd));
        });
        return result;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

} // namespace merilane
