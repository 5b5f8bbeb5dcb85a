#include "controls/CImageList.h"
#include "controls/Error.h"
#include <algorithm>

namespace merilane {

void CImageList::SetImageSize(int width, int height) {
    if (!m_keys.empty())
        Raise(kInvalidProcedureCall, L"The image size of a list that holds images is fixed");
    m_width = width;
    m_height = height;
    m_list.reset();
}

HIMAGELIST CImageList::Handle() {
    if (!m_list)
        m_list.reset(ImageList_Create(m_width, m_height, ILC_COLOR32 | ILC_MASK, 4, 4));
    return m_list.get();
}

int CImageList::Add(HICON icon, const std::wstring& key) {
    if (!key.empty() && Contains(key))
        Raise(kKeyNotUnique);
    int at = ImageList_AddIcon(Handle(), icon);
    if (at < 0)
        Raise(kInvalidProcedureCall, L"Invalid picture");
    m_keys.push_back(key);
    // The icon may be another program's and may go with it: the list keeps its own copy, and
    // where the icon cannot be copied, the image the list made of it.
    HICON copy = CopyIcon(icon);
    m_sources.emplace_back(copy ? copy : ImageList_GetIcon(m_list.get(), at, ILD_NORMAL));
    return Count();
}

void CImageList::Rescale(int width, int height) {
    if (width == m_width && height == m_height)
        return;
    m_width = width;
    m_height = height;
    m_list.reset();
    HIMAGELIST list = Handle();
    // Tabs find their images by position: an image that cannot be made again leaves a blank
    // in its place rather than moving every later one up.
    int made = 0;
    for (auto& source : m_sources) {
        if (!source || ImageList_AddIcon(list, source.get()) < 0)
            ImageList_SetImageCount(list, static_cast<UINT>(made + 1));
        ++made;
    }
}

bool CImageList::Contains(const std::wstring& key) const {
    return !key.empty() && std::find(m_keys.begin(), m_keys.end(), key) != m_keys.end();
}

int CImageList::IndexOf(const std::wstring& key) const {
    auto it = key.empty() ? m_keys.end() : std::find(m_keys.begin(), m_keys.end(), key);
    if (it == m_keys.end())
        Raise(kElementNotFound);
    return static_cast<int>(it - m_keys.begin());
}

} // namespace merilane
