#pragma once
#include "tabs/CPicture.h"
#include <windows.h>
#include <cstdint>
#include <optional>
#include <string>

namespace merilane {

// Answers of MakeTransparent and MakeOpaque.
enum TransparencyResult : long {
    kTransparencyDone = 0,
    kTransparencyOutOfRange = 1,
    kTransparencyError = 2,
};

// A system-menu item that has been disabled is marked twice: greyed, and with bit 15 of its
// command id cleared. The system re-enables the standard commands by id whenever it prepares
// the menu; an id it does not know is left alone, so the grey state sticks.
constexpr UINT kMenuIdEnabledBit = 0x8000;
constexpr UINT MarkedMenuId(UINT id, bool enabled) noexcept {
    return enabled ? id : (id & ~kMenuIdEnabledBit);
}
// Whether an item with `itemId` stands for `wanted`, in its enabled or its disabled form.
constexpr bool MenuIdMatches(UINT itemId, UINT wanted) noexcept {
    return itemId == wanted || itemId == MarkedMenuId(wanted, false);
}

// The alpha for a window that is `percent` per cent transparent, rounded with halves to the even
// neighbour; nothing for a percentage outside 0..100.
std::optional<BYTE> TransparencyAlpha(int percent) noexcept;

// high * 65536 + (low & 0xFFFF), the packing of a point in a message's lParam.
constexpr int32_t MakeLParam(int16_t high, int16_t low) noexcept {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16 |
                                static_cast<uint16_t>(low));
}
// A screen coordinate as a 16-bit value; one outside -32768..32767 raises an overflow.
int16_t ShortCoordinate(LONG value);

// Wraps one window handle, as a rule a top-level window of another program. It owns nothing:
// the window may vanish at any moment, and the wrapper then answers from what it recorded.
class CWindow {
  public:
    // Recorded data; writing a field changes nothing on the window.
    HWND LocalHwnd = nullptr; // the host form the window was parented into
    std::wstring Classname;
    HICON SmallIconHandle = nullptr;
    HICON BigIconHandle = nullptr;
    DWORD PID = 0;
    HWND hWnd = nullptr;
    HWND LastHwnd = nullptr; // the parent (or owner) before the latest reparenting
    std::wstring ExecutableName;
    std::wstring Caption = L"%t"; // "%t" stands for the window's current title
    int32_t Width = 0;
    int32_t Height = 0;

    void CloseWindow() const;
    static int CaptionHeight();

    LONG Style() const;
    void SetStyle(LONG style) const;
    LONG ExStyle() const;
    void SetExStyle(LONG style) const;

    bool IsExistingWindow() const;
    bool IsForegroundWindow() const;
    // The show command of the window's placement: 1 normal, 2 minimised, 3 maximised.
    UINT GetWindowState() const;
    void SetWindowState(UINT state) const;
    // A wrapper of the host form that holds this window.
    CWindow GetParentWindow() const;

    bool Visible() const;
    void SetVisible(bool value) const;

    bool Load(HWND hwnd);
    void Resize(int width, int height, bool repaint) const;
    void Reparent(HWND newOwner, bool setOriginals);

    bool GetStyleBit(LONG bit) const;
    bool GetExStyleBit(LONG bit) const;
    void Repaint() const;
    void SetStyleBit(LONG bit, bool switchOn) const;
    void SetExStyleBit(LONG bit, bool switchOn) const;
    bool IsSizable() const;
    bool IsMaxizable() const;
    bool IsDialogBox() const;

    // Caption with every "%t" replaced by the current title; cut to `length` characters and
    // "..." when it is longer than length + 3.
    std::wstring ReplacedCaption(std::optional<int> length = std::nullopt) const;
    std::wstring ActiveCaption() const;
    void SetActiveCaption(const std::wstring&) const {}

    // Pops the window's system menu up at the mouse pointer.
    void ShowSystemMenu() const;
    void DisableMenuItem(UINT menuItem) const;
    // Greys out (and re-marks the id of) a system-menu item, or restores it; an id the menu does
    // not hold changes nothing.
    void EnableMenuItem(UINT menuItem, bool enabled) const;
    bool IsMenuItemChecked(UINT) const noexcept { return false; }
    void CheckMenuItem(UINT) const noexcept {}
    void UnCheckMenuItem(UINT) const noexcept {}
    // Removes a system-menu item; Close takes the separator above it along.
    void RemoveMenuItem(UINT menuItem) const;
    // Brings the window to the top of the z-order when `value` is true.
    void ZorderTop(bool value) const;
    bool TopMost() const;
    void SetTopMost(bool value) const;
    // Gives the window an icon (ICON_SMALL or ICON_BIG); with `ownerChain`, to the window at the
    // top of its owner chain, which is the one the shell shows for the program.
    void SetIcon(HICON icon, int iconType, bool ownerChain) const;
    // A picture of the icon that does not own it.
    CPicture GetIcon(HICON icon, int pictureType) const;
    HMENU GetSysMenuHandle() const;
    // Appends a string (MF_STRING), a pop-up (MF_POPUP) or a separator (MF_SEPARATOR) to the
    // system menu; answers the id the item was given: the item count before it plus 1000.
    UINT AddMenuItem(UINT itemType, const std::wstring& itemName, HMENU subMenu) const;
    // Whether the system-menu item at the position has any state (grey, checked, default...).
    bool GetMenuItemState(int position) const;
    bool Moveable() const;
    void SetMoveable(bool value) const;
    bool Sizeable() const;
    void SetSizeable(bool value) const;
    bool IsTransparent() const;
    TransparencyResult MakeTransparent(int16_t percent) const;
    TransparencyResult MakeOpaque() const;
    void AddToAltTab() const noexcept {}
    void AddTaskbarButton() const noexcept {}
    void RemoveTaskbarButton() const noexcept {}
    void ActivateTaskbarButton() const noexcept {}

    // Whether the window's thread takes messages in, within a short time-out. Calls that wait
    // for that thread (style writes, placement, reparenting) are not made when it does not.
    bool Answers() const;
    // Moves and sizes the window within its parent; a window that does not answer gets the
    // change queued.
    void Move(int x, int y, int width, int height, bool repaint) const;

    LONG OriginalStyle() const noexcept { return m_originalStyle; }
    LONG OriginalExStyle() const noexcept { return m_originalExStyle; }

    static std::wstring GetWindowCaptionText(HWND hwnd);
    static std::wstring GetWindowClassName(HWND hwnd);

  private:
    HICON GetIconHandle(int type) const;
    // Position of the system-menu item with the id (either form), or -1.
    int FindSystemMenuItem(UINT id) const;
    // Z-order changes of a window of another thread are queued to it, not waited on.
    UINT PositionFlags() const;

    // What the window was when it was loaded, so that what capture changes can be given back.
    LONG m_originalStyle = 0;
    LONG m_originalExStyle = 0;
};

} // namespace merilane
