#include "ChildProcess.h"
#include "RemoteControls.h"
#include "TestSupport.h"
#include "app/frmSSTab.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <shlobj.h>

using namespace merilane;
using namespace merilane::test;

namespace {

const std::wstring kIntroTitle = L"Main menu - Merilane 0.2.156 (beta) ";

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
    std::vector<HWND> Trio(const std::wstring& name) {
        trioProgram = std::make_unique<ChildProcess>(
            ChildProcess::Fixture({L"--title", name + L" one", L"--window", L"--title",
                                   name + L" two", L"--window", L"--title", name + L" three"}));
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

std::wstring NotepadPath() {
    return ChildProcess::SystemProgramPath(L"notepad.exe");
}

HWND EditOf(HWND window) {
    auto edits = ChildrenOf(window, L"Edit");
    return edits.empty() ? nullptr : edits.front();
}

// Wine's notepad, once its window and its edit control are up.
HWND MainWindowOf(const ChildProcess& notepad) {
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

void ExpectReleased(HWND window) {
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

} // namespace

TEST_F(EndToEnd, NotepadIsCapturedTypedIntoAndReleasedWithItsText) {
    ChildProcess notepad(NotepadPath(), {});
    HWND pad = MainWindowOf(notepad);
    ASSERT_NE(pad, nullptr);
    HWND edit = EditOf(pad);
    TypeInto(edit, L"before ");
    Start();
    Pick({pad});

    ASSERT_TRUE(
        WaitUntil([&] { return IsDescendantOf(pad, container) && ActiveTab() == 2; }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(pad) != FALSE; }, 5000));
    EXPECT_EQ(Tabs(), 2);
    TypeInto(edit, L"and after");
    ASSERT_TRUE(WaitUntil([&] { return ControlText(edit) == L"before and after"; }, 5000));
    // A click on the tab that is selected already hands the keyboard back to its window.
    ClickTab(strip, 1);
    // Keys go where the focus is when they are given: first the click, then the keys.
    WaitUntil([&] { return GetForegroundWindow() != pad; }, 2000);
    WaitUntil([&] { return GetForegroundWindow() == pad; }, 2000);
    SendKeys({'X'});
    ASSERT_TRUE(WaitUntil([&] { return ControlText(edit) == L"before and afterx"; }, 5000))
        << "typed after the click: " << testing::PrintToString(ControlText(edit));

    Command(L"releaseAll");
    ASSERT_TRUE(WaitUntil([&] { return ParentOf(pad) == GetDesktopWindow(); }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return Tabs() == 0; }, 5000));
    ExpectReleased(pad);
    EXPECT_EQ(ControlText(edit), L"before and afterx");
    EXPECT_TRUE(notepad.Running());
    // Only the intro screen was closed.
    EXPECT_TRUE(WaitUntil([&] { return program->Windows(L"Main menu", false).empty(); }, 5000));
}

TEST_F(EndToEnd, ThreeWindowsPickedAtOnceBecomeThreeTabsInListOrder) {
    std::vector<HWND> trio = Trio(L"Trio");
    for (HWND w : trio)
        ASSERT_NE(w, nullptr);
    Start();
    Pick(trio, true);
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (HWND w : trio)
                if (!IsDescendantOf(w, container))
                    return false;
            return Tabs() == 4 && ActiveTab() == 4;
        },
        15000));

    // The host forms stack in the order the windows were captured, the first at the bottom.
    HWND display = ParentOf(ParentOf(trio[0]));
    std::vector<HWND> bottomUp;
    for (HWND host = GetWindow(GetWindow(display, GW_CHILD), GW_HWNDLAST); host;
         host = GetWindow(host, GW_HWNDPREV))
        for (HWND w : trio)
            if (ParentOf(w) == host)
                bottomUp.push_back(w);
    EXPECT_EQ(bottomUp, listOrder);
    HWND shown = nullptr;
    for (HWND w : trio)
        if (GetWindowLongW(ParentOf(w), GWL_STYLE) & WS_VISIBLE)
            shown = w;
    EXPECT_EQ(shown, bottomUp.back()) << "the last one captured is the active tab";

    Command(L"releaseAll");
    ASSERT_TRUE(WaitUntil([&] { return Tabs() == 0; }, 10000));
    for (HWND w : trio)
        ExpectReleased(w);
}

