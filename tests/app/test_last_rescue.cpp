// However Merilane breaks down, the windows it holds come out whole before it ends.
#include "ChildProcess.h"
#include "RemoteControls.h"
#include "TestSupport.h"
#include "app/frmSSTab.h"
#include "controls/CrashDump.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <optional>

using namespace merilane;
using namespace merilane::test;

namespace {

struct Ending {
    const char* name;
    std::vector<std::wstring> failingArgs; // none: a thread started from outside meets a fault
    DWORD exitCode;
    const wchar_t* told; // what the box says happened
    // Whether a report can be written; where not, its folder cannot be made (and the report,
    // slow under Wine, is not waited for).
    bool report = false;
};

const Ending kEndings[] = {
    {"AccessViolationOnAThreadStartedFromOutside", {}, 0xC0000005, L"an access violation", true},
    {"AccessViolationOnTheUiThread",
     {L"--fault", L"access"},
     0xC0000005,
     L"an access violation (0xC0000005) on the user-interface thread"},
    {"DivisionByZeroOnTheUiThread", {L"--fault", L"divide"}, 0xC0000094, L"a division by zero"},
    {"InvalidCrtParameter", {L"--fault", L"parameter"}, 0xC0000417, L"an invalid parameter"},
    {"PureVirtualCall", {L"--fault", L"purecall"}, 3, L"a call of a pure virtual function"},
    {"IllegalInstructionOnAnotherThread",
     {L"--fault", L"illegal", L"--on-thread"},
     0xC000001D,
     L"an illegal instruction (0xC000001D) on another of its threads"},
    {"StackOverflowOnTheUiThread",
     {L"--fault", L"overflow"},
     0xC00000FD,
     L"a stack overflow",
     true},
    {"Terminate", {L"--fault", L"terminate"}, 3, L"std::terminate"},
    {"AbortOnAnotherThread", {L"--fault", L"abort", L"--on-thread"}, 3, L"an abort on another"},
};

void PrintTo(const Ending& ending, std::ostream* out) {
    *out << ending.name;
}

class LastRescue : public testing::TestWithParam<Ending> {
  protected:
    // Merilane (the failing build when a fault is asked for) holding one fixture window per
    // title, each with typed text in its edit control.
    void StartHolding(const std::vector<std::wstring>& names, const Ending& ending) {
        const std::vector<std::wstring>& args = ending.failingArgs;
        std::wstring bin = ChildProcess::BinDir();
        // A file where the folder of reports would begin: none can be made under it.
        wchar_t local[MAX_PATH] = L"";
        GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
        if (!ending.report)
            SetEnvironmentVariableW(L"LOCALAPPDATA", (bin + L"\\merilane.exe").c_str());
        program = std::make_unique<ChildProcess>(
            bin + (args.empty() ? L"\\merilane.exe" : L"\\merilane_failing.exe"), args);
        SetEnvironmentVariableW(L"LOCALAPPDATA", local);
        container = program->WaitForWindow(L"Main menu - Merilane 0.2.156 (beta) ", 20000);
        ASSERT_NE(container, nullptr);
        ASSERT_NO_FATAL_FAILURE(Hold(names));
    }
    // Starts a fixture window per title, types into it and captures them all through the picker;
    // `beforeOk` runs just before the picker's OK.
    void Hold(const std::vector<std::wstring>& names, const std::function<void()>& beforeOk = {}) {
        std::vector<HWND> picked;
        for (const std::wstring& title : names) {
            std::vector<std::wstring> args{L"--title", title, L"--edit"};
            args.insert(args.end(), fixtureExtra.begin(), fixtureExtra.end());
            fixtures.push_back(ChildProcess::Fixture(args));
            held.push_back(fixtures.back().WaitForWindow(title));
            titles.push_back(title);
            picked.push_back(held.back());
            ASSERT_NE(held.back(), nullptr);
            TypeInto(EditOf(held.back()), L"unsaved " + title);
        }
        Command(L"new");
        HWND picker = program->WaitForWindow(L"Select a window");
        ASSERT_NE(picker, nullptr);
        RemoteListView list(ChildrenOf(picker, WC_LISTVIEWW).at(0));
        for (HWND w : picked) {
            ASSERT_TRUE(WaitUntil([&] { return list.RowOf(w) >= 0; }));
            list.Select(list.RowOf(w), true);
        }
        if (beforeOk) {
            beforeOk();
            Click(ChildrenOf(picker, L"Button", L"OK").at(0));
            return;
        }
        Click(ChildrenOf(picker, L"Button", L"OK").at(0));
        for (HWND w : picked)
            ASSERT_TRUE(WaitUntil([&] { return IsDescendantOf(w, container); }, 15000));
    }
    void Command(const wchar_t* name) {
        PostMessageW(container, WM_COMMAND, frmSSTab::MenuCommandId(name), 0);
    }
    void Fail(const Ending& ending) {
        if (ending.failingArgs.empty()) {
            auto nowhere = reinterpret_cast<LPTHREAD_START_ROUTINE>(INT_PTR{0x10});
            CloseHandle(
                CreateRemoteThread(program->Handle(), nullptr, 0, nowhere, nullptr, 0, nullptr));
            return;
        }
        std::wstring name = L"MerilaneFailNow" + std::to_wstring(program->Pid());
        HANDLE failNow = OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
        ASSERT_NE(failNow, nullptr);
        SetEvent(failNow);
        CloseHandle(failNow);
    }
    // Makes the program fail as `ending` says and answers the box that tells of it: its text,
    // or nothing when no box came.
    std::optional<std::wstring> FailAndAnswer(const Ending& ending) {
        BoxAnswerer box(L"Merilane", IDOK, 30000, program->Pid());
        Fail(ending);
        if (!WaitUntil([&] { return box.Answered(); }, 30000))
            return std::nullopt;
        return box.Text();
    }
    static HWND EditOf(HWND window) { return ChildrenOf(window, L"Edit").at(0); }
    void ExpectWhole(size_t i) {
        HWND w = held[i];
        ASSERT_TRUE(IsWindow(w));
        EXPECT_EQ(ParentOf(w), GetDesktopWindow());
        EXPECT_FALSE(StyleOf(w) & WS_CHILD);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(w) != FALSE; }, 5000));
        EXPECT_EQ(ControlText(EditOf(w)), L"unsaved " + titles[i]);
        // Wine does not show another program's menus; Windows does.
        HMENU menu = GetSystemMenu(w, FALSE);
        for (UINT command : {SC_MAXIMIZE, SC_MINIMIZE, SC_MOVE, SC_RESTORE, SC_SIZE}) {
            if (menu) {
                EXPECT_FALSE(GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED);
            }
        }
    }
    DWORD ExitCode() {
        EXPECT_TRUE(program->WaitForExit(20000));
        DWORD code = 0;
        GetExitCodeProcess(program->Handle(), &code);
        return code;
    }

    std::vector<std::wstring> fixtureExtra; // given to each fixture Hold starts
    std::vector<ChildProcess> fixtures;
    std::vector<HWND> held;
    std::vector<std::wstring> titles;
    std::unique_ptr<ChildProcess> program;
    HWND container = nullptr;
};

} // namespace

