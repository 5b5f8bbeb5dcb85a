#include "controls/CListView.h"
#include "controls/CImageList.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "controls/Screen.h"
#include <commctrl.h>
#include <windowsx.h>

namespace merilane {

namespace {
int ShiftState() {
    return (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
           (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}
} // namespace

CListView::~CListView() {
    if (hWnd())
        RemoveWindowSubclass(hWnd(), SubclassProc, 1);
}

void CListView::Create(HWND parent, int id, bool multiSelect) {
    // The image list is the CImageList's to destroy, not the list view's.
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS |
                  LVS_SHAREIMAGELISTS;
    if (!multiSelect)
        style |= LVS_SINGLESEL;
    Attach(CreateWindowExW(0, WC_LISTVIEWW, L"", style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr));
    ListView_SetExtendedListViewStyle(hWnd(), LVS_EX_FULLROWSELECT);
    SetWindowSubclass(hWnd(), SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK CListView::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                         DWORD_PTR data) {
    auto* self = reinterpret_cast<CListView*>(data);
    int button = msg == WM_LBUTTONUP ? 1 : msg == WM_RBUTTONUP ? 2 : msg == WM_MBUTTONUP ? 4 : 0;
    // A key released here counts only when it was pressed here too: the release of a key that
    // chose the command which opened this list belongs to that command.
    bool pressedHere = false;
    if (msg == WM_KEYDOWN)
        self->m_keysDown.insert(static_cast<UINT>(wp));
    else if (msg == WM_KEYUP)
        pressedHere = self->m_keysDown.erase(static_cast<UINT>(wp)) > 0;
    LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
    Guarded([&] {
        if (button && self->OnMouseUp)
            self->OnMouseUp(button, ShiftState(), PixelsToTwipsX(GET_X_LPARAM(lp), hwnd),
                            PixelsToTwipsY(GET_Y_LPARAM(lp), hwnd));
        else if (pressedHere && self->OnKeyUp)
            self->OnKeyUp(static_cast<int>(wp), ShiftState());
    });
    return result;
}

void CListView::AddColumn(const std::wstring& text, long widthTwips) {
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<wchar_t*>(text.c_str());
    col.cx = TwipsToPixelsX(widthTwips, hWnd());
    col.iSubItem = m_columns;
    SendMessageW(hWnd(), LVM_INSERTCOLUMNW, m_columns, reinterpret_cast<LPARAM>(&col));
    ++m_columns;
}

void CListView::SetSmallIcons(CImageList* images) {
    m_images = images;
    SendMessageW(hWnd(), LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
}

int CListView::Position(const std::wstring& key) const {
    auto it = m_positions.find(key);
    if (it == m_positions.end())
        Raise(kElementNotFound);
    return static_cast<int>(it->second);
}

bool CListView::Contains(const std::wstring& key) const {
    return Find(key) != 0;
}

int CListView::Find(const std::wstring& key) const {
    auto it = m_positions.find(key);
    return it == m_positions.end() ? 0 : static_cast<int>(it->second) + 1;
}

const std::wstring& CListView::KeyAt(int position) const {
    if (position < 1 || position > Count())
        Raise(35600, L"Index out of bounds");
    return m_rows[static_cast<size_t>(position - 1)].key;
}

int CListView::Add(const std::wstring& key, const std::wstring& text) {
    if (!key.empty() && Contains(key))
        Raise(kKeyNotUnique);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = Count();
    item.pszText = const_cast<wchar_t*>(text.c_str());
    if (SendMessageW(hWnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) < 0)
        Raise(kInvalidProcedureCall, L"The row could not be added");
    m_rows.push_back(Row{key, {}, {}, {text}});
    if (!key.empty())
        m_positions.emplace(key, m_rows.size() - 1);
    ++m_cellWrites;
    return Count();
}

void CListView::Remove(const std::wstring& key) {
    int at = Position(key);
    SendMessageW(hWnd(), LVM_DELETEITEM, at, 0);
    m_rows.erase(m_rows.begin() + at);
    m_positions.erase(key);
    for (auto& [k, position] : m_positions)
        if (position > static_cast<size_t>(at))
            --position;
}

void CListView::Clear() {
    SendMessageW(hWnd(), LVM_DELETEALLITEMS, 0, 0);
    m_rows.clear();
    m_positions.clear();
}

std::wstring CListView::Text(const std::wstring& key, int column) const {
    const Row& row = m_rows[static_cast<size_t>(Position(key))];
    return column >= 0 && static_cast<size_t>(column) < row.texts.size() ? row.texts[column] : L"";
}

void CListView::SetText(const std::wstring& key, int column, const std::wstring& text) {
    int at = Position(key);
    if (column < 0 || column >= std::max(m_columns, 1))
        Raise(kInvalidProcedureCall, L"No such column");
    Row& row = m_rows[static_cast<size_t>(at)];
    if (row.texts.size() <= static_cast<size_t>(column))
        row.texts.resize(static_cast<size_t>(column) + 1);
    row.texts[column] = text;
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(hWnd(), LVM_SETITEMTEXTW, at, reinterpret_cast<LPARAM>(&item));
    ++m_cellWrites;
}

std::wstring CListView::SmallIcon(const std::wstring& key) const {
    return m_rows[static_cast<size_t>(Position(key))].icon;
}

void CListView::SetSmallIcon(const std::wstring& key, const std::wstring& imageKey) {
    int at = Position(key);
    int image = -1;
    if (!imageKey.empty()) {
        if (!m_images)
            Raise(kElementNotFound);
        image = m_images->IndexOf(imageKey);
    }
    m_rows[static_cast<size_t>(at)].icon = imageKey;
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = at;
    item.iImage = image;
    SendMessageW(hWnd(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    ++m_cellWrites;
}

std::wstring CListView::Tag(const std::wstring& key) const {
    return m_rows[static_cast<size_t>(Position(key))].tag;
}

void CListView::SetTag(const std::wstring& key, const std::wstring& tag) {
    m_rows[static_cast<size_t>(Position(key))].tag = tag;
}

bool CListView::Selected(const std::wstring& key) const {
    return SendMessageW(hWnd(), LVM_GETITEMSTATE, Position(key), LVIS_SELECTED) & LVIS_SELECTED;
}

void CListView::SetSelected(const std::wstring& key, bool selected) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(hWnd(), LVM_SETITEMSTATE, Position(key), reinterpret_cast<LPARAM>(&item));
}

std::vector<std::wstring> CListView::SelectedKeys() const {
    std::vector<std::wstring> keys;
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (SendMessageW(hWnd(), LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED)
            keys.push_back(m_rows[i].key);
    return keys;
}

void CListView::ClearSelection() {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    SendMessageW(hWnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&item));
}

void CListView::HandleNotify(const NMHDR& header) {
    switch (header.code) {
    case NM_DBLCLK:
        if (OnDblClick)
            OnDblClick();
        break;
    case LVN_COLUMNCLICK:
        if (OnColumnClick)
            OnColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        break;
    default:
        break;
    }
}

} // namespace merilane
