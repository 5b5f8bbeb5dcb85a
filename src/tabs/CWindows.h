#pragma once
#include "window/CWindow.h"
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace merilane {

// Where a window stands with the program. A window is in the account from the moment capture
// has a wrapper for it until it is out and settled, or gone.
enum class HeldState {
    Held,     // in its host, with a tab
    InLate,   // capture gave up on it: its move in outlived its bound; if it goes in after all,
              // it comes straight back out (no tab)
    GivingUp, // capture gave up on it and it is on its way back out (no tab)
    Leaving,  // a release waits for its program: it keeps its tab until it is out
};

// What a release asks for once the window is out; kept while a late one waits.
struct ReleaseOptions {
    HWND newParent = nullptr;
    UINT releaseState = 1; // a ReleaseState: how it is shown once out
    bool removeTab = true;
    std::optional<RECT> placement; // where it goes instead of the usual 500 x 500 at (0, 0)
    bool activate = false;         // brought to the front once out (a tab dragged out)
};

// The one account of the windows the program holds or has on its way in or out: the wrappers,
// keyed by handle, in the order of their tabs (the order they were captured in, until the user
// moves a tab), each with its state and what it waits for. Only the capture and release paths
// change it; everything else reads it.
class CWindows {
  public:
    // Loads a wrapper for the window, maximises the window and stores the wrapper as held. A
    // handle that is already there fails with key-already-associated (the window is maximised
    // all the same).
    std::shared_ptr<CWindow> create(HWND childHwnd);
    // The same with a wrapper that has been loaded already.
    std::shared_ptr<CWindow> create(const CWindow& loaded);
    // The wrapper of a window that has a tab (held, or leaving with its tab); else null.
    std::shared_ptr<CWindow> item(HWND hwnd) const;
    // The wrapper whatever the window's state; null when it is not in the account.
    std::shared_ptr<CWindow> Wrapper(HWND hwnd) const;
    // Its state, whatever it is; none when the window is not in the account.
    std::optional<HeldState> StateOf(HWND hwnd) const;
    // What a release of the window that is leaving waits to do.
    std::optional<ReleaseOptions> WaitingRelease(HWND hwnd) const;
    // Puts the window in `state` (entering the account again when it had left it).
    void SetState(const std::shared_ptr<CWindow>& window, HeldState state,
                  const ReleaseOptions& release = {});
    // The window leaves the account: out and settled, or gone.
    void Remove(HWND hwnd);
    // Puts the wrappers in the order of the handles given (the tabs' order); those not named
    // keep their order behind them.
    void Reorder(const std::vector<HWND>& order);
    // How many windows have a tab.
    int Count() const noexcept;
    // Whether any window is on its way in or out.
    bool AnyOnItsWay() const noexcept;
    // The wrappers of the windows with a tab as they are now, in tab order; safe to walk while
    // entries go.
    std::vector<std::shared_ptr<CWindow>> NewEnum() const;
    // Every wrapper with a tab is handed to `removeWindowTab` exactly once; those are gone
    // afterwards, and windows still on their way stay.
    void RemoveAll(const std::function<void(const std::shared_ptr<CWindow>&)>& removeWindowTab);

  private:
    struct Entry {
        std::shared_ptr<CWindow> window;
        HeldState state = HeldState::Held;
        ReleaseOptions release;
        bool HasTab() const noexcept {
            return state == HeldState::Held || state == HeldState::Leaving;
        }
    };
    const Entry* Find(HWND hwnd) const;
    Entry* Find(HWND hwnd);
    std::vector<Entry> m_items;
};

} // namespace merilane
