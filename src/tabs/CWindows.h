#pragma once
#include "window/CWindow.h"
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace merilane {

// The wrappers of all captured windows, keyed by handle, in the order of their tabs (the order
// they were captured in, until the user moves a tab).
class CWindows {
  public:
    // Loads a wrapper for the window, maximises the window and stores the wrapper. A handle
    // that is already there fails with key-already-associated (the window is maximised all
    // the same).
    std::shared_ptr<CWindow> create(HWND childHwnd);
    // The same with a wrapper that has been loaded already.
    std::shared_ptr<CWindow> create(const CWindow& loaded);
    std::shared_ptr<CWindow> item(HWND hwnd) const;
    void Remove(HWND hwnd);
    // Puts the wrappers in the order of the handles given (the tabs' order); those not named
    // keep their order behind them.
    void Reorder(const std::vector<HWND>& order);
    int Count() const noexcept { return static_cast<int>(m_items.size()); }
    // The wrappers as they are now, in insertion order; safe to walk while entries go.
    std::vector<std::shared_ptr<CWindow>> NewEnum() const;
    // Every wrapper there now is handed to `removeWindowTab` exactly once; the collection is
    // empty afterwards.
    void RemoveAll(const std::function<void(const std::shared_ptr<CWindow>&)>& removeWindowTab);

  private:
    std::vector<std::pair<std::wstring, std::shared_ptr<CWindow>>> m_items;
};

} // namespace merilane