TEST_F(EndToEnd, ExitAsksAndCancelKeepsEverythingAsItWas) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Held at exit", L"--edit"});
    HWND held = fixture.WaitForWindow(L"Held at exit");
    ASSERT_NE(held, nullptr);
    Start();
    Pick({held});
    ASSERT_TRUE(WaitUntil([&] { return IsDescendantOf(held, container); }, 10000));
    HWND host = ParentOf(held);

    // Escape in the picker's list takes nothing.
    Command(L"new");
    HWND picker = program->WaitForWindow(L"Select a window");
    ASSERT_NE(picker, nullptr);
    PressKey(ChildrenOf(picker, WC_LISTVIEWW).at(0), VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker); }, 10000));
    EXPECT_EQ(Tabs(), 2);
    {
        BoxAnswerer box(L"Merilane", IDCANCEL, 10000, program->Pid());
        Command(L"exit");
        ASSERT_TRUE(WaitUntil([&] { return box.Answered(); }, 10000));
        EXPECT_EQ(box.Text(), L"Release all windows and close Merilane ?");
    }
    Pump(700);
    EXPECT_TRUE(program->Running());
    EXPECT_EQ(ParentOf(held), host);
    EXPECT_EQ(Tabs(), 2);

    BoxAnswerer box(L"Merilane", IDOK, 10000, program->Pid());
    Command(L"exit");
    EXPECT_TRUE(program->WaitForExit(10000));
    ExpectReleased(held);
}

TEST_F(EndToEnd, AFailingHandlerEndsTheProgramButNotesWorkSurvives) {
    ChildProcess notepad(NotepadPath(), {});
    HWND pad = MainWindowOf(notepad);
    ASSERT_NE(pad, nullptr);
    HWND edit = EditOf(pad);
    Start(L"merilane_failing.exe");
    Pick({pad});
    ASSERT_TRUE(WaitUntil([&] { return IsDescendantOf(pad, container); }, 10000));
    TypeInto(edit, L"unsaved words");
    ASSERT_TRUE(WaitUntil([&] { return ControlText(edit) == L"unsaved words"; }, 5000));

    std::wstring name = L"MerilaneFailNow" + std::to_wstring(program->Pid());
    HANDLE failNow = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
    ASSERT_NE(failNow, nullptr);
    BoxAnswerer box(L"Merilane", IDOK, 15000, program->Pid());
    SetEvent(failNow);
    CloseHandle(failNow);
    ASSERT_TRUE(WaitUntil([&] { return box.Answered(); }, 15000));
    EXPECT_EQ(box.Text(), L"A handler failed on purpose");
    ASSERT_TRUE(program->WaitForExit(10000));
    DWORD code = 0;
    GetExitCodeProcess(program->Handle(), &code);
    EXPECT_NE(code, 0u);

    ASSERT_TRUE(IsWindow(pad));
    EXPECT_EQ(ParentOf(pad), GetDesktopWindow());
    EXPECT_EQ(ControlText(edit), L"unsaved words");
    EXPECT_TRUE(notepad.Running());
}

