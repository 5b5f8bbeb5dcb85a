#pragma once
#include "controls/Tab.h"
#include "window/CWindow.h"
#include <memory>
#include <string>

namespace merilane {

class frmSSTab;

// Ties each captured window to a tab of the container. It keeps no list of its own: the tabs
// are the tab strip's, the windows are in CapturedWindows, and the handle in a tab's Tag joins
// the two.
class CSSTab : public std::enable_shared_from_this<CSSTab> {
  public:
    frmSSTab* ClientForm() const noexcept { return m_clientForm; }
    void SetClientForm(frmSSTab* form) noexcept { m_clientForm = form; }

    void AddTab(const std::shared_ptr<CWindow>& newWindow);
    void RemoveTab(HWND hwnd);
    TabPtr GetTabByHwnd(HWND hwnd) const;
    int GetTabIndexByHwnd(HWND hwnd) const;
    std::shared_ptr<CWindow> GetChildWindowObjectByHwnd(HWND hwnd) const;
    TabPtr GetActiveTab() const;
    std::shared_ptr<CWindow> GetActiveChildWindow() const;
    void ChangeTabCaption(const TabPtr& tab, const std::wstring& caption) const;

    // Shows the tab's host form and hides the others, titles the container after the tab,
    // brings container and window forward and keeps the window maximised.
    void ActivateTab(const TabPtr& tab, bool select = false);
    void ActivateTabByIndex(long index);
    void ActivateNextTab();
    void ActivatePreviousTab();

    // The longest caption a tab shows whole; a longer one keeps its first 23 characters + "...".
    static constexpr size_t kMaxTabCaption = 25;
    static std::wstring ShortenedTabCaption(const std::wstring& caption);

    static std::wstring IconKey(HICON icon);

  private:
    frmSSTab& Form() const;
    void AddTabIcon(const TabPtr& tab, const CWindow& window);

    frmSSTab* m_clientForm = nullptr;
};

} // namespace merilane
