#pragma once
#include "controls/UniqueOwner.h"
#include <windows.h>

namespace merilane {

// An icon that image lists and picture boxes take: either owned (destroyed with the picture)
// or borrowed from someone else (left alone). An empty picture stands for none.
class CPicture {
  public:
    static constexpr int kTypeIcon = 3;

    CPicture() = default;
    static CPicture Owning(HICON icon) noexcept;
    static CPicture Borrowing(HICON icon) noexcept;

    HICON Handle() const noexcept { return m_owned ? m_owned.get() : m_borrowed; }
    bool OwnsHandle() const noexcept { return static_cast<bool>(m_owned); }
    explicit operator bool() const noexcept { return Handle() != nullptr; }

  private:
    OwnedIcon m_owned;
    HICON m_borrowed = nullptr;
};

} // namespace merilane
