#pragma once
#include "controls/CControl.h"
#include "controls/UniqueOwner.h"
#include "controls/CPictureDC.h"
#include <memory>

namespace merilane {

// A picture box whose drawing persists: what is drawn goes into a bitmap of its own, and the
// box repaints from that bitmap whenever the system asks, so the drawing survives being
// covered. Sizes and positions in pixels.
class CIconPicture : public CControl {
  public:
    void Create(HWND parent, int id, int x, int y, int width, int height);
    // Gives the picture a new size; the drawing starts over, blank.
    void SetSize(int width, int height);
    // Blanks the drawing (the dialog's background colour).
    void Clear();
    // The drawing's device context; call Refresh afterwards to show what was drawn.
    HDC hDC() const noexcept { return m_canvas ? m_canvas->hDC() : nullptr; }
    int ImageWidth() const noexcept { return m_canvas ? m_canvas->Width() : 0; }
    int ImageHeight() const noexcept { return m_canvas ? m_canvas->Height() : 0; }
    // A pixel of the drawing; CLR_INVALID outside it.
    COLORREF Pixel(int x, int y) const;

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void Paint(HDC target) const;

    // Declared after the bitmap it borrows, so that it lets go of the bitmap first.
    OwnedBitmap m_image;
    std::unique_ptr<CPictureDC> m_canvas;
};

} // namespace merilane
