#pragma once
#include "controls/CControl.h"
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace merilane {

class CImageList;

// A report-view list whose rows are addressed by a unique text key.
class CListView : public CControl {
  public:
    ~CListView() override;
    void Create(HWND parent, int id, bool multiSelect);

    void AddColumn(const std::wstring& text, long widthTwips);
    void SetSmallIcons(CImageList* images);

    // Fails with key-not-unique when a row already has the key. Returns the 1-based position.
    int Add(const std::wstring& key, const std::wstring& text);
    bool Contains(const std::wstring& key) const;
    // 1-based position of the row, 0 when there is none.
    int Find(const std::wstring& key) const;
    // Element-not-found when there is no such row.
    void Remove(const std::wstring& key);
    void Clear();
    int Count() const noexcept { return static_cast<int>(m_rows.size()); }
    const std::wstring& KeyAt(int position) const;

    // Column 0 is the row's text, 1 and up its sub-items.
    std::wstring Text(const std::wstring& key, int column = 0) const;
    void SetText(const std::wstring& key, int column, const std::wstring& text);
    std::wstring SmallIcon(const std::wstring& key) const;
    void SetSmallIcon(const std::wstring& key, const std::wstring& imageKey);
    std::wstring Tag(const std::wstring& key) const;
    void SetTag(const std::wstring& key, const std::wstring& tag);
    bool Selected(const std::wstring& key) const;
    void SetSelected(const std::wstring& key, bool selected);
    std::vector<std::wstring> SelectedKeys() const;
    void ClearSelection();

    std::function<void()> OnDblClick;
    std::function<void(int button, int shift, int x, int y)> OnMouseUp; // x, y in twips
    // A key released in the list; only keys that were also pressed in it.
    std::function<void(int keyCode, int shift)> OnKeyUp;
    std::function<void(int column)> OnColumnClick;
    // The parent form forwards its WM_NOTIFY for this control here.
    void HandleNotify(const NMHDR& header);

    // How many cells (texts and icons) have been written since the list was made.
    long CellWrites() const noexcept { return m_cellWrites; }

  private:
    struct Row {
        std::wstring key;
        std::wstring tag;
        std::wstring icon;
        std::vector<std::wstring> texts;
    };
    int Position(const std::wstring& key) const; // 0-based, raises element-not-found
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    long m_cellWrites = 0;
    std::set<UINT> m_keysDown;
    std::vector<Row> m_rows;
    // Where each key's row is: lists are asked by key many times a refresh.
    std::unordered_map<std::wstring, size_t> m_positions;
    CImageList* m_images = nullptr;
    int m_columns = 0;
};

} // namespace merilane
