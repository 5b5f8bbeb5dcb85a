#pragma once
#include <windows.h>
#include <commctrl.h>
#include <cstdint>

namespace merilane {

// What the subclassing of the container needs of the program.
class SubclassHost {
  public:
    // Hands the foreground back to the active tab's window.
    virtual void RefocusActiveTab() = 0;
    // The container (with `includeContainer`) or a captured window is in front.
    virtual bool IsOwnForeground(bool includeContainer) = 0;
    // Paints an item of the container's owner-drawn tab strip; false when the item is not it.
    virtual bool DrawItem(const DRAWITEMSTRUCT& item) = 0;

  protected:
    ~SubclassHost() = default;
};

// Handles the container window's messages before its own procedure does: its caption stays
// painted active while the keyboard is in a captured window (which belongs to another program,
// so the container is formally inactive), the active tab's window gets the focus back after a
// restore, a maximise, a move or size, and an ALT + TAB back, and the tabs are painted.
class CSubClass {
  public:
    explicit CSubClass(SubclassHost& host) : m_host(&host) {}
    ~CSubClass() { UnSubClass(); }
    CSubClass(const CSubClass&) = delete;
    CSubClass& operator=(const CSubClass&) = delete;

    // Does nothing for a window that is gone, or that some object subclasses already.
    void SubClass(HWND hwnd);
    // Does nothing once the window is gone; the fields keep their values then.
    void UnSubClass();
    LRESULT OLDWindowProc(HWND hWindow, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND SubclassedHwnd() const noexcept { return m_subclassedHwnd; }
    bool Subclassing() const noexcept { return m_subclassing; }
    int NcDeactivateCount() const noexcept { return m_ncDeactivateCount; }

    // Signed halves of a message parameter. The names are the system's macros too: the
    // parentheses keep those out, here and at every call.
    static int16_t(LOWORD)(uint32_t value) noexcept { return static_cast<int16_t>(value & 0xFFFF); }
    static int16_t(HIWORD)(uint32_t value) noexcept { return static_cast<int16_t>(value >> 16); }


  private:
    LRESULT PassOn(HWND hWindow, UINT uMsg, WPARAM wParam, LPARAM lParam);

    SubclassHost* m_host;
    HWND m_subclassedHwnd = nullptr;
    bool m_subclassing = false;
    int m_ncDeactivateCount = 0;
};

// The window procedure that SubClass installs: finds the object through the window's property
// and lets it handle the message.
LRESULT CALLBACK SubclassWindowProc(HWND hWindow, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR data);
// The object that subclasses the window, or null.
CSubClass* GetSubclassObject(HWND hWindow);

} // namespace merilane
