#pragma once
#include <windows.h>
#include "controls/UniqueOwner.h"
#include <commctrl.h>
#include <string>
#include <vector>

namespace merilane {

// Images addressed by an optional text key; the list keeps copies of what it is given.
class CImageList {
  public:
    CImageList() = default;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    int ImageWidth() const noexcept { return m_width; }
    int ImageHeight() const noexcept { return m_height; }
    // Only while the list is empty, as with any image list.
    void SetImageSize(int width, int height);
    // Makes every image again at another size (for another resolution), keys and order kept.
    // The handle changes: controls that show the list must be given it again.
    void Rescale(int width, int height);

    // Returns the 1-based position of the new image. A key that is already there fails with
    // key-not-unique and adds nothing.
    int Add(HICON icon, const std::wstring& key = {});
    // 0-based position for the platform's calls; element-not-found when the key is not there.
    int IndexOf(const std::wstring& key) const;
    bool Contains(const std::wstring& key) const;
    int Count() const noexcept { return static_cast<int>(m_keys.size()); }

    HIMAGELIST Handle();

  private:
    UniqueImageList m_list;
    int m_width = 16;
    int m_height = 16;
    std::vector<std::wstring> m_keys;
    // A copy of every icon given, to make the images again at another size from.
    std::vector<OwnedIcon> m_sources;
};

} // namespace merilane
