#include "tabs/CSSTab.h"
#include "app/Globals.h"
#include "app/frmSSTab.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "tabs/CIcon.h"
#include "tabs/CWindows.h"
#include "window/MForceFore.h"
#include "tabs/dlgDocument.h"
#include "window/Handles.h"

namespace merilane {
namespace {

// Runs one step of a procedure in which element-not-found and key-not-unique are harmless.
template <class Step> void Tolerant(Step&& step) {
    try {
        step();
    } catch (const Error& e) {
        if (!e.IsHarmlessControlFailure())
            throw;
    }
}

} // namespace

frmSSTab& CSSTab::Form() const {
    if (!m_clientForm)
        Raise(kObjectRequired);
    return *m_clientForm;
}

void CSSTab::AddTab(const std::shared_ptr<CWindow>& newWindow) {
    auto keepAlive = shared_from_this(); // message-pump passes below may drop the global
    try {
        if (!newWindow)
            Raise(kObjectRequired);
        frmSSTab& form = Form();
        TabPtr tab;
        Tolerant([&] { tab = form.TabStrip1.Add(); });
        Tolerant([&] { tab->SetTag(newWindow->hWnd); });

        auto& host = CForm::Adopt(std::make_unique<dlgDocument>());
        host.ChildWindow = newWindow;
        HWND hostHwnd = host.hWnd();
        RECT display{};
        GetClientRect(form.Picture1.hWnd(), &display);
        MoveWindow(hostHwnd, 0, 0, display.right + 2, display.bottom, FALSE);

        Tolerant([&] { newWindow->Reparent(hostHwnd, false); });
        newWindow->LocalHwnd = hostHwnd;
        Tolerant([&] { host.Form_Resize(); });
        Tolerant([&] {
            CWindow hostWrapper;
            hostWrapper.Load(hostHwnd);
            hostWrapper.Reparent(form.Picture1.hWnd(), false);
        });
        Tolerant([&] { AddTabIcon(tab, *newWindow); });
        Tolerant([&] { ActivateTab(tab, true); });
    } catch (const std::exception& e) {
        MsgBox(std::to_wstring(NumberOf(e)) + L" " + DescriptionOf(e), MB_ICONERROR | MB_OK,
               L"CSSTab.AddTab");
    }
}

void CSSTab::RemoveTab(HWND hwnd) {
    try {
        Form().TabStrip1.Remove(GetTabIndexByHwnd(hwnd));
    } catch (const std::exception&) {
    }
}

TabPtr CSSTab::GetTabByHwnd(HWND hwnd) const {
    TabPtr found;
    for (auto& tab : Form().TabStrip1.Tabs())
        if (HandleValue(tab->Tag()) == HandleValue(hwnd))
            found = tab;
    return found;
}

int CSSTab::GetTabIndexByHwnd(HWND hwnd) const {
    TabPtr tab = GetTabByHwnd(hwnd);
    return tab ? tab->Index() : 0;
}

std::shared_ptr<CWindow> CSSTab::GetChildWindowObjectByHwnd(HWND hwnd) const {
    return CapturedWindows ? CapturedWindows->item(hwnd) : nullptr;
}

TabPtr CSSTab::GetActiveTab() const {
    return Form().TabStrip1.SelectedItem();
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
        tab->SetCaption(ShortenedTabCaption(caption));
}

std::wstring CSSTab::IconKey(HICON icon) {
    return L"i" + std::to_wstring(HandleValue(reinterpret_cast<HWND>(icon)));
}

void CSSTab::AddTabIcon(const TabPtr& tab, const CWindow& window) {
    HICON icon = window.SmallIconHandle ? window.SmallIconHandle : window.BigIconHandle;
    if (IsNoWindow(reinterpret_cast<HWND>(icon)))
        return;
    frmSSTab& form = Form();
    std::wstring key = IconKey(icon);
    // A second window with the same icon shares the first one's entry.
    Tolerant([&] {
        CPicture picture = window.GetIcon(icon, CPicture::kTypeIcon);
        form.imglstTabstrip.Add(picture.Handle(), key);
    });
    tab->SetImage(key);
}

void CSSTab::ActivateTab(const TabPtr& tab, bool select) {
    if (!tab)
        return;
    // Message-pump passes below may run another activation, or drop the global tab set.
    auto keepAlive = shared_from_this();
    try {
        frmSSTab& form = Form();
        HWND tabWindow = tab->Tag();
        Tolerant([&] {
            if (!CapturedWindows)
                return;
            for (auto& window : CapturedWindows->NewEnum()) {
                if (HandleValue(window->hWnd) == HandleValue(tabWindow)) {
                    window->GetParentWindow().SetVisible(true);
                    window->Repaint();
                } else {
                    window->GetParentWindow().SetVisible(false);
                }
            }
        });
        Tolerant([&] { form.SetCaption(tab->Caption()); });
        Tolerant([&] {
            ForceForeground(form.ExistingHwnd());
            ForceForeground(tabWindow);
        });
        std::shared_ptr<CWindow> window;
        Tolerant([&] {
            window = CapturedWindows ? CapturedWindows->item(tabWindow) : nullptr;
            if (!window)
                Raise(kObjectRequired);
            if (window->GetWindowState() != SW_SHOWMAXIMIZED)
                window->SetWindowState(SW_SHOWMAXIMIZED);
        });
        Tolerant([&] {
            if (select)
                tab->SetSelected(true);
        });
        Tolerant([&] { form.Form_Resize(); });
        Tolerant([&] {
            form.Picture1.SetVisible(false);
            form.Picture1.SetVisible(true);
        });
        Tolerant([&] {
            if (form.Menu.Checked(L"alttab_useActiveTabIcon"))
                CIcon::SetWindowIcon(form.ExistingHwnd(), window->BigIconHandle, ICON_BIG, true);
        });
        Tolerant([&] {
            if (form.Menu.Checked(L"taskbar_useActiveTabIcon"))
                CIcon::SetWindowIcon(form.ExistingHwnd(), window->SmallIconHandle, ICON_SMALL,
                                     true);
        });
    } catch (const std::exception&) {
        // Activation ends quietly; what is done stays done.
    }
}

void CSSTab::ActivateTabByIndex(long index) {
    try {
        CTabStrip& strip = Form().TabStrip1;
        if (index >= 1 && index <= strip.Count())
            ActivateTab(strip.Item(static_cast<int>(index)), true);
    } catch (const std::exception&) {
    }
}

void CSSTab::ActivateNextTab() {
    TabPtr active = GetActiveTab();
    if (!active)
        return;
    frmSSTab& form = Form();
    int index = active->Index();
    if (index == form.TabStrip1.Count() && form.Menu.Checked(L"roundRobin"))
        ActivateTabByIndex(1);
    else
        ActivateTabByIndex(index + 1);
}

void CSSTab::ActivatePreviousTab() {
    TabPtr active = GetActiveTab();
    if (!active)
        return;
    frmSSTab& form = Form();
    int index = active->Index();
    if (form.Menu.Checked(L"roundRobin") && index == 1)
        ActivateTabByIndex(form.TabStrip1.Count());
    else
        ActivateTabByIndex(index - 1);
}

} // namespace merilane
