#pragma once
#include <windows.h>

namespace merilane {

// A child control on one of the program's forms; position and size in twips of its parent's
// client area.
class CControl {
  public:
    CControl() = default;
    virtual ~CControl();
    CControl(const CControl&) = delete;
    CControl& operator=(const CControl&) = delete;

    HWND hWnd() const noexcept { return m_hwnd; }

    long Left() const;
    long Top() const;
    long Width() const;
    long Height() const;
    void SetLeft(long twips);
    void SetTop(long twips);
    void SetWidth(long twips);
    void SetHeight(long twips);

    bool Visible() const;
    void SetVisible(bool visible);
    void Refresh();

  protected:
    void Attach(HWND hwnd) noexcept { m_hwnd = hwnd; }
    RECT BoundsInParent() const;

  private:
    HWND m_hwnd = nullptr;
};

} // namespace merilane
