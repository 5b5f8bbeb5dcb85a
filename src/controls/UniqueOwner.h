#pragma once
#include <windows.h>
#include <commctrl.h>
#include <utility>

namespace merilane {

// How many icons, GDI objects and memory device contexts the program holds through its owners
// right now. The system's own count is a stub where the tests run, so the program keeps one.
int OwnedGraphicsAlive() noexcept;

namespace detail {
void CountGraphic(int delta) noexcept;
} // namespace detail

// What an owner counts: nothing, or the program's graphics.
struct Uncounted {
    static void Count(int) noexcept {}
};
struct GraphicsCount {
    static void Count(int delta) noexcept { detail::CountGraphic(delta); }
};

// Sole owner of a system handle that `Close` gives back once; null means none. The handle is
// given to the owner by whoever made it; one that is merely borrowed has no owner.
template <class Handle, auto Close, class Counter = Uncounted> class UniqueOwner {
  public:
    UniqueOwner() = default;
    explicit UniqueOwner(Handle h) noexcept : m_h(h) {
        if (m_h)
            Counter::Count(+1);
    }
    ~UniqueOwner() { reset(); }
    UniqueOwner(UniqueOwner&& other) noexcept : m_h(std::exchange(other.m_h, nullptr)) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) {
            reset();
            m_h = std::exchange(other.m_h, nullptr);
        }
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;

    Handle get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return m_h != nullptr; }
    void reset(Handle h = nullptr) noexcept {
        if (m_h) {
            Close(m_h);
            Counter::Count(-1);
        }
        m_h = h;
        if (m_h)
            Counter::Count(+1);
    }
    // Hands the handle over to someone who gives it back.
    Handle release() noexcept {
        if (m_h)
            Counter::Count(-1);
        return std::exchange(m_h, nullptr);
    }

  private:
    Handle m_h = nullptr;
};

namespace detail {
// The closing calls whose answers nobody needs, as plain functions of the handle.
inline void DeleteGraphic(HGDIOBJ h) noexcept {
    DeleteObject(h);
}
inline void ReleaseScreenDC(HDC dc) noexcept {
    ReleaseDC(nullptr, dc);
}
} // namespace detail

// A kernel handle (process, token, snapshot, event). The calls that make one report failure
// either as null or as INVALID_HANDLE_VALUE; both are kept as null.
class UniqueHandle : public UniqueOwner<HANDLE, &CloseHandle> {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) noexcept
        : UniqueOwner(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
};

// A library loaded at run time.
using UniqueLibrary = UniqueOwner<HMODULE, &FreeLibrary>;
// An installed hook.
using UniqueHook = UniqueOwner<HHOOK, &UnhookWindowsHookEx>;
// A menu not (or no longer) attached to a window: a window destroys its own menu.
using UniqueMenu = UniqueOwner<HMENU, &DestroyMenu>;
// An image list of the program's own.
using UniqueImageList = UniqueOwner<HIMAGELIST, &ImageList_Destroy>;

// Icons, GDI objects and memory contexts the program made, counted while they live.
using OwnedIcon = UniqueOwner<HICON, &DestroyIcon, GraphicsCount>;
template <class Object>
using OwnedGdiObject = UniqueOwner<Object, &detail::DeleteGraphic, GraphicsCount>;
using OwnedBrush = OwnedGdiObject<HBRUSH>;
using OwnedFont = OwnedGdiObject<HFONT>;
using OwnedBitmap = OwnedGdiObject<HBITMAP>;
using OwnedPen = OwnedGdiObject<HPEN>;
using OwnedMemoryDC = UniqueOwner<HDC, &DeleteDC, GraphicsCount>;

// The screen's device context, borrowed from the system and given back.
using ScreenDC = UniqueOwner<HDC, &detail::ReleaseScreenDC>;
inline ScreenDC BorrowScreenDC() noexcept {
    return ScreenDC(GetDC(nullptr));
}

} // namespace merilane
