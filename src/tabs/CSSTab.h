#pragma once
#include "controls/Tab.h"
#include "window/CWindow.h"
#include <functional>
#include <memory>
#include <string>

namespace merilane {

class CWindows;
class TabHost;

// Ties each captured window to a tab of the container. It keeps no list of its own: the tabs
// are the tab strip's, the windows are in the captured-window collection, and the handle in a
// tab's Tag joins the two.
class CSSTab : public std::enable_shared_from_this<CSSTab> {
  public:
    CSSTab(TabHost& clientForm, std::shared_ptr<CWindows> capturedWindows)
        : m_clientForm(&clientForm), m_windows(std::move(capturedWindows)) {}

    TabHost* ClientForm() const noexcept { return m_clientForm; }

    enum class Added { InTab, Late, Refused, Failed };
    // Gives the window a tab and a host form, moves it in and activates the tab. Late when the
    // window's thread did not take its new parent in time: the tab and host form stay for the
    // caller to remove, and the late-move receiver hears once the window has moved after all.
    // Refused when the system would not move it: the window is where it was, tab and host form
    // again the caller's to remove. Failed when something of ours failed (the tab strip would not
    // take a tab, say): whatever was made is the caller's to remove, and a window that went in
    // already the caller's to give back.
    Added AddTab(const std::shared_ptr<CWindow>& newWindow);
    void RemoveTab(HWND hwnd);
    // Moves the window's tab to the 1-based position (clamped to the strip); the captured
    // windows follow the tabs' new order. The tab keeps its selection.
    void MoveTab(HWND hwnd, int position);
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
    // With `cycle`, next after the last tab is the first and previous before the first the last.
    void ActivateNextTab(bool cycle);
    void ActivatePreviousTab(bool cycle);

    // The longest caption a tab shows whole; a longer one keeps its first 23 characters + "...".
    static constexpr size_t kMaxTabCaption = 25;
    static std::wstring ShortenedTabCaption(const std::wstring& caption);

    static std::wstring IconKey(HICON icon);

  private:
    TabHost& Host() const;
    void AddTabIcon(const TabPtr& tab, const CWindow& window);

    TabHost* m_clientForm;
    std::shared_ptr<CWindows> m_windows;
};

} // namespace merilane
