#pragma once
#include "ChildProcess.h"
#include "RemoteControls.h"
#include "TestSupport.h"
#include "app/frmSSTab.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

// The fixture of the tests that start merilane.exe as its own process and drive it from outside.
namespace merilane::test {

inline const std::wstring kIntroTitle = L"Main menu - Merilane 0.2.156 (beta) ";

// merilane.exe started as its own process and driven from outside.
class EndToEnd : public testing::Test {
  protected:
    // `anyTitle`: the container may be titled after another tab by the time it is found.
    void Start(const std::wstring& exe = L"merilane.exe", bool anyTitle = false) {
        program = std::make_unique<ChildProcess>(ChildProcess::BinDir() + L"\\" + exe,
                                                 std::vector<std::wstring>{});
        WaitUntil(
            [&] {
                container = nullptr;
                for (HWND w : program->Windows(anyTitle ? L"" : kIntroTitle)) {
                    wchar_t cls[64] = {};
                    GetClassNameW(w, cls, 64);
                    if (std::wstring(cls) == L"MerilaneContainer")
                        container = w;
                }
                return container != nullptr;
            },
            20000);
        ASSERT_NE(container, nullptr);
        strip = FindWindowExW(container, nullptr, WC_TABCONTROLW, nullptr);
        ASSERT_NE(strip, nullptr);
    }
    void TearDown() override {
        if (program && program->Running()) {
            BoxAnswerer box(L"Merilane", IDOK, 10000, program->Pid());
            PostMessageW(container, WM_COMMAND, frmSSTab::MenuCommandId(L"exit"), 0);
            program->WaitForExit(10000);
        }
    }

    void Command(const wchar_t* name) {
        PostMessageW(container, WM_COMMAND, frmSSTab::MenuCommandId(name), 0);
    }
    int Tabs() const { return static_cast<int>(SendMessageW(strip, TCM_GETITEMCOUNT, 0, 0)); }
    int ActiveTab() const { return static_cast<int>(SendMessageW(strip, TCM_GETCURSEL, 0, 0)) + 1; }

    // Opens the picker through "New tab", selects the windows' rows and presses OK (or Enter in
    // the list); notes the windows in the order the list showed them.
    void Pick(const std::vector<HWND>& windows, bool withEnter = false) {
        Command(L"new");
        HWND picker = program->WaitForWindow(L"Select a window");
        ASSERT_NE(picker, nullptr);
        auto lists = ChildrenOf(picker, WC_LISTVIEWW);
        ASSERT_EQ(lists.size(), 1u);
        RemoteListView list(lists[0]);
        ASSERT_TRUE(WaitUntil([&] {
            for (HWND w : windows)
                if (list.RowOf(w) < 0)
                    return false;
            return true;
        }));
        list.SelectNone();
        listOrder.clear();
        for (int row = 0; row < list.Count(); ++row)
            for (HWND w : windows)
                if (list.RowOf(w) == row) {
                    list.Select(row, true);
                    listOrder.push_back(w);
                }
        auto ok = ChildrenOf(picker, L"Button", L"OK");
        ASSERT_EQ(ok.size(), 1u);
        if (withEnter)
            PressKey(lists[0], VK_RETURN);
        else
            Click(ok[0]);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker); }, 10000));
    }

    // One fixture program with three windows titled `name` one, two and three.
    // With `edit`, each window is filled with an edit control.
    std::vector<HWND> Trio(const std::wstring& name, bool edit = false) {
        std::vector<std::wstring> args;
        for (const wchar_t* number : {L" one", L" two", L" three"}) {
            if (!args.empty())
                args.push_back(L"--window");
            args.insert(args.end(), {L"--title", name + number});
            if (edit)
                args.push_back(L"--edit");
        }
        trioProgram = std::make_unique<ChildProcess>(ChildProcess::Fixture(args));
        WaitUntil([&] { return trioProgram->Windows().size() == 3; });
        return {trioProgram->WaitForWindow(name + L" one"),
                trioProgram->WaitForWindow(name + L" two"),
                trioProgram->WaitForWindow(name + L" three")};
    }

    std::unique_ptr<ChildProcess> program;
    std::unique_ptr<ChildProcess> trioProgram;
    std::vector<HWND> listOrder;
    HWND container = nullptr;
    HWND strip = nullptr;
};

// What a screen reader in another process hears of a tab strip: the child id that the latest
// EVENT_OBJECT_SELECTION named (heard while this thread pumps).
inline HWND g_heardStrip = nullptr;
inline LONG g_heardChild = 0;
inline void CALLBACK HearSelection(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD,
                                   DWORD) {
    if (hwnd == g_heardStrip && object == OBJID_CLIENT)
        g_heardChild = child;
}
struct SelectionEar {
    SelectionEar(HWND strip, DWORD pid)
        : hook(SetWinEventHook(EVENT_OBJECT_SELECTION, EVENT_OBJECT_SELECTION, nullptr,
                               HearSelection, pid, 0, WINEVENT_OUTOFCONTEXT)) {
        g_heardStrip = strip, g_heardChild = 0;
    }
    ~SelectionEar() { UnhookWinEvent(hook); }
    HWINEVENTHOOK hook;
};

inline std::wstring NotepadPath() {
    return ChildProcess::SystemProgramPath(L"notepad.exe");
}

inline HWND EditOf(HWND window) {
    auto edits = ChildrenOf(window, L"Edit");
    return edits.empty() ? nullptr : edits.front();
}

// Wine's notepad, once its window and its edit control are up.
inline HWND MainWindowOf(const ChildProcess& notepad) {
    HWND pad = nullptr;
    WaitUntil(
        [&] {
            auto windows = notepad.Windows();
            pad = windows.empty() ? nullptr : windows.front();
            return pad && EditOf(pad);
        },
        20000);
    return pad && EditOf(pad) ? pad : nullptr;
}

inline void ExpectReleased(HWND window) {
    // Placement is handed to the window's own thread, which gets to it when it gets to it.
    WaitUntil(
        [&] {
            RECT r{};
            GetWindowRect(window, &r);
            return ParentOf(window) == GetDesktopWindow() && !IsZoomed(window) && r.left == 0 &&
                   r.top == 0 && r.right == 500 && r.bottom == 500;
        },
        5000);
    EXPECT_EQ(ParentOf(window), GetDesktopWindow());
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_FALSE(IsIconic(window));
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 500);
}

} // namespace merilane::test
