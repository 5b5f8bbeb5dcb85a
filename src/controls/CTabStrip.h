#pragma once
#include "controls/CControl.h"
#include "controls/Tab.h"
#include <functional>
#include <span>
#include <vector>

namespace merilane {

class CImageList;

// The gap a tab dropped at `point` goes into: 0 before the first tab, n after the last. Only
// the tabs of the row the point is in count (all of them when it is in none), so a multi-row
// strip takes drops row by row. Rectangles and point in one coordinate space.
int InsertionGap(std::span<const RECT> tabs, POINT point);
// The 1-based position a tab from position `from` ends at when dropped into `gap`.
int PositionForGap(int from, int gap);

// What became of a tab dragged with the mouse.
struct TabDrop {
    enum class Kind { None, Reorder, Outside };
    Kind kind = Kind::None;
    int from = 0;          // the 1-based position the tab has as it is dropped
    int to = 0;            // where it goes, for Reorder
    POINT point{};         // where it was dropped, in screen coordinates
    HWND window = nullptr; // the tab's Tag
    bool operator==(const TabDrop& o) const {
        return kind == o.kind && from == o.from && to == o.to && point.x == o.point.x &&
               point.y == o.point.y && window == o.window;
    }
};
// Dropped on the row of tabs it reorders; outside the window that holds the strip it leaves;
// anywhere else (the display area, the frame) nothing happens. Screen coordinates.
TabDrop DecideTabDrop(int from, POINT point, const RECT& tabRow, const RECT& outer,
                      std::span<const RECT> tabs);

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
    // Moves the tab at `from` to `to` (1-based); it keeps its caption, image, value and
    // selection.
    void Move(int from, int to);
    // The 1-based position of the tab under the screen point, 0 for none.
    int HitTest(POINT screen) const;
    // The tabs' rectangles and the band of rows they lie in (the whole width), on the screen.
    std::vector<RECT> TabRects() const;
    RECT TabRow() const;
    // Shows a mark where a tab would go: before the tab at the 0-based gap, after the last
    // for the tab count; -1 takes it away.
    void SetInsertionMark(int gap);
    int InsertionMark() const noexcept { return m_mark; }
    bool Dragging() const noexcept { return m_dragged != nullptr; }
    // Ends a tab drag without a drop (the keyboard hook sees Escape wherever the focus is).
    void CancelDrag();
    // Ends a tab drag with a drop at the screen point. The capture keeps the mouse only while
    // the program is in front, which a tab's window of another program may take from it: the
    // mouse hook sees the release anywhere.
    void DropAt(POINT screen);

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
    // A tab was dragged and dropped (never called for a plain click, nor for a drop that does
    // nothing, nor for a tab removed while it was dragged: that ends its drag). A dragged tab is
    // not selected by its press: the handler selects it. Tabs are dragged only while there is a
    // handler.
    std::function<void(const TabDrop& drop)> OnTabDrop;

    // The parent form forwards its WM_NOTIFY for this control here.
    void HandleNotify(const NMHDR& header);
    // The tab's position for the platform (0-based), or -1.
    int PositionOf(const Tab& tab) const;
    // Tells assistive tools which tab is selected now, when it is not the one they were last
    // told of: the platform's control says nothing when the program selects a tab, and under
    // some systems not even for a user's click.
    void AnnounceSelection();

  private:
    friend class Tab;
    void WriteItem(const Tab& tab);
    // A tab's text asked for from another thread: an assistive tool, given the whole caption.
    LRESULT AnswerWholeText(WPARAM position, LPARAM item);
    void Select(const Tab& tab);
    RECT DisplayArea() const;
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    // The mouse while a tab may be dragged; true when the message is handled.
    bool DragMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    void EndDrag(bool drop, POINT screen);
    void DrawInsertionMark() const;

    std::vector<TabPtr> m_tabs;
    CImageList* m_images = nullptr;
    // Whether the press of the mouse button that is down changed the selection; the click
    // then has had its event already.
    bool m_pressSelected = false;
    // The tab being dragged, if any. Tabs before it may come and go meanwhile: its position
    // at the press says nothing by the time it is dropped.
    TabPtr m_dragged;
    int m_mark = -1;
    std::weak_ptr<Tab> m_announced;
};

} // namespace merilane
