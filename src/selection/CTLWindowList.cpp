#include "selection/CTLWindowList.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "controls/Failure.h"

namespace merilane {

CTLWindowList::CTLWindowList() : Timer1(kRefreshInterval, [this] { RefreshTaskList(); }) {}

void CTLWindowList::Create(HWND parent, int id, HICON firstIcon) {
    ImageList1.SetImageSize(16, 16);
    HICON first = firstIcon;
    if (!first)
        first = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                              IMAGE_ICON, 16, 16, LR_SHARED));
    if (first)
        ImageList1.Add(first, L"null");
    ListView1.Create(parent, id, true);
    ListView1.AddColumn(L"Task", 1000);
    ListView1.AddColumn(L"Status", 1000);
    ListView1.AddColumn(L"hWnd", 1000);
    ListView1.SetSmallIcons(&ImageList1);
    ListView1.OnDblClick = [this] {
        if (MouseDoubleClick) {
            CWindow window = SelectedWindow();
            MouseDoubleClick(window);
        }
    };
    ListView1.OnMouseUp = [this](int button, int shift, int x, int y) {
        if (MouseUp) {
            CWindow window = SelectedWindow();
            MouseUp(window, button, shift, static_cast<float>(x), static_cast<float>(y));
        }
    };
    ListView1.OnKeyUp = [this](int keyCode, int shift) {
        if (keyUp)
            keyUp(keyCode, shift);
    };
    ListView1.OnColumnClick = [this](int column) {
        if (ColumnClick)
            ColumnClick(column);
    };
    Tasks.SetHungTimeout(kHungTimeout);
    RefreshTaskList();
    if (ListView1.Count() > 0)
        ListView1.SetSelected(ListView1.KeyAt(1), true);
    Timer1.SetEnabled(true);
}

void CTLWindowList::SetIconSize(int pixels) {
    ImageList1.Rescale(pixels, pixels);
    ListView1.SetSmallIcons(&ImageList1);
}

void CTLWindowList::Move(int x, int y, int width, int height) {
    MoveWindow(ListView1.hWnd(), x, y, width, height, TRUE);
    ListView_SetColumnWidth(ListView1.hWnd(), 0, width * 55 / 100);
    ListView_SetColumnWidth(ListView1.hWnd(), 1, width * 25 / 100);
}

void CTLWindowList::HandleNotify(const NMHDR& header) {
    ListView1.HandleNotify(header);
}

CWindow CTLWindowList::SelectedWindow() const {
    CWindow window;
    auto selected = ListView1.SelectedKeys();
    if (!selected.empty())
        window.Load(HandleOfRowKey(selected.front()));
    return window;
}

void CTLWindowList::RefreshTaskList() {
    Tolerating({.tellUser = L"CTLWindowList.RefreshTaskList"}, [this] { m_rows.Refresh(); });
}

WindowSelection CTLWindowList::GetWindows() {
    WindowSelection windows;
    auto selected = ListView1.SelectedKeys();
    if (selected.empty())
        return windows;
    Timer1.SetEnabled(false);
    for (auto& key : selected) {
        CWindow window;
        window.Load(HandleOfRowKey(key));
        windows.emplace_back(key, std::move(window));
    }
    Timer1.SetEnabled(true);
    return windows;
}

} // namespace merilane
