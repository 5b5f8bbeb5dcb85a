#include "controls/CPicture.h"

namespace merilane {

CPicture CPicture::Owning(HICON icon) noexcept {
    CPicture p;
    p.m_owned.reset(icon);
    return p;
}

CPicture CPicture::Borrowing(HICON icon) noexcept {
    CPicture p;
    p.m_borrowed = icon;
    return p;
}

} // namespace merilane
