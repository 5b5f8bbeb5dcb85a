#include "app/frmGoToTab.h"
#include "controls/Screen.h"
#include <commctrl.h>
#include <algorithm>

namespace merilane {
namespace {
// The layout at 96 dots per inch: the filter along the top, the list below it.
constexpr int kClientWidth = 520;
constexpr int kClientHeight = 300;
constexpr RECT kFilter{10, 10, 510, 34};
constexpr RECT kList{10, 42, 510, 290};
// Where the title and program columns begin, in the list's dialog units.
constexpr int kColumns[] = {120, 250, 320};
} // namespace

frmGoToTab::frmGoToTab(HWND container, std::function<std::vector<TabRow>()> rows, HWND selected)
    : m_container(container), m_source(std::move(rows)), m_selected(selected) {}

CForm::CreateParams frmGoToTab::GetCreateParams() {
    // Drawn at the container's resolution and over it, on its monitor.
    UINT dpi = DpiOf(m_container);
    CreateParams p = DialogParams(L"MerilaneGoToTab", kCaption, Scaled(kClientWidth, dpi),
                                  Scaled(kClientHeight, dpi));
    RECT over{};
    if (m_container && GetWindowRect(m_container, &over)) {
        p.x = over.left + ((over.right - over.left) - p.width) / 2;
        p.y = over.top + ((over.bottom - over.top) - p.height) / 3;
    }
    return p;
}

void frmGoToTab::Form_Load() {
    m_filter = MakeControl(L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kFilterId);
    m_list = MakeControl(L"LISTBOX", L"",
                         WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_USETABSTOPS |
                             LBS_NOINTEGRALHEIGHT,
                         kListId);
    SetWindowSubclass(m_filter, FilterProc, 1, reinterpret_cast<DWORD_PTR>(m_list));
    SendMessageW(m_list, LB_SETTABSTOPS, std::size(kColumns),
                 reinterpret_cast<LPARAM>(const_cast<int*>(kColumns)));
    PlaceControls({{m_filter, kFilter}, {m_list, kList}});
    m_rows = m_source ? m_source() : std::vector<TabRow>{};
    Refilter();
    SetFocus(m_filter);
    m_follow.OnTick([this] { Follow(); });
    m_follow.SetEnabled(true);
}

void frmGoToTab::Form_Unload() {
    m_follow.SetEnabled(false);
    if (m_filter)
        RemoveWindowSubclass(m_filter, FilterProc, 1);
}

LRESULT CALLBACK frmGoToTab::FilterProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                        DWORD_PTR list) {
    // Up, Down and the page keys move in the list while the typing stays in the filter.
    if (msg == WM_KEYDOWN && (wp == VK_UP || wp == VK_DOWN || wp == VK_PRIOR || wp == VK_NEXT)) {
        SendMessageW(reinterpret_cast<HWND>(list), WM_KEYDOWN, wp, lp);
        return 0;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void frmGoToTab::OnCommand(UINT id, UINT code, HWND) {
    if (id == kFilterId && code == EN_CHANGE) {
        Refilter();
    } else if ((id == kListId && code == LBN_DBLCLK) || id == IDOK) {
        Choose();
    } else if (id == kListId && code == LBN_SELCHANGE) {
        m_selected = SelectedWindow();
    } else if (id == IDCANCEL) {
        m_chosen = nullptr;
        Hide();
    }
}

HWND frmGoToTab::SelectedWindow() const {
    auto at = SendMessageW(m_list, LB_GETCURSEL, 0, 0);
    if (at < 0 || static_cast<size_t>(at) >= m_shown.size())
        return nullptr;
    return m_rows[m_shown[static_cast<size_t>(at)]].window;
}

void frmGoToTab::Refilter() {
    m_shown = MatchingRows(m_rows, OwnWindowText(m_filter));
    SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(m_list, LB_RESETCONTENT, 0, 0);
    int select = m_shown.empty() ? -1 : 0;
    for (size_t i = 0; i < m_shown.size(); ++i) {
        const TabRow& row = m_rows[m_shown[i]];
        SendMessageW(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(RowLine(row).c_str()));
        if (row.window == m_selected)
            select = static_cast<int>(i);
    }
    SendMessageW(m_list, LB_SETCURSEL, select, 0);
    SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_list, nullptr, TRUE);
}

void frmGoToTab::Follow() {
    if (!m_source)
        return;
    std::vector<TabRow> now = m_source();
    bool changed = false;
    // A tab that went stays in the list, marked, so that the line the user is about to pick
    // does not move away under the pointer; tabs that came are added at the end.
    for (TabRow& row : m_rows) {
        auto found = std::find_if(now.begin(), now.end(),
                                  [&](const TabRow& n) { return n.window == row.window; });
        if (found == now.end()) {
            changed |= !row.gone;
            row.gone = true;
            continue;
        }
        if (found->text != row.text || found->title != row.title) {
            row.text = found->text;
            row.title = found->title;
            changed = true;
        }
        found->window = nullptr;
    }
    for (TabRow& row : now)
        if (row.window) {
            m_rows.push_back(std::move(row));
            changed = true;
        }
    if (changed)
        Refilter();
}

void frmGoToTab::Choose() {
    HWND window = SelectedWindow();
    if (!window)
        return; // nothing matches
    Follow();
    auto row = std::find_if(m_rows.begin(), m_rows.end(),
                            [&](const TabRow& r) { return r.window == window; });
    if (row == m_rows.end() || row->gone)
        return; // the list says it is closed
    m_chosen = window;
    Hide();
}

} // namespace merilane
