#include "selection/CTLWindowList.h"
#include "controls/CIcon.h"
#include "controls/Dialogs.h"
#include "controls/Error.h"
#include "controls/Handles.h"
#include "controls/ProductInfo.h"
#include "window/mExecutableName.h"
#include <cwchar>
#include <cwctype>

namespace merilane {
namespace {

std::wstring Lower(std::wstring text) {
    for (auto& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

std::wstring OwnFileName() {
    wchar_t path[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    return FileNameOfPath(path);
}

template <class Step> void Ignoring(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

} // namespace

CTLWindowList::CTLWindowList() : Timer1(kRefreshInterval, [this] { RefreshTaskList(); }) {}

std::wstring CTLWindowList::RowKey(HWND hwnd) {
    return L"h" + HexKey(hwnd);
}

HWND CTLWindowList::HandleOfRowKey(const std::wstring& key) {
    if (key.size() < 2 || key[0] != L'h')
        return nullptr;
    return HandleFrom(static_cast<int64_t>(std::wcstoul(key.c_str() + 1, nullptr, 16)));
}

bool CTLWindowList::IsOwnExecutable(const std::wstring& fileName) {
    static const std::wstring own = Lower(OwnFileName());
    static const std::wstring built = Lower(Product().originalFileName);
    std::wstring name = Lower(fileName);
    return !name.empty() && (name == own || (!built.empty() && name == built));
}

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
    try {
        Refresh();
    } catch (const std::exception& e) {
        MsgBox(DescriptionOf(e), MB_ICONERROR | MB_OK, L"CTLWindowList.RefreshTaskList");
    }
}

void CTLWindowList::Refresh() {
    // The desktop is walked first, and rows whose window no longer qualifies go by what the
    // walk found: the same rows as asking each one on its own before, at half the questions.
    Tasks.Refresh();
    for (int row = ListView1.Count(); row >= 1; --row) {
        std::wstring key = ListView1.KeyAt(row);
        HWND hwnd = HandleFrom(std::wcstoll(ListView1.Text(key, 2).c_str(), nullptr, 10));
        if (!Tasks.ValidAtRefresh(hwnd)) {
            if (ListView1.Selected(key))
                ListView1.ClearSelection();
            ListView1.Remove(key);
        }
    }
    std::unordered_map<DWORD, bool> seen;
    for (long i = 1; i <= Tasks.Count(); ++i)
        seen.emplace(Tasks.ProcessID(i), false);
    std::erase_if(m_ownProcess, [&](const auto& entry) { return !seen.count(entry.first); });
    for (long i = 1; i <= Tasks.Count(); ++i) {
        if (IsOwnTask(Tasks.ProcessID(i)))
            continue;
        HWND hwnd = Tasks.hWnd(i);
        std::wstring key = RowKey(hwnd);
        std::wstring caption = Tasks.Caption(i);
        bool added = false;
        Ignoring([&] {
            if (!ListView1.Contains(key)) {
                ListView1.Add(key, caption);
                added = true;
            }
        });
        if (!ListView1.Contains(key))
            continue;
        if (ListView1.SmallIcon(key).empty()) {
            Ignoring([&] {
                // The icon belongs to the other program: the list keeps a copy of it.
                CPicture picture = CIcon::CreatePicture(Tasks.hIconSm(i), CPicture::kTypeIcon);
                if (!ImageList1.Contains(key))
                    ImageList1.Add(picture.Handle(), key);
                ListView1.SetSmallIcon(key, key);
            });
            ListView1.SetText(key, 2, std::to_wstring(HandleValue(hwnd)));
        }
        int status = Tasks.StatusAtRefresh(i);
        if (!added && ListView1.Text(key, 0) != caption)
            ListView1.SetText(key, 0, caption);
        std::wstring tag = std::to_wstring(status);
        if (ListView1.Tag(key) != tag) {
            ListView1.SetText(key, 1, status ? kNotResponding : kRunning);
            ListView1.SetTag(key, tag);
        }
    }
}

bool CTLWindowList::IsOwnTask(DWORD pid) {
    auto it = m_ownProcess.find(pid);
    if (it == m_ownProcess.end())
        it = m_ownProcess.emplace(pid, IsOwnExecutable(GetExecutableFileName(pid))).first;
    return it->second;
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
