#pragma once
#include <windows.h>
#include <utility>

namespace merilane {

// Owns an installed hook and removes it once.
class UniqueHook {
  public:
    UniqueHook() = default;
    explicit UniqueHook(HHOOK hook) noexcept : m_hook(hook) {}
    ~UniqueHook() { reset(); }
    UniqueHook(UniqueHook&& other) noexcept : m_hook(std::exchange(other.m_hook, nullptr)) {}
    UniqueHook& operator=(UniqueHook&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.m_hook, nullptr));
        return *this;
    }
    UniqueHook(const UniqueHook&) = delete;
    UniqueHook& operator=(const UniqueHook&) = delete;

    HHOOK get() const noexcept { return m_hook; }
    explicit operator bool() const noexcept { return m_hook != nullptr; }
    void reset(HHOOK hook = nullptr) noexcept {
        if (m_hook)
            UnhookWindowsHookEx(m_hook);
        m_hook = hook;
    }

  private:
    HHOOK m_hook = nullptr;
};

} // namespace merilane
