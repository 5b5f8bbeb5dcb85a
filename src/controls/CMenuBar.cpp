#include "controls/CMenuBar.h"
#include "controls/Error.h"

namespace merilane {

CMenuBar::CMenuBar(std::vector<Item> items) {
    for (auto& item : items)
        m_entries.push_back(Entry{std::move(item)});
    Rebuild();
}

CMenuBar::~CMenuBar() {
    // A menu attached to a window is destroyed with that window: by now already, if the window
    // is gone, or later, if the window still holds it.
    bool ownedByWindow = m_form && (!IsWindow(m_form) || GetMenu(m_form) == m_menu.get());
    if (ownedByWindow)
        m_menu.release();
}

void CMenuBar::AttachTo(HWND form) {
    m_form = form;
    SetMenu(form, m_menu.get());
    DrawMenuBar(form);
}

const CMenuBar::Entry& CMenuBar::Find(const std::wstring& name) const {
    for (auto& e : m_entries)
        if (e.item.name == name)
            return e;
    Raise(kElementNotFound, L"No menu item " + name);
}

CMenuBar::Entry& CMenuBar::Find(const std::wstring& name) {
    return const_cast<Entry&>(static_cast<const CMenuBar*>(this)->Find(name));
}

bool CMenuBar::Contains(const std::wstring& name) const {
    for (auto& e : m_entries)
        if (e.item.name == name)
            return true;
    return false;
}

std::wstring CMenuBar::Caption(const std::wstring& name) const {
    return Find(name).item.caption;
}
bool CMenuBar::Checked(const std::wstring& name) const {
    return Find(name).item.checked;
}
bool CMenuBar::Enabled(const std::wstring& name) const {
    return Find(name).enabled;
}
bool CMenuBar::Visible(const std::wstring& name) const {
    return Find(name).visible;
}

UINT CMenuBar::CommandId(const std::wstring& name) const {
    return Find(name).item.id;
}

std::wstring CMenuBar::NameOf(UINT id) const {
    for (auto& e : m_entries)
        if (e.item.id == id)
            return e.item.name;
    return {};
}

void CMenuBar::SetChecked(const std::wstring& name, bool checked) {
    Find(name).item.checked = checked;
    CheckMenuItem(m_menu.get(), CommandId(name),
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void CMenuBar::SetEnabled(const std::wstring& name, bool enabled) {
    Entry& e = Find(name);
    if (e.enabled == enabled)
        return;
    e.enabled = enabled;
    EnableMenuItem(m_menu.get(), CommandId(name),
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    if (m_form && e.item.level == 1)
        DrawMenuBar(m_form);
}

void CMenuBar::SetVisible(const std::wstring& name, bool visible) {
    Entry& e = Find(name);
    if (e.visible == visible)
        return;
    e.visible = visible;
    Rebuild();
}

void CMenuBar::Rebuild() {
    // The menu that was attached goes once the new one has taken its place.
    UniqueMenu old = std::move(m_menu);
    m_menu.reset(CreateMenu());
    Build(m_menu.get(), 0, 1, true);
    if (m_form && IsWindow(m_form))
        AttachTo(m_form);
}

// Adds the items of one level, starting at `at`, and returns the first entry past them.
size_t CMenuBar::Build(HMENU into, size_t at, int level, bool parentVisible) {
    while (at < m_entries.size() && m_entries[at].item.level >= level) {
        Entry& e = m_entries[at];
        bool shown = parentVisible && e.visible;
        UINT id = e.item.id;
        bool hasChildren = at + 1 < m_entries.size() && m_entries[at + 1].item.level > level;
        if (hasChildren) {
            UniqueMenu sub(CreatePopupMenu());
            size_t next = Build(sub.get(), at + 1, level + 1, shown);
            if (shown) {
                // A submenu item carries its command id too, so that it can be reached by id.
                MENUITEMINFOW info{sizeof(info)};
                info.fMask = MIIM_STRING | MIIM_SUBMENU | MIIM_ID | MIIM_STATE;
                info.wID = id;
                info.hSubMenu = sub.get();
                info.dwTypeData = const_cast<wchar_t*>(e.item.caption.c_str());
                info.fState =
                    (e.enabled ? MFS_ENABLED : MFS_GRAYED) | (e.item.checked ? MFS_CHECKED : 0);
                // Once inserted, the submenu is its parent's, destroyed with it.
                if (InsertMenuItemW(into, GetMenuItemCount(into), TRUE, &info))
                    sub.release();
            }
            at = next;
            continue;
        }
        if (shown) {
            if (e.item.caption == L"-")
                AppendMenuW(into, MF_SEPARATOR, id, nullptr);
            else
                AppendMenuW(into,
                            MF_STRING | (e.enabled ? MF_ENABLED : MF_GRAYED) |
                                (e.item.checked ? MF_CHECKED : MF_UNCHECKED),
                            id, e.item.caption.c_str());
        }
        ++at;
    }
    return at;
}

} // namespace merilane
