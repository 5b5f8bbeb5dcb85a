// Tabs dragged along the strip or out of it, and the mark that shows where one would go.
#include "controls/CTabStrip.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "controls/Screen.h"
#include <commctrl.h>
#include <windowsx.h>
#include <algorithm>

namespace merilane {

int InsertionGap(std::span<const RECT> tabs, POINT point) {
    auto inRow = [&](const RECT& r) { return point.y >= r.top && point.y < r.bottom; };
    bool anyInRow = std::any_of(tabs.begin(), tabs.end(), inRow);
    int last = -1;
    for (int i = 0; i < static_cast<int>(tabs.size()); ++i) {
        const RECT& r = tabs[static_cast<size_t>(i)];
        if (anyInRow && !inRow(r))
            continue;
        if (point.x < (r.left + r.right) / 2)
            return i;
        last = i;
    }
    return last < 0 ? static_cast<int>(tabs.size()) : last + 1;
}

int PositionForGap(int from, int gap) {
    // The tab leaves its own place first: a gap behind it is one place nearer.
    return gap >= from ? gap : gap + 1;
}

TabDrop DecideTabDrop(int from, POINT point, const RECT& tabRow, const RECT& outer,
                      std::span<const RECT> tabs) {
    TabDrop drop{TabDrop::Kind::None, from, from, point};
    if (PtInRect(&tabRow, point)) {
        drop.kind = TabDrop::Kind::Reorder;
        drop.to = PositionForGap(from, InsertionGap(tabs, point));
    } else if (!PtInRect(&outer, point)) {
        drop.kind = TabDrop::Kind::Outside;
    }
    return drop;
}

void CTabStrip::Move(int from, int to) {
    if (from < 1 || from > Count() || to < 1 || to > Count())
        Raise(35600, L"Index out of bounds");
    if (from == to)
        return;
    TabPtr tab = m_tabs[static_cast<size_t>(from - 1)];
    bool selected = SelectedItem() == tab;
    // The platform's tab control cannot move an item: it goes and comes back where it belongs.
    SendMessageW(hWnd(), TCM_DELETEITEM, from - 1, 0);
    m_tabs.erase(m_tabs.begin() + (from - 1));
    m_tabs.insert(m_tabs.begin() + (to - 1), tab);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"");
    SendMessageW(hWnd(), TCM_INSERTITEMW, to - 1, reinterpret_cast<LPARAM>(&item));
    WriteItem(*tab);
    if (selected)
        Select(*tab);
}

int CTabStrip::HitTest(POINT screen) const {
    TCHITTESTINFO hit{screen, 0};
    ScreenToClient(hWnd(), &hit.pt);
    auto at = SendMessageW(hWnd(), TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return at >= 0 && at < Count() ? static_cast<int>(at) + 1 : 0;
}

std::vector<RECT> CTabStrip::TabRects() const {
    std::vector<RECT> rects(m_tabs.size());
    for (size_t i = 0; i < rects.size(); ++i) {
        SendMessageW(hWnd(), TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rects[i]));
        MapWindowPoints(hWnd(), nullptr, reinterpret_cast<POINT*>(&rects[i]), 2);
    }
    return rects;
}

