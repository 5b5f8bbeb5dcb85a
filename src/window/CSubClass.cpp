#include "window/CSubClass.h"
#include "controls/Failure.h"
#include "controls/Trust.h"
#include "window/MKeyboard.h"
#include <utility>
#include <vector>

namespace merilane {
namespace {
constexpr UINT_PTR kSubclassId = 0x4D4C; // one subclass of ours per window

// Which object subclasses which window, kept here: a window property, which any program may
// set, would let another process choose the object this code calls through.
std::vector<std::pair<HWND, CSubClass*>>& Subclassed() {
    static std::vector<std::pair<HWND, CSubClass*>> table;
    return table;
}

void Forget(HWND hwnd) {
    std::erase_if(Subclassed(), [hwnd](const auto& entry) { return entry.first == hwnd; });
}
} // namespace

void CSubClass::SubClass(HWND hwnd) {
    if (!IsWindow(hwnd) || GetSubclassObject(hwnd))
        return;
    if (!SetWindowSubclass(hwnd, SubclassWindowProc, kSubclassId,
                           reinterpret_cast<DWORD_PTR>(this)))
        return;
    Subclassed().emplace_back(hwnd, this);
    m_subclassedHwnd = hwnd;
    m_subclassing = true;
}

void CSubClass::UnSubClass() {
    if (!m_subclassing || !IsWindow(m_subclassedHwnd))
        return;
    RemoveWindowSubclass(m_subclassedHwnd, SubclassWindowProc, kSubclassId);
    Forget(m_subclassedHwnd);
    m_subclassing = false;
    m_subclassedHwnd = nullptr;
}

CSubClass* GetSubclassObject(HWND hWindow) {
    // A window that went without its subclass being told leaves its handle free for another.
    std::erase_if(Subclassed(), [](const auto& entry) { return !IsWindow(entry.first); });
    for (auto& [hwnd, object] : Subclassed())
        if (hwnd == hWindow)
            return object;
    return nullptr;
}

LRESULT CALLBACK SubclassWindowProc(HWND hWindow, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR data) {
    auto* object = reinterpret_cast<CSubClass*>(data);
    if (!object || CarriesForeignPointer(uMsg))
        return DefSubclassProc(hWindow, uMsg, wParam, lParam);
    return Guarded(LRESULT{0},
                   [&] { return object->OLDWindowProc(hWindow, uMsg, wParam, lParam); });
}

LRESULT CSubClass::PassOn(HWND hWindow, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(hWindow, uMsg, wParam, lParam);
}

LRESULT CSubClass::OLDWindowProc(HWND hWindow, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_SIZE: {
        LRESULT result = PassOn(hWindow, uMsg, wParam, lParam);
        if (wParam == SIZE_MAXIMIZED)
            m_host->RefocusActiveTab();
        return result;
    }
    case WM_ACTIVATE:
        switch ((CSubClass::LOWORD)(static_cast<uint32_t>(wParam))) {
        case WA_INACTIVE:
            m_ncDeactivateCount = 0;
            return PassOn(hWindow, uMsg, wParam, lParam);
        case WA_ACTIVE: {
            LRESULT result = PassOn(hWindow, uMsg, wParam, lParam);
            // Back by ALT + TAB from a captured window: the keyboard goes back there.
            if (AltTabPending) {
                m_host->RefocusActiveTab();
                AltTabPending = false;
            }
            return result;
        }
        case WA_CLICKACTIVE:
            return PassOn(hWindow, uMsg, wParam, lParam);
        default:
            return 0;
        }
    case WM_ACTIVATEAPP:
        // The caption follows the program, not the window: it stays active while a captured
        // window, which is another program's, is in front.
        if (wParam) {
            PassOn(hWindow, WM_NCACTIVATE, TRUE, 0);
        } else {
            m_ncDeactivateCount = 0;
            PassOn(hWindow, WM_NCACTIVATE, m_host->IsOwnForeground(true) ? TRUE : FALSE, 0);
        }
        return 0;
    case WM_DRAWITEM:
        if (lParam)
            m_host->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_NCACTIVATE: {
        if (wParam)
            return PassOn(hWindow, uMsg, wParam, lParam);
        if (++m_ncDeactivateCount >= 2)
            return PassOn(hWindow, uMsg, wParam, lParam);
        // The first deactivation since the last reset is the keyboard going into a captured
        // window: the caption is painted active again at once, without a visible flicker.
        LockWindowUpdate(hWindow);
        LRESULT result = PassOn(hWindow, WM_NCACTIVATE, FALSE, lParam);
        PassOn(hWindow, WM_NCACTIVATE, TRUE, 0);
        LockWindowUpdate(nullptr);
        return result;
    }
    case WM_SYSCOMMAND: {
        LRESULT result = PassOn(hWindow, uMsg, wParam, lParam);
        // Exactly SC_RESTORE: with the low bits the system adds for the keyboard or the mouse
        // it is passed on only.
        if (wParam == SC_RESTORE)
            m_host->RefocusActiveTab();
        return result;
    }
    case WM_EXITSIZEMOVE: {
        LRESULT result = PassOn(hWindow, uMsg, wParam, lParam);
        m_host->RefocusActiveTab();
        return result;
    }
    case WM_NCDESTROY:
        UnSubClass();
        return PassOn(hWindow, uMsg, wParam, lParam);
    default:
        return PassOn(hWindow, uMsg, wParam, lParam);
    }
}

} // namespace merilane