TEST_F(EndToEnd, ExitChosenDuringReleaseAllEndsCleanlyWithEveryWindowOnTheDesktop) {
    std::vector<HWND> trio = Trio(L"Exit");
    for (HWND w : trio)
        ASSERT_NE(w, nullptr);
    Start();
    Pick(trio);
    ASSERT_TRUE(WaitUntil([&] { return Tabs() == 4; }, 15000));

    // Any box would wait here for an answer that never comes: there must be none.
    BoxAnswerer anyBox(L"Merilane", IDOK, 10000, program->Pid());
    Command(L"releaseAll");
    Command(L"exit");
    ASSERT_TRUE(program->WaitForExit(15000));
    DWORD code = 99;
    GetExitCodeProcess(program->Handle(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(anyBox.Answered()) << anyBox.Text();
    for (HWND w : trio)
        ExpectReleased(w);
}

TEST_F(EndToEnd, AWindowThatHangsInItsTabIsKeptWholeAndMerilaneStaysResponsive) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Hangs for a while", L"--edit"});
    HWND held = fixture.WaitForWindow(L"Hangs for a while");
    ASSERT_NE(held, nullptr);
    HWND edit = EditOf(held);
    Start();
    Pick({held});
    ASSERT_TRUE(WaitUntil([&] { return IsDescendantOf(held, container); }, 10000));
    TypeInto(edit, L"typed while held");
    ASSERT_TRUE(WaitUntil([&] { return ControlText(edit) == L"typed while held"; }, 5000));

    const UINT hangNow = WM_APP + 77;
    HangFixtureOn(held, hangNow, 60000);
    PostMessageW(held, hangNow, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return FixtureHangs(held); }, 5000));

    // "Active tab" > "Release": Merilane says so and keeps the window.
    {
        BoxAnswerer notice(L"Merilane", IDOK, 10000, program->Pid());
        Command(L"release");
        ASSERT_TRUE(WaitUntil([&] { return notice.Answered(); }, 10000));
        EXPECT_NE(notice.Text().find(L"stays in its tab"), std::wstring::npos) << notice.Text();
    }
    EXPECT_TRUE(program->Running());
    EXPECT_TRUE(IsDescendantOf(held, container));
    DWORD start = GetTickCount();
    DWORD_PTR ignored = 0;
    EXPECT_NE(SendMessageTimeoutW(container, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, &ignored), 0);
    EXPECT_LT(GetTickCount() - start, 100u);

    // Closing with OK destroys nothing: Merilane stays open while the window does not answer.
    {
        BoxAnswerer prompt(L"Merilane", IDOK, 10000, program->Pid());
        BoxAnswerer notice(L"Merilane", IDOK, 10000, program->Pid());
        PostMessageW(container, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return prompt.Answered() && notice.Answered(); }, 10000));
        EXPECT_NE((prompt.Text() + notice.Text()).find(L"stays open"), std::wstring::npos);
    }
    Pump(500);
    EXPECT_TRUE(program->Running());
    EXPECT_TRUE(IsWindow(held));
    EXPECT_TRUE(IsDescendantOf(held, container));

    // After the hang it is on the desktop, whole; "Release all" leaves it so.
    EndFixtureHang(held);
    ASSERT_TRUE(WaitUntil([&] { return !FixtureHangs(held); }, 5000));
    ASSERT_TRUE(WaitUntil([&] { return ParentOf(held) == GetDesktopWindow(); }, 10000));
    Command(L"releaseAll");
    Pump(500);
    ExpectReleased(held);
    EXPECT_EQ(ControlText(edit), L"typed while held");
    EXPECT_TRUE(program->Running());
}

TEST_F(EndToEnd, ThreeProgramsPickedInOneGoGetTabsTitledAfterThemInRowOrder) {
    std::vector<HWND> trio = Trio(L"Titled");
    for (HWND w : trio)
        ASSERT_NE(w, nullptr);
    Start();
    Pick(trio);
    ASSERT_TRUE(WaitUntil([&] { return Tabs() == 4; }, 15000));
    std::vector<std::wstring> expected{L"Main menu"};
    for (HWND w : listOrder)
        expected.push_back(WindowText(w));
    EXPECT_TRUE(WaitUntil([&] { return RemoteTabCaptions(strip) == expected; }, 5000));
    // The container is titled after the captured window in front.
    HWND front = listOrder.back();
    EXPECT_TRUE(WaitUntil(
        [&] { return WindowText(container) == WindowText(front) + L" - Merilane 0.2.156 (beta) "; },
        5000));
}

namespace {

// Keys the way a user would give them: both roads Windows programs get keys by.
struct KeyRoad {
    const char* name;
    std::function<void(const std::vector<WORD>&, const std::string&)> send;
};

const KeyRoad kKeyRoads[] = {
    {"SendInput", [](const std::vector<WORD>& keys, const std::string&) { SendKeys(keys); }},
    {"xdotool", [](const std::vector<WORD>&, const std::string& x) { XdotoolKey(x); }},
};

} // namespace

