#pragma once
#include "controls/UniqueOwner.h"
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace merilane {

// A form's menu tree, described as a flat list of levels the way the form's designer laid it
// out. Items are reached by name or by the command id each one is given; a hidden item
// disappears with everything below it.
class CMenuBar {
  public:
    struct Item {
        int level;
        UINT id;
        std::wstring name;
        std::wstring caption; // "-" is a separator
        bool checked = false;
    };

    explicit CMenuBar(std::vector<Item> items);
    ~CMenuBar();
    CMenuBar(const CMenuBar&) = delete;
    CMenuBar& operator=(const CMenuBar&) = delete;

    // The menu handle for the form; rebuilt when visibility changes, so attach it again then.
    HMENU Handle() const noexcept { return m_menu.get(); }
    void AttachTo(HWND form);

    bool Contains(const std::wstring& name) const;
    std::wstring Caption(const std::wstring& name) const;
    bool Checked(const std::wstring& name) const;
    void SetChecked(const std::wstring& name, bool checked);
    bool Enabled(const std::wstring& name) const;
    void SetEnabled(const std::wstring& name, bool enabled);
    bool Visible(const std::wstring& name) const;
    void SetVisible(const std::wstring& name, bool visible);

    // The command id of an item, and the name behind an id ("" when none).
    UINT CommandId(const std::wstring& name) const;
    std::wstring NameOf(UINT id) const;

  private:
    struct Entry {
        Item item;
        bool enabled = true;
        bool visible = true;
    };
    const Entry& Find(const std::wstring& name) const;
    Entry& Find(const std::wstring& name);
    void Rebuild();
    size_t Build(HMENU into, size_t at, int level, bool parentVisible);

    std::vector<Entry> m_entries;
    UniqueMenu m_menu;
    HWND m_form = nullptr;
};

} // namespace merilane
