#include "controls/CImageList.h"
#include "controls/Error.h"
#include <algorithm>

namespace merilane {

CImageList::~CImageList() {
    if (m_list)
        ImageList_Destroy(m_list);
}

void CImageList::SetImageSize(int width, int height) {
    if (!m_keys.empty())
        Raise(kInvalidProcedureCall, L"The image size of a list that holds images is fixed");
    m_width = width;
    m_height = height;
    if (m_list) {
        ImageList_Destroy(m_list);
        m_list = nullptr;
    }
}

HIMAGELIST CImageList::Handle() {
    if (!m_list)
        m_list = ImageList_Create(m_width, m_height, ILC_COLOR32 | ILC_MASK, 4, 4);
    return m_list;
}

int CImageList::Add(HICON icon, const std::wstring& key) {
    if (!key.empty() && Contains(key))
        Raise(kKeyNotUnique);
    if (ImageList_AddIcon(Handle(), icon) < 0)
        Raise(kInvalidProcedureCall, L"Invalid picture");
    m_keys.push_back(key);
    // The icon may be another program's and may go with it: the list keeps its own copy.
    m_sources.emplace_back(CopyIcon(icon));
    return Count();
}

void CImageList::Rescale(int width, int height) {
    if (width == m_width && height == m_height)
        return;
    m_width = width;
    m_height = height;
    if (m_list) {
        ImageList_Destroy(m_list);
        m_list = nullptr;
    }
    HIMAGELIST list = Handle();
    for (auto& source : m_sources)
        ImageList_AddIcon(list, source.get());
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