TEST_F(EndToEnd, KeysSwitchTabsFromInsideCapturedProgramsAndTheSwitchTurnsThemOff) {
    std::vector<HWND> trio = Trio(L"Keyed");
    for (HWND w : trio)
        ASSERT_NE(w, nullptr);
    Start();
    Pick(trio);
    ASSERT_TRUE(WaitUntil([&] { return Tabs() == 4 && ActiveTab() == 4; }, 15000));

    for (const KeyRoad& road : kKeyRoads) {
        SCOPED_TRACE(road.name);
        // The bindings arrive with the watch timer's first tick that finds Merilane in front,
        // which may come a moment after the capture: the first key is given until it takes.
        EXPECT_TRUE(WaitUntil(
            [&] {
                road.send({VK_CONTROL, '1'}, "ctrl+1");
                return WaitUntil([&] { return ActiveTab() == 1; }, 400);
            },
            5000));
        road.send({VK_CONTROL, VK_TAB}, "ctrl+Tab");
        EXPECT_TRUE(WaitUntil([&] { return ActiveTab() == 2; }, 5000));
        road.send({VK_SHIFT, VK_TAB}, "shift+Tab");
        EXPECT_TRUE(WaitUntil([&] { return ActiveTab() == 1; }, 5000));
        road.send({VK_CONTROL, '4'}, "ctrl+4");
        EXPECT_TRUE(WaitUntil([&] { return ActiveTab() == 4; }, 5000));
    }

    auto answerSwitch = [&](int button) {
        BoxAnswerer box(L"Keybindings", button, 10000, program->Pid());
        Command(L"options_enable_keybindings");
        EXPECT_TRUE(WaitUntil([&] { return box.Answered(); }, 10000));
        return box.Text();
    };
    EXPECT_EQ(
        answerSwitch(IDCANCEL),
        L"This will disable the keybindings:\r\nCTRL  + TAB\r\nSHIFT + TAB\r\nCTRL  + #[TABNUM]");
    SendKeys({VK_CONTROL, '2'});
    EXPECT_TRUE(WaitUntil([&] { return ActiveTab() == 2; }, 5000)) << "Cancel keeps them on";

    answerSwitch(IDOK);
    SendKeys({VK_CONTROL, '1'});
    Pump(1000);
    EXPECT_EQ(ActiveTab(), 2) << "switched off";

    EXPECT_EQ(
        answerSwitch(IDOK),
        L"This will enable the keybindings:\r\nCTRL  + TAB\r\nSHIFT + TAB\r\nCTRL  + #[TABNUM]");
    SendKeys({VK_CONTROL, '1'});
    EXPECT_TRUE(WaitUntil([&] { return ActiveTab() == 1; }, 5000)) << "and back on";
}

TEST_F(EndToEnd, TheIntroScreenIsTheOnlyTabAtStartWithItsCommandsAndHintsAsControls) {
    Start();
    EXPECT_EQ(Tabs(), 1);
    EXPECT_TRUE(WaitUntil(
        [&] { return RemoteTabCaptions(strip) == std::vector<std::wstring>{L"Main menu"}; }, 3000));
    for (const wchar_t* text : {L"Load new tab", L"Release all tabs", L"Exit",
                                L"Use right mouse-click on the active tab to show the window menu",
                                L"Hold CTRL   + TAB down to go to next tab",
                                L"Hold SHIFT + TAB down to go to previous tab",
                                L"Hold CTRL   + 1..9 to activate numbered tab"})
        EXPECT_EQ(ChildrenOf(container, L"Static", text).size(), 1u)
            << std::string(text, text + wcslen(text));
}

