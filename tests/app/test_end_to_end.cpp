#include "EndToEnd.h"

using namespace merilane;
using namespace merilane::test;

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
    // A click on the tab that is selected already hands the keyboard back to its window. The
    // watch writes the captions a moment after the capture and the strip lays its tabs out
    // again then: the click goes where the tab shows once they are in, as a user's would.
    ASSERT_TRUE(WaitUntil(
        [&] {
            auto captions = RemoteTabCaptions(strip);
            return captions.size() == 2 && !captions[0].empty() && !captions[1].empty();
        },
        5000));
    ClickTab(strip, 1);
    // Keys go where the focus is when they are given: first the click, then the keys.
    WaitUntil([&] { return GetForegroundWindow() != pad; }, 2000);
    auto focusOfPad = [&] {
        GUITHREADINFO info{sizeof(info)};
        return GetGUIThreadInfo(GetWindowThreadProcessId(pad, nullptr), &info) ? info.hwndFocus
                                                                               : nullptr;
    };
    EXPECT_TRUE(
        WaitUntil([&] { return GetForegroundWindow() == pad && focusOfPad() == edit; }, 5000));
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

// A C++ failure in a handler gives every window back, saves a report, and ends the program only
// once every window is whole: a pop-up out of its host but hung while its frame comes back is
// waited for.
TEST_F(EndToEnd, AFailingHandlerEndsTheProgramButNotesWorkSurvives) {
    ChildProcess notepad(NotepadPath(), {});
    HWND pad = MainWindowOf(notepad);
    ASSERT_NE(pad, nullptr);
    HWND edit = EditOf(pad);
    auto late =
        ChildProcess::Fixture({L"--title", L"Frame comes back late", L"--style", L"90CF0000"});
    HWND popup = late.WaitForWindow(L"Frame comes back late");
    ASSERT_NE(popup, nullptr);
    Start(L"merilane_failing.exe");
    Pick({pad, popup});
    ASSERT_TRUE(WaitUntil([&] { return IsDescendantOf(pad, container); }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return IsDescendantOf(popup, container); }, 10000));
    TypeInto(edit, L"unsaved words");
    ASSERT_TRUE(WaitUntil([&] { return ControlText(edit) == L"unsaved words"; }, 5000));
    HangFixtureOn(popup, WM_STYLECHANGING, 30000);

    std::wstring name = L"MerilaneFailNow" + std::to_wstring(program->Pid());
    HANDLE failNow = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
    ASSERT_NE(failNow, nullptr);
    BoxAnswerer box(L"Merilane", IDOK, 30000, program->Pid());
    SetEvent(failNow);
    CloseHandle(failNow);
    ASSERT_TRUE(WaitUntil([&] { return box.Answered(); }, 30000));
    std::wstring text = box.Text();
    EXPECT_EQ(text.rfind(L"A handler failed on purpose\n\n", 0), 0u) << text;
    size_t at = text.find(L"saved as:\n");
    ASSERT_NE(at, std::wstring::npos) << text;
    std::wstring report = text.substr(at + 10, text.find(L'\n', at + 10) - at - 10);
    EXPECT_NE(GetFileAttributesW(report.c_str()), INVALID_FILE_ATTRIBUTES) << report;

    ASSERT_TRUE(FixtureHangs(popup));
    Pump(500);
    EXPECT_TRUE(program->Running()) << "ended while a window waited for its frame";
    EndFixtureHang(popup);
    ASSERT_TRUE(program->WaitForExit(10000));
    DWORD code = 0;
    GetExitCodeProcess(program->Handle(), &code);
    EXPECT_NE(code, 0u);
    EXPECT_EQ(ParentOf(popup), GetDesktopWindow());
    EXPECT_EQ(StyleOf(popup) & (WS_POPUP | WS_CHILD), static_cast<LONG>(WS_POPUP));

    ASSERT_TRUE(IsWindow(pad));
    EXPECT_EQ(ParentOf(pad), GetDesktopWindow());
    EXPECT_EQ(ControlText(edit), L"unsaved words");
    EXPECT_TRUE(notepad.Running());
    DeleteFileW(report.c_str());
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
    SelectionEar ear(strip, program->Pid());

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
        EXPECT_TRUE(WaitUntil([&] { return g_heardChild == 2; }, 3000)) << g_heardChild;
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
    // Keys sent while the box is still going away may reach nobody: sent again until they take.
    EXPECT_TRUE(WaitUntil(
        [&] {
            SendKeys({VK_CONTROL, '2'});
            return WaitUntil([&] { return ActiveTab() == 2; }, 400);
        },
        5000))
        << "Cancel keeps them on";

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

