#include "tabs/CWindows.h"
#include "app/mMain.h"
#include "controls/Error.h"
#include "window/Handles.h"
#include <algorithm>

namespace merilane {

std::shared_ptr<CWindow> CWindows::create(HWND childHwnd) {
    auto window = std::make_shared<CWindow>();
    window->Load(childHwnd);
    window->SetWindowState(SW_SHOWMAXIMIZED);
    std::wstring key = HexKey(childHwnd);
    if (item(childHwnd))
        Raise(kKeyAlreadyAssociated);
    m_items.emplace_back(std::move(key), window);
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

std::vector<std::shared_ptr<CWindow>> CWindows::NewEnum() const {
    std::vector<std::shared_ptr<CWindow>> windows;
    windows.reserve(m_items.size());
    for (auto& entry : m_items)
        windows.push_back(entry.second);
    return windows;
}

void CWindows::RemoveAll() {
    for (auto& window : NewEnum())
        RemoveWindowTab(window);
    m_items.clear();
}

} // namespace merilane