TEST_F(EndToEnd, ExitOnTheIntroScreenClosesAsTheContainerDoes) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Held when Exit is clicked"});
    HWND held = fixture.WaitForWindow(L"Held when Exit is clicked");
    ASSERT_NE(held, nullptr);
    Start();
    Pick({held});
    ASSERT_TRUE(WaitUntil([&] { return Tabs() == 2; }, 10000));
    auto clickExit = [&] {
        auto exits = ChildrenOf(container, L"Static", L"Exit");
        ASSERT_EQ(exits.size(), 1u);
        PostMessageW(exits[0], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        PostMessageW(exits[0], WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    };
    {
        BoxAnswerer box(L"Merilane", IDCANCEL, 10000, program->Pid());
        clickExit();
        ASSERT_TRUE(WaitUntil([&] { return box.Answered(); }, 10000));
        EXPECT_EQ(box.Text(), L"Release all windows and close Merilane ?");
    }
    Pump(500);
    EXPECT_TRUE(program->Running());
    EXPECT_EQ(Tabs(), 2);
    BoxAnswerer box(L"Merilane", IDOK, 10000, program->Pid());
    clickExit();
    EXPECT_TRUE(program->WaitForExit(10000));
    ExpectReleased(held);
}

TEST_F(EndToEnd, ShowMainMenuAfterReleaseAllAndTheTabStyleSwitches) {
    Start();
    Command(L"releaseAll");
    ASSERT_TRUE(WaitUntil([&] { return Tabs() == 0; }, 5000));
    Command(L"intro");
    ASSERT_TRUE(WaitUntil(
        [&] { return RemoteTabCaptions(strip) == std::vector<std::wstring>{L"Main menu"}; }, 5000));
    auto style = [&] { return GetWindowLongW(strip, GWL_STYLE); };
    for (auto [item, bit] : {std::pair{L"buttontabs", LONG{TCS_BUTTONS}},
                             std::pair{L"multirow", LONG{TCS_MULTILINE}}}) {
        bool before = style() & bit;
        Command(item);
        EXPECT_TRUE(WaitUntil([&] { return ((style() & bit) != 0) != before; }, 3000));
        EXPECT_EQ(ActiveTab(), 1);
        Command(item);
        EXPECT_TRUE(WaitUntil([&] { return ((style() & bit) != 0) == before; }, 3000));
        EXPECT_EQ(ActiveTab(), 1);
    }
}

TEST_F(EndToEnd, TheAboutBoxShowsTheVersion) {
    Start();
    Command(L"help_about");
    HWND about = program->WaitForWindow(L"About Merilane");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(ChildrenOf(about, L"Static", L" Version 0.2.156").size(), 1u);
    EXPECT_FALSE(IsWindowEnabled(container)) << "modal to the container";
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(container) != FALSE; }, 5000));
}

namespace {

std::wstring UserSettingsFile() {
    wchar_t appData[MAX_PATH] = {};
    GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
    return std::wstring(appData) + L"\\Merilane\\merilane.ini";
}

void RemoveUserSettings() {
    std::wstring file = UserSettingsFile();
    DeleteFileW(file.c_str());
    RemoveDirectoryW(file.substr(0, file.rfind(L'\\')).c_str());
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Every key below `key` whose name holds `word`, case aside.
void KeysNaming(HKEY key, const std::wstring& path, const std::wstring& word,
                std::vector<std::wstring>& found) {
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return;
        std::wstring lower = name;
        for (auto& c : lower)
            c = towlower(c);
        if (lower.find(word) != std::wstring::npos)
            found.push_back(path + L"\\" + name);
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            KeysNaming(sub, path + L"\\" + name, word, found);
            RegCloseKey(sub);
        }
    }
}

} // namespace

TEST_F(EndToEnd, WithRememberingOffNoFileAndNoRegistryKeyIsWritten) {
    std::wstring portable = ChildProcess::BinDir() + L"\\merilane.ini";
    RemoveUserSettings();
    ASSERT_FALSE(Exists(portable));
    auto fixture = ChildProcess::Fixture({L"--title", L"Held without remembering"});
    HWND held = fixture.WaitForWindow(L"Held without remembering");
    ASSERT_NE(held, nullptr);
    Start();
    Pick({held});
    ASSERT_TRUE(WaitUntil([&] { return Tabs() == 2; }, 10000));
    for (const wchar_t* item : {L"multirow", L"buttontabs", L"roundRobin", L"colors_default"})
        Command(item);
    {
        BoxAnswerer box(L"Keybindings", IDOK, 10000, program->Pid());
        Command(L"options_enable_keybindings");
        ASSERT_TRUE(WaitUntil([&] { return box.Answered(); }, 10000));
    }
    BoxAnswerer box(L"Merilane", IDOK, 10000, program->Pid());
    Command(L"exit");
    ASSERT_TRUE(program->WaitForExit(10000));
    ExpectReleased(held);

    EXPECT_FALSE(Exists(portable));
    EXPECT_FALSE(Exists(UserSettingsFile()));
    EXPECT_FALSE(Exists(UserSettingsFile().substr(0, UserSettingsFile().rfind(L'\\'))));
    HKEY software = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &software), ERROR_SUCCESS);
    std::vector<std::wstring> keys;
    KeysNaming(software, L"HKCU\\Software", L"merilane", keys);
    RegCloseKey(software);
    EXPECT_TRUE(keys.empty()) << testing::PrintToString(keys);
}

