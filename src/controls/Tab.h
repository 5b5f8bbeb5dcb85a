#pragma once
#include <windows.h>
#include <memory>
#include <string>

namespace merilane {

class CTabStrip;

// One tab of a tab strip. A tab that has been removed keeps its last values but its position
// is gone: asking for it, or changing it, fails with element-not-found.
class Tab {
  public:
    int Index() const;
    const std::wstring& Caption() const noexcept { return m_caption; }
    // `whole`: the text the caption was shortened from, which assistive tools are given.
    void SetCaption(const std::wstring& caption, const std::wstring& whole = {});
    const std::wstring& WholeCaption() const noexcept {
        return m_whole.empty() ? m_caption : m_whole;
    }
    HWND Tag() const noexcept { return m_tag; }
    void SetTag(HWND tag) noexcept { m_tag = tag; }
    const std::wstring& Image() const noexcept { return m_image; }
    void SetImage(const std::wstring& key);
    bool Selected() const;
    void SetSelected(bool selected);
    bool IsRemoved() const noexcept { return m_strip == nullptr; }

  private:
    friend class CTabStrip;
    explicit Tab(CTabStrip* strip) : m_strip(strip) {}
    CTabStrip& Strip() const;

    CTabStrip* m_strip;
    std::wstring m_caption;
    std::wstring m_whole;
    HWND m_tag = nullptr;
    std::wstring m_image;
};

using TabPtr = std::shared_ptr<Tab>;

} // namespace merilane
