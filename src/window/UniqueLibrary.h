#pragma once
#include <windows.h>
#include <utility>

namespace merilane {

// Owns a library loaded at run time and frees it once.
class UniqueLibrary {
  public:
    UniqueLibrary() = default;
    explicit UniqueLibrary(HMODULE module) noexcept : m_module(module) {}
    ~UniqueLibrary() { reset(); }
    UniqueLibrary(UniqueLibrary&& other) noexcept
        : m_module(std::exchange(other.m_module, nullptr)) {}
    UniqueLibrary& operator=(UniqueLibrary&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.m_module, nullptr));
        return *this;
    }
    UniqueLibrary(const UniqueLibrary&) = delete;
    UniqueLibrary& operator=(const UniqueLibrary&) = delete;

    HMODULE get() const noexcept { return m_module; }
    explicit operator bool() const noexcept { return m_module != nullptr; }
    void reset(HMODULE module = nullptr) noexcept {
        if (m_module)
            FreeLibrary(m_module);
        m_module = module;
    }

  private:
    HMODULE m_module = nullptr;
};

} // namespace merilane
