#include "controls/Tab.h"
#include "controls/CTabStrip.h"
#include "controls/CImageList.h"
#include "controls/Error.h"

namespace merilane {

CTabStrip& Tab::Strip() const {
    if (!m_strip)
        Raise(kElementNotFound);
    return *m_strip;
}

int Tab::Index() const {
    return Strip().PositionOf(*this) + 1;
}

void Tab::SetCaption(const std::wstring& caption, const std::wstring& whole) {
    CTabStrip& strip = Strip();
    m_caption = caption;
    m_whole = whole == caption ? std::wstring() : whole;
    strip.WriteItem(*this);
}

void Tab::SetImage(const std::wstring& key) {
    CTabStrip& strip = Strip();
    if (!key.empty() && strip.ImageList())
        strip.ImageList()->IndexOf(key); // element-not-found before anything changes
    m_image = key;
    strip.WriteItem(*this);
}

bool Tab::Selected() const {
    return m_strip && m_strip->SelectedItem().get() == this;
}

void Tab::SetSelected(bool selected) {
    CTabStrip& strip = Strip();
    if (selected)
        strip.Select(*this);
}

} // namespace merilane
