#pragma once
#include "tabs/CPicture.h"
#include <windows.h>
#include <cstdint>
#include <optional>
#include <string>

namespace merilane {

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

    // A picture of the icon that does not own it.
    CPicture GetIcon(HICON icon, int pictureType) const;

    LONG OriginalStyle() const noexcept { return m_originalStyle; }
    LONG OriginalExStyle() const noexcept { return m_originalExStyle; }

    static std::wstring GetWindowCaptionText(HWND hwnd);
    static std::wstring GetWindowClassName(HWND hwnd);

  private:
    HICON GetIconHandle(int type) const;

    // What the window was when it was loaded, so that what capture changes can be given back.
    LONG m_originalStyle = 0;
    LONG m_originalExStyle = 0;
};

} // namespace merilane