TEST_F(EndToEnd, ARestartTakesTheLastTabSetBackInOrderWithItsNames) {
    RemoveUserSettings();
    struct Cleanup {
        ~Cleanup() { RemoveUserSettings(); }
    } cleanup;
    const std::wstring first = L"文档 一", second = L"محرر 😀";
    ChildProcess pair =
        ChildProcess::Fixture({L"--title", first, L"--class", L"MerilaneKept", L"--window",
                               L"--title", second, L"--class", L"MerilaneKept"});
    // The same title in a window of another class is not the one that was in the tab.
    ChildProcess decoy = ChildProcess::Fixture({L"--title", first, L"--class", L"MerilaneDecoy"});
    HWND one = pair.WaitForWindow(first), two = pair.WaitForWindow(second);
    HWND other = decoy.WaitForWindow(first);
    ASSERT_TRUE(one && two && other);
    Start();
    Command(L"rememberSettings");
    ASSERT_TRUE(WaitUntil([&] { return Exists(UserSettingsFile()); }, 10000));
    Pick({one, two});
    ASSERT_TRUE(WaitUntil([&] { return Tabs() == 3; }, 15000));
    const std::vector<HWND> order = listOrder;

    // The first of them gets a name; its window's title changing afterwards leaves it alone.
    // The click is done once its window is in front too: until then the watch may take the
    // tab of the window in front back.
    ASSERT_TRUE(WaitUntil(
        [&] {
            ClickTab(strip, 1);
            return WaitUntil([&] { return ActiveTab() == 2 && GetForegroundWindow() == order[0]; },
                             1000);
        },
        8000));
    Command(L"rename");
    HWND box = program->WaitForWindow(L"Rename tab");
    ASSERT_NE(box, nullptr);
    SendMessageW(ChildrenOf(box, L"Edit").at(0), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"Named 名"));
    Click(ChildrenOf(box, L"Button", L"OK").at(0));
    std::vector<std::wstring> captions{L"Main menu", L"Named 名", WindowText(order[1])};
    ASSERT_TRUE(WaitUntil([&] { return RemoteTabCaptions(strip) == captions; }, 5000))
        << testing::PrintToString(RemoteTabCaptions(strip));
    EXPECT_TRUE(WaitUntil(
        [&] { return WindowText(container) == L"Named 名 - Merilane 0.2.156 (beta) "; }, 5000));

    {
        BoxAnswerer exitBox(L"Merilane", IDOK, 10000, program->Pid());
        Command(L"exit");
        ASSERT_TRUE(program->WaitForExit(10000));
    }
    ASSERT_TRUE(WaitUntil([&] { return ParentOf(one) == GetDesktopWindow(); }, 5000));
    Start(L"merilane.exe", true);
    EXPECT_TRUE(WaitUntil([&] { return RemoteTabCaptions(strip) == captions; }, 10000))
        << testing::PrintToString(RemoteTabCaptions(strip));
    EXPECT_TRUE(IsDescendantOf(order[0], container));
    EXPECT_TRUE(IsDescendantOf(order[1], container));
    EXPECT_FALSE(IsDescendantOf(other, container));

    // Turning remembering off deletes the file on OK.
    BoxAnswerer offBox(L"Merilane", IDOK, 10000, program->Pid());
    Command(L"rememberSettings");
    ASSERT_TRUE(WaitUntil([&] { return offBox.Answered(); }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return !Exists(UserSettingsFile()); }, 5000));
}
