#pragma once
#include "controls/UniqueOwner.h"
#include <windows.h>

namespace merilane {

// A memory device context compatible with the screen, with at most one bitmap selected into
// it. The context is the object's own (deleted with it, and counted among the program's
// graphics); the bitmap is only borrowed: it is put back out of the context on destruction and
// left alive for its owner.
class CPictureDC {
  public:
    CPictureDC();
    ~CPictureDC();
    CPictureDC(const CPictureDC&) = delete;
    CPictureDC& operator=(const CPictureDC&) = delete;

    HDC hDC() const noexcept { return m_dc.get(); }
    HBITMAP hBitmap() const noexcept { return m_bitmap; }
    // Selects the bitmap into the context. Only the first bitmap counts: a later call, or a
    // handle that is not a bitmap (an icon, a brush), changes nothing.
    void SetHBitmap(HANDLE bitmap) noexcept;
    // The selected bitmap's size in pixels; 0 without one.
    long Width() const noexcept { return m_width; }
    long Height() const noexcept { return m_height; }

  private:
    OwnedMemoryDC m_dc;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    long m_width = 0;
    long m_height = 0;
};

} // namespace merilane
