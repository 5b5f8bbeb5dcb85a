#include "window/CWindow.h"
#include "controls/Ask.h"
#include "controls/Handles.h"
#include "controls/Screen.h"

// The wrapper's system-menu editing.
namespace merilane {
namespace {

// Asks the default window procedure to pop up the window's system menu at the point in lParam.
// The owner of the window runs the menu before it answers, so the answer comes only when the
// menu closes; the menu stays up whether or not this side waits for it.
constexpr UINT kPopupSystemMenu = 0x313;

} // namespace

void CWindow::ShowSystemMenu() const {
    POINT cursor{};
    GetCursorPos(&cursor);
    LPARAM where = MakeLParam(ShortCoordinate(cursor.y), ShortCoordinate(cursor.x));
    Ask(hWnd, kPopupSystemMenu, 0, where, Wait::SystemMenu);
    DoEvents();
}

void CWindow::DisableMenuItem(UINT menuItem) const {
    EnableMenuItem(menuItem, false);
}

void CWindow::EnableMenuItem(UINT menuItem, bool enabled) const {
    SetSystemMenuCommand(hWnd, menuItem, enabled);
}

void CWindow::RemoveMenuItem(UINT menuItem) const {
    HMENU menu = GetSysMenuHandle();
    int position = FindSystemMenuItem(menuItem);
    if (!menu || position < 0)
        return;
    // By position: a disabled item no longer carries the id it is asked for by.
    RemoveMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
    // Close is set off from the other commands by a separator that would be left dangling; any
    // other item above it is a command of its own and stays.
    if (menuItem == SC_CLOSE && position > 0 &&
        (GetMenuState(menu, static_cast<UINT>(position - 1), MF_BYPOSITION) & MF_SEPARATOR))
        RemoveMenu(menu, static_cast<UINT>(position - 1), MF_BYPOSITION);
}

HMENU CWindow::GetSysMenuHandle() const {
    return IsNoWindow(hWnd) ? nullptr : GetSystemMenu(hWnd, FALSE);
}

UINT CWindow::AddMenuItem(UINT itemType, const std::wstring& itemName, HMENU subMenu) const {
    HMENU menu = GetSysMenuHandle();
    UINT id = static_cast<UINT>(GetMenuItemCount(menu) + 1000);
    if (menu) {
        switch (itemType) {
        case MF_STRING:
            AppendMenuW(menu, MF_STRING, id, itemName.c_str());
            break;
        case MF_POPUP:
            AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(subMenu), itemName.c_str());
            break;
        case MF_SEPARATOR:
            AppendMenuW(menu, MF_SEPARATOR, id, nullptr);
            break;
        default:
            break;
        }
    }
    Repaint();
    return id;
}

bool CWindow::GetMenuItemState(int position) const {
    HMENU menu = GetSysMenuHandle();
    MENUITEMINFOW item{sizeof(item)};
    item.fMask = MIIM_STATE;
    if (!menu || position < 0 || !GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item))
        return false;
    return item.fState != 0;
}

bool CWindow::Moveable() const {
    return !GetMenuItemState(FindSystemMenuItem(SC_MOVE));
}
void CWindow::SetMoveable(bool value) const {
    EnableMenuItem(SC_MOVE, value);
}

bool CWindow::Sizeable() const {
    return IsSizable();
}
void CWindow::SetSizeable(bool value) const {
    EnableMenuItem(SC_SIZE, value);
    SetStyleBit(WS_THICKFRAME, value);
}

int CWindow::FindSystemMenuItem(UINT id) const {
    HMENU menu = GetSysMenuHandle();
    if (!menu)
        return -1;
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position)
        if (MenuIdMatches(GetMenuItemID(menu, position), id))
            return position;
    return -1;
}

} // namespace merilane
