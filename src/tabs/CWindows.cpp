#include "tabs/CWindows.h"
#include "controls/Error.h"
#include "controls/Handles.h"
#include <algorithm>

namespace merilane {

std::shared_ptr<CWindow> CWindows::create(HWND childHwnd) {
    CWindow loaded;
    loaded.Load(childHwnd);
    return create(loaded);
}

std::shared_ptr<CWindow> CWindows::create(const CWindow& loaded) {
    auto window = std::make_shared<CWindow>(loaded);
    window->SetWindowState(SW_SHOWMAXIMIZED);
    if (item(window->hWnd))
        Raise(kKeyAlreadyAssociated);
    m_items.emplace_back(HexKey(window->hWnd), window);
    return window;
}

std::shared_ptr<CWindow> CWindows::item(HWND hwnd) const {
    std::wstring key = HexKey(hwnd);
    for (auto& [k, w] : m_items)
        if (k == key)
            return w;
    return nullptr;
}

void CWindows::Remove(HWND hwnd) {
    std::wstring key = HexKey(hwnd);
    std::erase_if(m_items, [&](const auto& entry) { return entry.first == key; });
}

void CWindows::Reorder(const std::vector<HWND>& order) {
    auto rank = [&](const std::wstring& key) {
        for (size_t i = 0; i < order.size(); ++i)
            if (HexKey(order[i]) == key)
                return i;
        return order.size();
    };
    std::stable_sort(m_items.begin(), m_items.end(),
                     [&](const auto& a, const auto& b) { return rank(a.first) < rank(b.first); });
}

std::vector<std::shared_ptr<CWindow>> CWindows::NewEnum() const {
    std::vector<std::shared_ptr<CWindow>> windows;
    windows.reserve(m_items.size());
    for (auto& entry : m_items)
        windows.push_back(entry.second);
    return windows;
}

void CWindows::RemoveAll(
    const std::function<void(const std::shared_ptr<CWindow>&)>& removeWindowTab) {
    for (auto& window : NewEnum())
        removeWindowTab(window);
    m_items.clear();
}

} // namespace merilane