TEST_P(LastRescue, EveryHeldWindowComesBackWholeAndTheProgramEndsInFailure) {
    const Ending& ending = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartHolding({L"Rescued"}, ending));
    std::optional<std::wstring> text = FailAndAnswer(ending);
    ASSERT_TRUE(text.has_value());
    EXPECT_NE(text->find(ending.told), std::wstring::npos) << *text;
    EXPECT_NE(text->find(L"1 window of another program was given back"), std::wstring::npos)
        << *text;
    EXPECT_NE(text->find(ending.report ? L"\\Merilane\\crashes\\merilane-"
                                       : L"No report could be saved."),
              std::wstring::npos);
    EXPECT_EQ(ExitCode(), ending.exitCode);
    ExpectWhole(0);
}

INSTANTIATE_TEST_SUITE_P(Endings, LastRescue, testing::ValuesIn(kEndings),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {
class LastRescueOfSeveral : public LastRescue {};
} // namespace

// A program that does not answer holds up only its own window: the others are out before the
// user is told, and the program ends only once the hung one is out too, even if it meets a
// second fault meanwhile.
TEST_F(LastRescueOfSeveral, TheOthersComeBackAtOnceAndTheProgramWaitsForTheHungOne) {
    Ending fault = kEndings[0];
    fault.report = false;
    ASSERT_NO_FATAL_FAILURE(StartHolding({L"First", L"Stuck", L"Third"}, fault));
    const UINT hangNow = WM_APP + 77;
    HangFixtureOn(held[1], hangNow, 60000);
    PostMessageW(held[1], hangNow, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return FixtureHangs(held[1]); }, 5000));

    std::optional<std::wstring> text = FailAndAnswer(fault);
    ASSERT_TRUE(text.has_value());
    ExpectWhole(0);
    ExpectWhole(2);
    // The system may move a hung window without its thread; where it cannot, the window waits
    // inside, whole, and the program with it.
    bool waited = text->find(L"1 window does not answer yet") != std::wstring::npos;
    EXPECT_NE(text->find(waited ? L"2 windows of other programs were given back"
                                : L"3 windows of other programs were given back"),
              std::wstring::npos)
        << *text;
    if (waited) {
        EXPECT_TRUE(IsWindow(held[1]));
        EXPECT_TRUE(program->Running());
    }
    // A second fault, on another thread, while the rescue waits: the rescue goes on.
    Fail(fault);
    Pump(300);
    EndFixtureHang(held[1]);
    EXPECT_EQ(ExitCode(), fault.exitCode);
    ExpectWhole(1);
}

