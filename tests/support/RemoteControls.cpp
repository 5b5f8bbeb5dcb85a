#include "RemoteControls.h"
#include "TestSupport.h"
#include <commctrl.h>

namespace merilane::test {
namespace {

constexpr SIZE_T kRemoteSize = 4096;
constexpr SIZE_T kTextOffset = 1024;

struct ChildSearch {
    const std::wstring* className;
    const std::wstring* text;
    std::vector<HWND>* found;
};

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<ChildSearch*>(lp);
    wchar_t cls[128] = {};
    GetClassNameW(hwnd, cls, 128);
    if (_wcsicmp(cls, s->className->c_str()) == 0 &&
        (s->text->empty() || WindowText(hwnd) == *s->text))
        s->found->push_back(hwnd);
    return TRUE;
}

} // namespace

RemoteListView::RemoteListView(HWND list) : m_list(list) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (m_process)
        m_remote = VirtualAllocEx(m_process, nullptr, kRemoteSize, MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
}

RemoteListView::~RemoteListView() {
    if (m_remote)
        VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE);
    if (m_process)
        CloseHandle(m_process);
}

int RemoteListView::Count() const {
    return static_cast<int>(SendMessageW(m_list, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring RemoteListView::Text(int row, int column) const {
    auto* base = static_cast<char*>(m_remote);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(base + kTextOffset);
    item.cchTextMax = 512;
    WriteProcessMemory(m_process, base, &item, sizeof(item), nullptr);
    SendMessageW(m_list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(base));
    wchar_t text[512] = {};
    ReadProcessMemory(m_process, base + kTextOffset, text, sizeof(text) - sizeof(wchar_t), nullptr);
    return text;
}

void RemoteListView::Select(int row, bool selected) const {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = selected ? (LVIS_SELECTED | LVIS_FOCUSED) : 0;
    WriteProcessMemory(m_process, m_remote, &item, sizeof(item), nullptr);
    SendMessageW(m_list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(m_remote));
}

void RemoteListView::SelectNone() const {
    Select(-1, false);
}

int RemoteListView::RowOf(HWND window) const {
    std::wstring decimal =
        std::to_wstring(static_cast<int32_t>(reinterpret_cast<intptr_t>(window)));
    for (int row = 0; row < Count(); ++row)
        if (Text(row, 2) == decimal)
            return row;
    return -1;
}

std::vector<std::wstring> RemoteTabCaptions(HWND strip) {
    std::vector<std::wstring> captions;
    DWORD pid = 0;
    GetWindowThreadProcessId(strip, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return captions;
    auto* base = static_cast<char*>(
        VirtualAllocEx(process, nullptr, kRemoteSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    int count = static_cast<int>(SendMessageW(strip, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; base && i < count; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = reinterpret_cast<wchar_t*>(base + kTextOffset);
        item.cchTextMax = 256;
        WriteProcessMemory(process, base, &item, sizeof(item), nullptr);
        SendMessageW(strip, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(base));
        wchar_t text[256] = {};
        ReadProcessMemory(process, base + kTextOffset, text, sizeof(text) - sizeof(wchar_t),
                          nullptr);
        captions.emplace_back(text);
    }
    if (base)
        VirtualFreeEx(process, base, 0, MEM_RELEASE);
    CloseHandle(process);
    return captions;
}

RECT TabRect(HWND strip, int index) {
    DWORD pid = 0;
    GetWindowThreadProcessId(strip, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    void* remote = process ? VirtualAllocEx(process, nullptr, sizeof(RECT),
                                            MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                           : nullptr;
    RECT r{};
    if (remote && SendMessageW(strip, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote)))
        ReadProcessMemory(process, remote, &r, sizeof(r), nullptr);
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process)
        CloseHandle(process);
    MapWindowPoints(strip, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void SendPointer(POINT at, DWORD buttons) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | buttons;
    SendInput(1, &in, sizeof(INPUT));
}

void DragPointer(const std::vector<POINT>& path, bool escape,
                 const std::function<bool()>& started) {
    SendPointer(path.front());
    Pump(50);
    SendPointer(path.front(), MOUSEEVENTF_LEFTDOWN);
    Pump(100);
    for (size_t step = 10; step < path.size() * 10; ++step) {
        POINT from = path[step / 10 - 1], to = path[step / 10];
        int i = static_cast<int>(step % 10) + 1;
        SendPointer({from.x + (to.x - from.x) * i / 10, from.y + (to.y - from.y) * i / 10});
        if (step == 10 && started)
            WaitUntil(started, 3000);
        Pump(30);
    }
    if (escape) {
        SendKeys({VK_ESCAPE});
        Pump(300);
    }
    SendPointer(path.back(), MOUSEEVENTF_LEFTUP);
}

POINT CaptionPoint(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left + 60, r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
}

void ClickTab(HWND strip, int index) {
    RECT r = TabRect(strip, index);
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    INPUT in[3]{};
    for (INPUT& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = MulDiv(at.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        i.mi.dy = MulDiv(at.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    in[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, in, sizeof(INPUT));
}

void SendKeys(const std::vector<WORD>& down) {
    std::vector<INPUT> inputs;
    auto key = [&](WORD vk, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(in);
    };
    for (WORD vk : down)
        key(vk, false);
    for (auto it = down.rbegin(); it != down.rend(); ++it)
        key(*it, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool XdotoolKey(const std::string& keys) {
    // Wine starts programs of the machine it runs on as well as Windows ones.
    std::wstring line =
        L"Z:\\usr\\bin\\xdotool key --delay 30 " + std::wstring(keys.begin(), keys.end());
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

std::vector<HWND> ChildrenOf(HWND parent, const std::wstring& className, const std::wstring& text) {
    std::vector<HWND> found;
    ChildSearch s{&className, &text, &found};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&s));
    return found;
}

void Click(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

void PressKey(HWND control, UINT key) {
    UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    PostMessageW(control, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageW(control, WM_KEYUP, key, 1 | (scan << 16) | (3u << 30));
}

void TypeInto(HWND control, const std::wstring& text) {
    for (wchar_t c : text)
        PostMessageW(control, WM_CHAR, c, 1);
}

} // namespace merilane::test
