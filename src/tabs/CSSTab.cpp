#include "tabs/CSSTab.h"
#include "controls/CIcon.h"
#include "controls/CImageList.h"
#include "controls/CPictureBox.h"
#include "controls/CTabStrip.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "controls/Failure.h"
#include "controls/Handles.h"
#include "tabs/CWindows.h"
#include "tabs/TabHost.h"
#include "tabs/dlgDocument.h"
#include "window/MForceFore.h"
#include <algorithm>

namespace merilane {
TabHost& CSSTab::Host() const {
    if (!m_clientForm)
        Raise(kObjectRequired);
    return *m_clientForm;
}

CSSTab::Added CSSTab::AddTab(const std::shared_ptr<CWindow>& newWindow) {
    auto keepAlive = shared_from_this(); // message-pump passes below may drop the global
    if (!newWindow)
        return Added::Failed;
    TabHost& host = Host();
    TabPtr tab;
    try {
        // Nothing is done to the window before it has a tab to go to.
        tab = host.TabStrip().Add();
        tab->SetTag(newWindow->hWnd);
    } catch (const std::exception&) {
        return Added::Failed;
    }
    try {
        auto& form = CForm::Adopt(std::make_unique<dlgDocument>());
        form.ChildWindow = newWindow;
        HWND hostHwnd = form.hWnd();
        RECT display{};
        GetClientRect(host.DisplayArea().hWnd(), &display);
        MoveWindow(hostHwnd, 0, 0, display.right + 2, display.bottom, FALSE);

        newWindow->LocalHwnd = hostHwnd;
        if (!newWindow->Reparent(hostHwnd))
            return Added::Late;
        if (newWindow->ReparentRefused())
            return Added::Refused;
        // From here on the window is in; what fails now is finishing touches.
        Tolerating(kHarmless, [&] { form.Form_Resize(); });
        Tolerating(kHarmless, [&] {
            CWindow hostWrapper;
            hostWrapper.Load(hostHwnd);
            hostWrapper.Reparent(host.DisplayArea().hWnd());
        });
        Tolerating(kHarmless, [&] { AddTabIcon(tab, *newWindow); });
        // Looked up once now, among the costs of a capture, so that a list of all tabs (Go to
        // tab) does not pay a look into every process the first time it is shown.
        Tolerating(kHarmless, [&] { newWindow->ExecutableName(); });
        Tolerating(kHarmless, [&] { ActivateTab(tab, true); });
    } catch (const std::exception&) {
        // The caller gives back whatever went in: a window must not stay without a tab.
        return Added::Failed;
    }
    return Added::InTab;
}

void CSSTab::RemoveTab(HWND hwnd) {
    Tolerating([&] { Host().TabStrip().Remove(GetTabIndexByHwnd(hwnd)); });
}

void CSSTab::MoveTab(HWND hwnd, int position) {
    CTabStrip& strip = Host().TabStrip();
    int from = GetTabIndexByHwnd(hwnd);
    if (!from || strip.Count() == 0)
        return;
    strip.Move(from, std::clamp(position, 1, strip.Count()));
    if (m_windows) {
        std::vector<HWND> order;
        for (auto& tab : strip.Tabs())
            order.push_back(tab->Tag());
        m_windows->Reorder(order);
    }
}

TabPtr CSSTab::GetTabByHwnd(HWND hwnd) const {
    TabPtr found;
    for (auto& tab : Host().TabStrip().Tabs())
        if (HandleValue(tab->Tag()) == HandleValue(hwnd))
            found = tab;
    return found;
}

int CSSTab::GetTabIndexByHwnd(HWND hwnd) const {
    TabPtr tab = GetTabByHwnd(hwnd);
    return tab ? tab->Index() : 0;
}

std::shared_ptr<CWindow> CSSTab::GetChildWindowObjectByHwnd(HWND hwnd) const {
    return m_windows ? m_windows->item(hwnd) : nullptr;
}

TabPtr CSSTab::GetActiveTab() const {
    return Host().TabStrip().SelectedItem();
}

std::shared_ptr<CWindow> CSSTab::GetActiveChildWindow() const {
    TabPtr tab = GetActiveTab();
    return tab ? GetChildWindowObjectByHwnd(tab->Tag()) : nullptr;
}

std::wstring CSSTab::ShortenedTabCaption(const std::wstring& caption) {
    if (caption.size() <= kMaxTabCaption)
        return caption;
    return caption.substr(0, kMaxTabCaption - 2) + L"...";
}

void CSSTab::ChangeTabCaption(const TabPtr& tab, const std::wstring& caption) const {
    if (tab)
        tab->SetCaption(ShortenedTabCaption(caption), caption);
}

std::wstring CSSTab::IconKey(HICON icon) {
    return L"i" + std::to_wstring(HandleValue(reinterpret_cast<HWND>(icon)));
}

void CSSTab::AddTabIcon(const TabPtr& tab, const CWindow& window) {
    HICON icon = window.SmallIconHandle() ? window.SmallIconHandle() : window.BigIconHandle();
    if (IsNoWindow(reinterpret_cast<HWND>(icon)))
        return;
    CImageList& images = Host().TabImages();
    std::wstring key = IconKey(icon);
    // A second window with the same icon shares the first one's entry.
    Tolerating(kHarmless, [&] {
        CPicture picture = window.GetIcon(icon, CPicture::kTypeIcon);
        images.Add(picture.Handle(), key);
    });
    tab->SetImage(key);
}

void CSSTab::ActivateTab(const TabPtr& tab, bool select) {
    if (!tab)
        return;
    // Message-pump passes below may run another activation, or drop the global tab set.
    auto keepAlive = shared_from_this();
    auto windows = m_windows;
    try {
        TabHost& host = Host();
        HWND tabWindow = tab->Tag();
        Tolerating(kHarmless, [&] {
            if (!windows)
                return;
            for (auto& window : windows->NewEnum()) {
                bool shown = HandleValue(window->hWnd) == HandleValue(tabWindow);
                window->GetParentWindow().SetVisible(shown);
                if (shown)
                    window->Repaint();
            }
        });
        Tolerating(kHarmless, [&] { host.SetContainerCaption(tab->Caption()); });
        Tolerating(kHarmless, [&] {
            ForceForeground(host.ContainerHwnd());
            ForceForeground(tabWindow);
        });
        std::shared_ptr<CWindow> window;
        Tolerating(kHarmless, [&] {
            window = windows ? windows->item(tabWindow) : nullptr;
            if (!window)
                Raise(kObjectRequired);
            if (window->GetWindowState() != SW_SHOWMAXIMIZED)
                window->SetWindowState(SW_SHOWMAXIMIZED);
        });
        Tolerating(kHarmless, [&] {
            if (select)
                tab->SetSelected(true);
        });
        Tolerating(kHarmless, [&] { host.LayOut(); });
        Tolerating(kHarmless, [&] {
            host.DisplayArea().SetVisible(false);
            host.DisplayArea().SetVisible(true);
        });
        Tolerating(kHarmless, [&] {
            if (host.UseActiveTabIconForAltTab())
                CIcon::SetWindowIcon(host.ContainerHwnd(), window->BigIconHandle(), ICON_BIG, true);
        });
        Tolerating(kHarmless, [&] {
            if (host.UseActiveTabIconForTaskbar())
                CIcon::SetWindowIcon(host.ContainerHwnd(), window->SmallIconHandle(), ICON_SMALL,
                                     true);
        });
    } catch (const std::exception&) {
        // Activation ends quietly; what is done stays done.
    }
}

void CSSTab::ActivateTabByIndex(long index) {
    try {
        CTabStrip& strip = Host().TabStrip();
        if (index >= 1 && index <= strip.Count())
            ActivateTab(strip.Item(static_cast<int>(index)), true);
    } catch (const std::exception&) {
    }
}

void CSSTab::ActivateNextTab(bool cycle) {
    TabPtr active = GetActiveTab();
    if (!active)
        return;
    int index = active->Index();
    if (index == Host().TabStrip().Count() && cycle)
        ActivateTabByIndex(1);
    else
        ActivateTabByIndex(index + 1);
}

void CSSTab::ActivatePreviousTab(bool cycle) {
    TabPtr active = GetActiveTab();
    if (!active)
        return;
    int index = active->Index();
    if (cycle && index == 1)
        ActivateTabByIndex(Host().TabStrip().Count());
    else
        ActivateTabByIndex(index - 1);
}

} // namespace merilane