// A pop-up is in its host, not yet made a child, when the program breaks down (its move is
// late): the rescue gives it back only after that move, so it is not made a child on the
// desktop later, while the program still waits for another window that hangs.
TEST_F(LastRescueOfSeveral, AMoveIntoAHostUnderWayIsWaitedForAndThePopUpKeepsItsFrame) {
    const Ending fault{"MoveUnderWay",
                       {L"--fault", L"access", L"--slow-move-in", L"Slow to go in"},
                       0xC0000005,
                       L"an access violation"};
    ASSERT_NO_FATAL_FAILURE(StartHolding({L"Hangs a while"}, fault));
    const UINT hangNow = WM_APP + 77;
    HangFixtureOn(held[0], hangNow, 8000);
    PostMessageW(held[0], hangNow, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return FixtureHangs(held[0]); }, 5000));
    fixtureExtra = {L"--style", L"90CF0000"};
    {
        BoxAnswerer late(L"Merilane", IDOK, 30000, program->Pid());
        ASSERT_NO_FATAL_FAILURE(Hold({L"Slow to go in"}, [] {}));
        ASSERT_TRUE(WaitUntil([&] { return late.Answered(); }, 10000));
        EXPECT_NE(late.Text().find(L"does not respond"), std::wstring::npos) << late.Text();
    }
    ASSERT_TRUE(FailAndAnswer(fault).has_value());
    EXPECT_EQ(ExitCode(), fault.exitCode);
    ExpectWhole(0);
    ExpectWhole(1);
    EXPECT_TRUE(StyleOf(held[1]) & WS_POPUP);
}

// A fault while one window is given back ends only that give-back: the others still come out
// whole, the user is told, and the program ends with the first fault's code.
TEST_F(LastRescueOfSeveral, AFaultWhileOneWindowIsGivenBackLeavesTheOthersToGo) {
    const Ending fault{"InRescue",
                       {L"--fault", L"access", L"--fault-in-rescue", L"Breaks again"},
                       0xC0000005,
                       L"an access violation"};
    ASSERT_NO_FATAL_FAILURE(StartHolding({L"Before", L"Breaks again", L"After"}, fault));
    std::optional<std::wstring> text = FailAndAnswer(fault);
    ASSERT_TRUE(text.has_value());
    EXPECT_NE(text->find(L"2 windows of other programs were given back"), std::wstring::npos)
        << *text;
    EXPECT_EQ(ExitCode(), fault.exitCode);
    ExpectWhole(0);
    ExpectWhole(2);
}

