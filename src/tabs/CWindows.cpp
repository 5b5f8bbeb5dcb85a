#include "tabs/CWindows.h"
#include "controls/Error.h"
#include <algorithm>
#include <utility>

namespace merilane {

std::shared_ptr<CWindow> CWindows::create(HWND childHwnd) {
    CWindow loaded;
    loaded.Load(childHwnd);
    return create(loaded);
}

std::shared_ptr<CWindow> CWindows::create(const CWindow& loaded) {
    auto window = std::make_shared<CWindow>(loaded);
    window->SetWindowState(SW_SHOWMAXIMIZED);
    if (Find(window->hWnd))
        Raise(kKeyAlreadyAssociated);
    m_items.push_back(Entry{window});
    return window;
}

const CWindows::Entry* CWindows::Find(HWND hwnd) const {
    for (const Entry& entry : m_items)
        if (entry.window->hWnd == hwnd)
            return &entry;
    return nullptr;
}

CWindows::Entry* CWindows::Find(HWND hwnd) {
    return const_cast<Entry*>(std::as_const(*this).Find(hwnd));
}

std::shared_ptr<CWindow> CWindows::item(HWND hwnd) const {
    const Entry* entry = Find(hwnd);
    return entry && entry->HasTab() ? entry->window : nullptr;
}

std::shared_ptr<CWindow> CWindows::Wrapper(HWND hwnd) const {
    const Entry* entry = Find(hwnd);
    return entry ? entry->window : nullptr;
}

std::optional<HeldState> CWindows::StateOf(HWND hwnd) const {
    const Entry* entry = Find(hwnd);
    return entry ? std::optional(entry->state) : std::nullopt;
}

std::optional<ReleaseOptions> CWindows::WaitingRelease(HWND hwnd) const {
    const Entry* entry = Find(hwnd);
    return entry && entry->state == HeldState::Leaving ? std::optional(entry->release)
                                                       : std::nullopt;
}

void CWindows::SetState(const std::shared_ptr<CWindow>& window, HeldState state,
                        const ReleaseOptions& release) {
    if (Entry* entry = Find(window->hWnd)) {
        entry->state = state;
        entry->release = release;
        return;
    }
    m_items.push_back(Entry{window, state, release});
}

void CWindows::Remove(HWND hwnd) {
    std::erase_if(m_items, [&](const Entry& entry) { return entry.window->hWnd == hwnd; });
}

void CWindows::Reorder(const std::vector<HWND>& order) {
    auto rank = [&](const Entry& entry) {
        auto at = std::find(order.begin(), order.end(), entry.window->hWnd);
        return static_cast<size_t>(at - order.begin());
    };
    std::stable_sort(m_items.begin(), m_items.end(),
                     [&](const Entry& a, const Entry& b) { return rank(a) < rank(b); });
}

int CWindows::Count() const noexcept {
    return static_cast<int>(std::count_if(m_items.begin(), m_items.end(),
                                          [](const Entry& entry) { return entry.HasTab(); }));
}

bool CWindows::AnyOnItsWay() const noexcept {
    // One that died on its way has nothing left to wait for.
    return std::any_of(m_items.begin(), m_items.end(), [](const Entry& entry) {
        return entry.state != HeldState::Held && IsWindow(entry.window->hWnd);
    });
}

std::vector<std::shared_ptr<CWindow>> CWindows::NewEnum() const {
    std::vector<std::shared_ptr<CWindow>> windows;
    windows.reserve(m_items.size());
    for (const Entry& entry : m_items)
        if (entry.HasTab())
            windows.push_back(entry.window);
    return windows;
}

void CWindows::RemoveAll(
    const std::function<void(const std::shared_ptr<CWindow>&)>& removeWindowTab) {
    for (auto& window : NewEnum())
        removeWindowTab(window);
    std::erase_if(m_items, [](const Entry& entry) { return entry.HasTab(); });
}

} // namespace merilane
