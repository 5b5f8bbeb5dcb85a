#pragma once
#include <windows.h>
#include <utility>

namespace merilane {

// How many icons and GDI objects the program holds through OwnedGraphic right now.
int OwnedGraphicsAlive() noexcept;

namespace detail {
void CountGraphic(int delta) noexcept;
inline void DestroyGraphic(HICON h) noexcept {
    DestroyIcon(h);
}
template <class H> void DestroyGraphic(H h) noexcept {
    DeleteObject(h);
}
} // namespace detail

// Sole owner of an icon, brush, font, bitmap or pen that the program created.
template <class Handle> class OwnedGraphic {
  public:
    OwnedGraphic() = default;
    explicit OwnedGraphic(Handle h) noexcept : m_h(h) {
        if (m_h)
            detail::CountGraphic(+1);
    }
    ~OwnedGraphic() { reset(); }
    OwnedGraphic(OwnedGraphic&& other) noexcept : m_h(std::exchange(other.m_h, nullptr)) {}
    OwnedGraphic& operator=(OwnedGraphic&& other) noexcept {
        if (this != &other) {
            reset();
            m_h = std::exchange(other.m_h, nullptr);
        }
        return *this;
    }
    OwnedGraphic(const OwnedGraphic&) = delete;
    OwnedGraphic& operator=(const OwnedGraphic&) = delete;

    Handle get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return m_h != nullptr; }
    void reset(Handle h = nullptr) noexcept {
        if (m_h) {
            detail::DestroyGraphic(m_h);
            detail::CountGraphic(-1);
        }
        m_h = h;
        if (m_h)
            detail::CountGraphic(+1);
    }
    // Hands the handle over to someone who destroys it.
    Handle release() noexcept {
        if (m_h)
            detail::CountGraphic(-1);
        return std::exchange(m_h, nullptr);
    }

  private:
    Handle m_h = nullptr;
};

using OwnedIcon = OwnedGraphic<HICON>;
using OwnedBrush = OwnedGraphic<HBRUSH>;
using OwnedFont = OwnedGraphic<HFONT>;
using OwnedBitmap = OwnedGraphic<HBITMAP>;

} // namespace merilane
