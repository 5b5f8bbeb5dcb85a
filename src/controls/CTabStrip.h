#pragma once
#include "controls/CControl.h"
#include "controls/Tab.h"
#include <functional>
#include <vector>

namespace merilane {

class CImageList;

// The platform's tab control with 1-based tabs that carry a caption, an image key and a value.
class CTabStrip : public CControl {
  public:
    ~CTabStrip() override;

    void Create(HWND parent, int id, DWORD extraStyle = 0);

    // Appends a tab with no caption and no image.
    TabPtr Add();
    // Fails with index-out-of-bounds for a position that holds no tab.
    void Remove(int index);
    void Clear();
    int Count() const noexcept { return static_cast<int>(m_tabs.size()); }
    TabPtr Item(int index) const;
    const std::vector<TabPtr>& Tabs() const noexcept { return m_tabs; }
    TabPtr SelectedItem() const;

    bool MultiRow() const;
    void SetMultiRow(bool multiRow);
    // 0 tabs, 1 buttons.
    int Style() const;
    void SetStyle(int style);

    void SetImageList(CImageList* images);
    CImageList* ImageList() const noexcept { return m_images; }

    // The display area, in twips of the parent's client area.
    long ClientLeft() const;
    long ClientTop() const;
    long ClientWidth() const;
    long ClientHeight() const;

    // Events. Click follows a change of selection by the user, and any click on a tab,
    // the selected one too.
    std::function<void()> OnClick;
    std::function<void(int button, int shift, int x, int y)> OnMouseUp;

    // The parent form forwards its WM_NOTIFY for this control here.
    void HandleNotify(const NMHDR& header);
    // The tab's position for the platform (0-based), or -1.
    int PositionOf(const Tab& tab) const;

  private:
    friend class Tab;
    void WriteItem(const Tab& tab);
    void Select(const Tab& tab);
    RECT DisplayArea() const;
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    std::vector<TabPtr> m_tabs;
    CImageList* m_images = nullptr;
    // Whether the press of the mouse button that is down changed the selection; the click
    // then has had its event already.
    bool m_pressSelected = false;
};

} // namespace merilane