TEST_F(EndToEnd, GoToTabFindsATabByTypingAndTheOtherTabKeysLeaveTheProgramsTheirs) {
    ChildProcess mine(ChildProcess::SystemProgramPath(L"winemine.exe"), {});
    ChildProcess notepad1(NotepadPath(), {}), notepad2(NotepadPath(), {});
    HWND pad = MainWindowOf(notepad1), pad2 = MainWindowOf(notepad2), mines = nullptr;
    WaitUntil([&] { return !mine.Windows().empty() && (mines = mine.Windows().front()); }, 20000);
    ASSERT_TRUE(pad && pad2 && mines);
    Start();
    Pick({mines, pad, pad2});
    ASSERT_TRUE(WaitUntil([&] { return Tabs() == 4; }, 15000));
    auto tabOf = [&](HWND w) {
        return 2 + static_cast<int>(std::find(listOrder.begin(), listOrder.end(), w) -
                                    listOrder.begin());
    };
    // The keyboard is in the window (or in one of its controls), and it is the system's: the
    // thread in front has its focus there, so that keys pressed now reach it.
    auto inFront = [&](HWND w) {
        GUITHREADINFO info{sizeof info};
        return ActiveTab() == tabOf(w) && GetGUIThreadInfo(0, &info) &&
               (info.hwndFocus == w || IsChild(w, info.hwndFocus));
    };
    // Clicked, and keys pressed, until they take: the captures may still be settling.
    auto click = [&](HWND w) {
        return WaitUntil(
            [&] {
                return ClickTab(strip, tabOf(w) - 1), WaitUntil([&] { return inFront(w); }, 500);
            },
            8000);
    };
    auto openBox = [&](const std::vector<WORD>& keys) {
        HWND box = nullptr;
        WaitUntil(
            [&] { return SendKeys(keys), (box = program->WaitForWindow(L"Go to tab", 1000)); },
            8000);
        return box;
    };
    // Keys the program keeps are pressed until its edit shows them: a click that was repeated
    // may still be moving the keyboard when the first ones go. A program that is slow to say
    // what its edit holds is asked again. Only tabs may arrive; what was there before stays (a
    // Go to tab key pressed from inside the program reaches it when the system passes a key on
    // without waiting for a late hook).
    auto typesTabs = [&](HWND w, const std::vector<std::vector<WORD>>& presses) {
        auto read = [&] { return ControlText(EditOf(w)); };
        std::wstring before, text;
        WaitUntil([&] { return (before = read()) != L"<no answer>"; }, 5000);
        auto shown = [&] { return (text = read()) != before && text != L"<no answer>"; };
        bool arrived = WaitUntil(
            [&] {
                for (const auto& keys : presses)
                    SendKeys(keys);
                return WaitUntil(shown, 1000);
            },
            8000);
        if (arrived && text.starts_with(before) &&
            text.find_first_not_of(L'\t', before.size()) == std::wstring::npos)
            return testing::AssertionSuccess();
        return testing::AssertionFailure()
               << "the edit held \"" << before << "\", now \"" << text << "\"";
    };
    SelectionEar ear(strip, program->Pid());
    ASSERT_TRUE(click(pad));

    // From inside the notepad the key opens the box; pressed again, it stays one box.
    HWND box = openBox({VK_CONTROL, VK_SHIFT, VK_SPACE});
    ASSERT_NE(box, nullptr);
    SendKeys({VK_CONTROL, VK_SHIFT, VK_SPACE});
    Pump(500);
    EXPECT_EQ(program->Windows(L"Go to tab").size(), 1u);
    HWND filter = ChildrenOf(box, L"Edit").at(0), list = ChildrenOf(box, L"ListBox").at(0);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 4);
    TypeInto(filter, L"mine");
    EXPECT_TRUE(WaitUntil([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 1; }, 3000));
    PressKey(filter, VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box) && inFront(mines); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return g_heardChild == tabOf(mines); }, 3000)) << g_heardChild;
    // Escape changes nothing.
    Command(L"goToTab");
    ASSERT_NE(box = program->WaitForWindow(L"Go to tab", 5000), nullptr);
    PressKey(ChildrenOf(box, L"Edit").at(0), VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
    Pump(300);
    EXPECT_EQ(ActiveTab(), tabOf(mines));

    // A command may wait behind another: the keys are pressed once the intro names the set.
    auto inForce = [&](const wchar_t* hint) {
        return WaitUntil([&] { return !ChildrenOf(container, L"Static", hint).empty(); }, 5000);
    };
    // The second set: SHIFT + TAB is the notepad's, CTRL + SHIFT + TAB the previous tab.
    Command(L"tabKeys_controlShift");
    ASSERT_TRUE(inForce(L"Hold CTRL + SHIFT + TAB down to go to previous tab"));
    ASSERT_TRUE(click(pad));
    EXPECT_TRUE(WaitUntil([&] { return g_heardChild == tabOf(pad); }, 3000)) << "clicked";
    EXPECT_TRUE(typesTabs(pad, {{VK_SHIFT, VK_TAB}}));
    EXPECT_EQ(ActiveTab(), tabOf(pad));
    SendKeys({VK_CONTROL, VK_SHIFT, VK_TAB});
    EXPECT_TRUE(WaitUntil([&] { return ActiveTab() == tabOf(pad) - 1; }, 5000));

    // The third: CTRL + TAB is the program's too (an edit control under Wine shows nothing of
    // it: the SHIFT + TAB after it arrives, and the tab stays), CTRL + ALT + ... the tabs'.
    Command(L"tabKeys_controlAlt");
    ASSERT_TRUE(inForce(L"Hold CTRL + ALT + TAB down to go to next tab"));
    ASSERT_TRUE(click(pad2));
    EXPECT_TRUE(typesTabs(pad2, {{VK_CONTROL, VK_TAB}, {VK_SHIFT, VK_TAB}}));
    EXPECT_EQ(ActiveTab(), tabOf(pad2));
    SendKeys({VK_CONTROL, VK_MENU, VK_TAB});
    EXPECT_TRUE(WaitUntil([&] { return ActiveTab() == tabOf(pad2) % 4 + 1; }, 5000));
    SendKeys({VK_CONTROL, VK_MENU, '1'});
    EXPECT_TRUE(WaitUntil([&] { return ActiveTab() == 1; }, 5000));
    // From inside a held program, once it has the keyboard, as for the first set.
    ASSERT_TRUE(click(pad2));
    ASSERT_NE(box = openBox({VK_CONTROL, VK_MENU, VK_SPACE}), nullptr);
    PressKey(ChildrenOf(box, L"Edit").at(0), VK_ESCAPE);
}
