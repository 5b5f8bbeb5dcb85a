#pragma once
#include <windows.h>
#include <utility>

namespace merilane {

// Sole owner of a system handle that `Close` gives back once; null means none.
template <class Handle, auto Close> class UniqueOwner {
  public:
    UniqueOwner() = default;
    explicit UniqueOwner(Handle h) noexcept : m_h(h) {}
    ~UniqueOwner() { reset(); }
    UniqueOwner(UniqueOwner&& other) noexcept : m_h(std::exchange(other.m_h, nullptr)) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.m_h, nullptr));
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;

    Handle get() const noexcept { return m_h; }
    explicit operator bool() const noexcept { return m_h != nullptr; }
    void reset(Handle h = nullptr) noexcept {
        if (m_h)
            Close(m_h);
        m_h = h;
    }

  private:
    Handle m_h = nullptr;
};

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

} // namespace merilane