// What is held is on record, and only that: after windows went in and out through "Release all"
// and through a single release, and one was refused halfway in (it stopped answering while it
// moved), the breakdown gives back the one window still inside, and every window ends on the
// desktop once and whole.
TEST_F(LastRescueOfSeveral, GivesBackWhatIsHeldAfterReleasesAndNothingElse) {
    Ending fault = kEndings[0];
    fault.report = false;
    ASSERT_NO_FATAL_FAILURE(StartHolding({L"Out with all 1", L"Out with all 2"}, fault));
    Command(L"releaseAll");
    for (HWND w : held)
        ASSERT_TRUE(WaitUntil([&] { return ParentOf(w) == GetDesktopWindow(); }, 10000));
    ASSERT_NO_FATAL_FAILURE(Hold({L"One of two", L"The other"}));
    Command(L"release"); // the active tab's window, whichever it is
    auto out = [&](size_t i) { return ParentOf(held[i]) == GetDesktopWindow(); };
    ASSERT_TRUE(WaitUntil([&] { return out(2) || out(3); }, 10000));
    {
        BoxAnswerer refusal(L"Merilane", IDOK, 30000, program->Pid());
        ASSERT_NO_FATAL_FAILURE(
            Hold({L"Halfway"}, [&] { HangFixtureOn(held.back(), WM_WINDOWPOSCHANGING, 5000); }));
        ASSERT_TRUE(WaitUntil([&] { return refusal.Answered(); }, 10000));
        EXPECT_NE(refusal.Text().find(L"was not put in a tab"), std::wstring::npos);
    }
    ASSERT_TRUE(FixtureHangs(held.back()));

    std::optional<std::wstring> text = FailAndAnswer(fault);
    ASSERT_TRUE(text.has_value());
    EXPECT_NE(text->find(L"1 window of another program was given back"), std::wstring::npos)
        << *text;
    EXPECT_EQ(ExitCode(), fault.exitCode);
    for (size_t i = 0; i < held.size(); ++i)
        ExpectWhole(i);
}

// The clean-up of old reports meets a name it cannot join to its folder within MAX_PATH (its
// formatting into a fixed buffer once ran past it): that file stays, the six reports become
// the five newest, and nothing else is touched.
TEST(CrashReports, CleanUpKeepsTheNewestAndLeavesNamesItCannotJoin) {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"merilane-reports\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    auto make = [&](const std::wstring& name) {
        // Past MAX_PATH only through the long-path prefix.
        HANDLE f = CreateFileW((L"\\\\?\\" + folder + name).c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE) << std::string(name.begin(), name.end());
        CloseHandle(f);
    };
    auto exists = [&](const std::wstring& name) {
        return GetFileAttributesW((L"\\\\?\\" + folder + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    // Sorts before every report, so it would be the first to go if it were taken for one.
    const std::wstring longName = L"merilane-0" + std::wstring(250 - 14, L'a') + L".dmp";
    ASSERT_EQ(longName.size(), 250u);
    ASSERT_GE(folder.size() + longName.size(), size_t{MAX_PATH});
    make(longName);
    make(L"notes.txt");
    for (int i = 1; i <= 6; ++i)
        make(L"merilane-2026120" + std::to_wstring(i) + L"-120000-1.dmp");
    merilane::KeepNewestReports(folder.c_str());
    EXPECT_FALSE(exists(L"merilane-20261201-120000-1.dmp"));
    for (int i = 2; i <= 6; ++i)
        EXPECT_TRUE(exists(L"merilane-2026120" + std::to_wstring(i) + L"-120000-1.dmp")) << i;
    EXPECT_TRUE(exists(L"notes.txt"));
    EXPECT_TRUE(exists(longName));
}