RECT CTabStrip::TabRow() const {
    RECT row{};
    GetClientRect(hWnd(), &row);
    RECT display = row;
    SendMessageW(hWnd(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    row.bottom = std::max(row.top, display.top);
    MapWindowPoints(hWnd(), nullptr, reinterpret_cast<POINT*>(&row), 2);
    return row;
}

void CTabStrip::SetInsertionMark(int gap) {
    gap = std::clamp(gap, -1, Count());
    if (gap == m_mark)
        return;
    m_mark = gap;
    RECT row = TabRow();
    MapWindowPoints(nullptr, hWnd(), reinterpret_cast<POINT*>(&row), 2);
    InvalidateRect(hWnd(), &row, TRUE);
}

void CTabStrip::DrawInsertionMark() const {
    if (m_mark < 0)
        return;
    std::vector<RECT> tabs = TabRects();
    RECT row = TabRow();
    RECT beside = row;
    int x = row.left + 2;
    if (!tabs.empty()) {
        bool after = m_mark >= static_cast<int>(tabs.size());
        beside = tabs[static_cast<size_t>(after ? tabs.size() - 1 : m_mark)];
        x = after ? beside.right : beside.left;
    }
    POINT at{x, beside.top};
    ScreenToClient(hWnd(), &at);
    int height = beside.bottom - beside.top;
    // An I-beam in the selection colour, as wide as the resolution makes three pixels at 96.
    UINT dpi = DpiOf(hWnd());
    int stem = std::max(2, Scaled(3, dpi)), cap = Scaled(9, dpi), capHeight = std::max(2, stem);
    HDC dc = GetDC(hWnd());
    if (!dc)
        return;
    HBRUSH brush = GetSysColorBrush(COLOR_HIGHLIGHT);
    RECT bar{at.x - stem / 2, at.y, at.x - stem / 2 + stem, at.y + height};
    RECT top{at.x - cap / 2, at.y, at.x - cap / 2 + cap, at.y + capHeight};
    RECT bottom{top.left, at.y + height - capHeight, top.right, at.y + height};
    for (const RECT& r : {bar, top, bottom})
        FillRect(dc, &r, brush);
    ReleaseDC(hWnd(), dc);
}

void CTabStrip::DropAt(POINT screen) {
    if (m_dragged)
        EndDrag(true, screen);
}

void CTabStrip::CancelDrag() {
    if (m_dragged)
        EndDrag(false, {});
}

void CTabStrip::EndDrag(bool drop, POINT at) {
    TabPtr tab = std::move(m_dragged);
    SetInsertionMark(-1);
    if (GetCapture() == hWnd())
        ReleaseCapture();
    if (!drop || !OnTabDrop || !tab || tab->IsRemoved())
        return;
    RECT outer{};
    GetWindowRect(GetAncestor(hWnd(), GA_ROOT), &outer);
    std::vector<RECT> tabs = TabRects();
    TabDrop result = DecideTabDrop(tab->Index(), at, TabRow(), outer, tabs);
    result.window = tab->Tag();
    if (result.kind != TabDrop::Kind::None)
        OnTabDrop(result);
}

bool CTabStrip::DragMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_LBUTTONDOWN: {
        m_pressSelected = false;
        // A drag whose release nobody saw (no hook, the capture lost silently) ends here.
        if (m_dragged)
            EndDrag(false, {});
        if (!OnTabDrop)
            return false;
        POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ClientToScreen(hWnd(), &at);
        int from = HitTest(at);
        if (!from)
            return false;
        // DragDetect takes the release of a plain click with it: the strip gets both, as if
        // nobody had looked.
        if (!DragDetect(hWnd(), at)) {
            result = DefSubclassProc(hWnd(), msg, wp, lp);
            SendMessageW(hWnd(), WM_LBUTTONUP, 0, lp);
            return true;
        }
        // The press does not select the tab: selecting activates its window, which belongs
        // to another program, and the mouse would follow the foreground instead of the
        // capture. The drop's handler selects it.
        m_dragged = m_tabs[static_cast<size_t>(from - 1)];
        SetCapture(hWnd());
        result = 0;
        return true;
    }
    case WM_MOUSEMOVE:
        if (!m_dragged)
            return false;
        {
            POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(hWnd(), &at);
            RECT row = TabRow();
            std::vector<RECT> tabs = TabRects();
            SetInsertionMark(PtInRect(&row, at) ? InsertionGap(tabs, at) : -1);
        }
        result = 0;
        return true;
    case WM_LBUTTONUP:
        if (!m_dragged)
            return false;
        {
            POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(hWnd(), &at);
            EndDrag(true, at);
        }
        result = 0;
        return true;
    case WM_KEYDOWN:
        if (!m_dragged || wp != VK_ESCAPE)
            return false;
        EndDrag(false, {});
        result = 0;
        return true;
    case WM_CAPTURECHANGED:
        // Taken by someone else (a box that popped up, the system): no drop.
        if (m_dragged && reinterpret_cast<HWND>(lp) != hWnd())
            EndDrag(false, {});
        return false;
    case WM_PAINT:
        result = DefSubclassProc(hWnd(), msg, wp, lp);
        DrawInsertionMark();
        return true;
    default:
        return false;
    }
}

} // namespace merilane
