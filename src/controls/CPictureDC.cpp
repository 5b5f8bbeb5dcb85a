#include "controls/CPictureDC.h"

namespace merilane {

CPictureDC::CPictureDC() {
    ScreenDC screen = BorrowScreenDC();
    m_dc.reset(CreateCompatibleDC(screen.get()));
}

CPictureDC::~CPictureDC() {
    if (m_dc && m_bitmap)
        SelectObject(m_dc.get(), m_previous);
}

void CPictureDC::SetHBitmap(HANDLE bitmap) noexcept {
    if (m_bitmap || !m_dc || !bitmap)
        return;
    // Reading a BITMAP record succeeds for other GDI objects too (a brush's record is shorter),
    // and an icon is no GDI object at all: only a real bitmap is taken.
    auto object = static_cast<HGDIOBJ>(bitmap);
    BITMAP record{};
    if (GetObjectType(object) != OBJ_BITMAP ||
        GetObjectW(object, sizeof(record), &record) != sizeof(record))
        return;
    HGDIOBJ previous = SelectObject(m_dc.get(), object);
    if (!previous || previous == HGDI_ERROR)
        return;
    m_previous = previous;
    m_bitmap = static_cast<HBITMAP>(object);
    m_width = record.bmWidth;
    m_height = record.bmHeight;
}

} // namespace merilane
