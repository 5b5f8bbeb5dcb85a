#pragma once
#include "controls/CPicture.h"
#include "window/GiveBack.h"
#include <windows.h>
#include <cstdint>
#include <functional>
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

// A move of a window (into a host, or back out) that did not end in time ends later, on a
// worker; the one receiver the program names then hears of it on the user-interface thread.
// Whoever moved the window looks at it again then: no move carries a callback of its own.
using LateMoveReceiver = void (*)(HWND window);
void SetLateMoveReceiver(LateMoveReceiver receiver) noexcept;

// Wraps one window handle, as a rule a top-level window of another program. It owns nothing:
// the window may vanish at any moment, and the wrapper then answers from what it recorded.
//
// Nothing here waits long on another program: calls that its thread has to take part in go
// through ForeignCall, in their asynchronous form or bounded.
class CWindow {
  public:
    // Recorded data; writing a field changes nothing on the window.
    HWND LocalHwnd = nullptr; // the host form the window was parented into
    std::wstring Classname;
    DWORD PID = 0;
    HWND hWnd = nullptr;
    HWND LastHwnd = nullptr;      // the parent (or owner) before the latest reparenting
    std::wstring Caption = L"%t"; // "%t" stands for the window's current title
    // A name the user gave the tab: shown instead of the caption while not empty.
    std::wstring Name;
    // The name a rule gives the tab, shown while the user has given none; never remembered as
    // the user's.
    std::wstring RuleName;
    int32_t Width = 0;
    int32_t Height = 0;

    // The window's icons and its program's executable, as recorded. They cost messages to the
    // window and a look into its process, so they are read when first asked for, once.
    HICON SmallIconHandle() const;
    HICON BigIconHandle() const;
    void SetSmallIconHandle(HICON icon) { m_smallIcon = icon; }
    void SetBigIconHandle(HICON icon) { m_bigIcon = icon; }
    const std::wstring& ExecutableName() const;

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
    // Gives the window a new parent; a pop-up becomes a child window (and a child that was a
    // pop-up becomes one again on the desktop). True when that is done. False when the window's
    // thread did not take it in time: it happens when that thread gets to it, and then
    // the late-move receiver hears of it.
    //
    // Another thread's window moved into a host is on record (HeldWindows) from before the move
    // until it is out again.
    bool Reparent(HWND newOwner);
    // Whether the system refused the latest parent change that ended in time: the window then
    // is where it was. A program with more rights than this one is such a case.
    bool ReparentRefused() const noexcept { return m_reparentRefused; }

    // The system's SetParent, or a stand-in that tests give to see how a refusal is met (no
    // other way to make the system refuse exists where the tests run).
    using ParentSetter = HWND(WINAPI*)(HWND window, HWND newParent);
    static void SetParentSetter(ParentSetter setter) noexcept;
    static ParentSetter ParentSetterInUse() noexcept;

    // Greys the system-menu commands a captured window does without, on record.
    void GreyCapturedMenu();
    // Undoes what the record says capture changed: the greyed system-menu commands come back,
    // and the window returns to `newParent` (the desktop unless that is another program's
    // window) normal, 500 x 500 at (0, 0). True when it is done; otherwise it is done as soon as
    // the window's thread takes it, and the late-move receiver hears of it then. `placement`, when
    // given, is where it goes instead.
    bool GiveBack(HWND newParent, const RECT* placement = nullptr);
    // What the window was when it was loaded, and what capture changed since.
    const CaptureRecord& Record() const noexcept { return m_record; }
    void SetRecord(const CaptureRecord& record) noexcept { m_record = record; }

    bool GetStyleBit(LONG bit) const;
    bool GetExStyleBit(LONG bit) const;
    void Repaint() const;
    void SetStyleBit(LONG bit, bool switchOn) const;
    void SetExStyleBit(LONG bit, bool switchOn) const;
    bool IsSizable() const;
    bool IsMaxizable() const;
    bool IsDialogBox() const;

    // The user's name when there is one, else the rule's, else Caption with every "%t" replaced by
    // the current title; cut to `length` characters and
    // "..." when it is longer than length + 3.
    std::wstring ReplacedCaption(std::optional<int> length = std::nullopt) const;
    std::wstring ActiveCaption() const;

    // Pops the window's system menu up at the mouse pointer.
    void ShowSystemMenu() const;
    void DisableMenuItem(UINT menuItem) const;
    // Greys out (and re-marks the id of) a system-menu item, or restores it; an id the menu does
    // not hold changes nothing.
    void EnableMenuItem(UINT menuItem, bool enabled) const;
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

    // Whether the window's thread takes messages in, within a short time-out. Only a way to
    // refuse early: it says nothing about the next call.
    bool Answers() const;
    // Moves and sizes the window within its parent; another thread's window gets the change
    // queued.
    void Move(int x, int y, int width, int height, bool repaint) const;

    static std::wstring GetWindowCaptionText(HWND hwnd);
    static std::wstring GetWindowClassName(HWND hwnd);

  private:
    HICON GetIconHandle(int type) const;
    // Style words are written by the window's thread; another thread's gets them bounded.
    void WriteLong(int index, LONG value, bool repaint) const;
    void WriteBits(int index, LONG bits, bool switchOn) const;
    // Position of the system-menu item with the id (either form), or -1.
    int FindSystemMenuItem(UINT id) const;
    // Z-order changes of a window of another thread are queued to it, not waited on.
    UINT PositionFlags() const;

    CaptureRecord m_record;
    bool m_reparentRefused = false;
    mutable std::optional<HICON> m_smallIcon;
    mutable std::optional<HICON> m_bigIcon;
    mutable std::optional<std::wstring> m_executable;
};

} // namespace merilane
