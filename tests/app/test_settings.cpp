#include "ContainerSession.h"
#include "TestSupport.h"
#include "app/Globals.h"
#include "app/SettingsFile.h"
#include "app/frmIntro.h"
#include "app/frmSSTab.h"
#include "app/mMain.h"
#include "controls/Text.h"
#include "tabs/MTabDraw.h"
#include "window/MKeyboard.h"
#include <gtest/gtest.h>
#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>

using namespace merilane;
using namespace merilane::test;

namespace {

// Titles in several scripts, with what the profile functions would otherwise eat.
Settings Unusual() {
    Settings s;
    s.multirow = s.buttonTabs = true;
    s.cycleTabbing = s.keybindings = false;
    s.keys = {{'K', L"NEW"}, {'R', L"RELEASE"}};
    s.activeBack = RGB(1, 2, 3);
    s.inactiveFore = RGB(250, 0, 17);
    s.placement = RECT{-20, 30, 700, 500};
    s.maximized = true;
    s.tabs = {
        {L"C:\\Program Files\\a b\\x.exe", L"Cls", L"文档 — محرر النصوص 😀🎉", L"", L"%t"},
        {L"Z:\\x.exe", L"Other", L"  \"quoted\" 'and' \\ back\r\nline  ", L" 名前 ", L"[%t]"}};
    s.rules = {{L"notes",
                true,
                {MatchKind::Equals, L"notepad.exe"},
                {},
                {},
                RuleAction::Capture,
                L"Notes 📝"},
               {L" spaced ",
                false,
                {},
                {MatchKind::Wildcard, L"*Cls?"},
                {MatchKind::StartsWith, L"\"x\""},
                RuleAction::Exclude,
                L""}};
    return s;
}

std::wstring TempPath(const std::wstring& name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
}

std::string Utf16File(const std::wstring& text) {
    std::string bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return bytes;
}

} // namespace

TEST(Settings, WhatIsWrittenIsReadBackAndEveryBadValueFallsBackAlone) {
    ParsedSettings back = ParseSettings(SettingsSections(Unusual()));
    EXPECT_TRUE(back.remember);
    EXPECT_TRUE(back.problems.empty());
    EXPECT_TRUE(back.settings == Unusual());

    struct Case {
        const wchar_t *section, *key, *value;
        size_t tabsLeft = 2;
    };
    const Case bad[] = {
        {L"Merilane", L"Multirow", L"2"},
        {L"Merilane", L"Keys", L"999:NEW"},
        {L"Merilane", L"Keys", L"75:FORMAT"},
        {L"Merilane", L"Keys", L"75"},
        {L"Merilane", L"ActiveTabBackground", L"GGGGGG"},
        {L"Merilane", L"ActiveTabBackground", L"1234567"},
        {L"Merilane", L"Placement", L"0,0,10,10"},
        {L"Merilane", L"Placement", L"0,0,99999,500"},
        {L"Merilane", L"Placement", L"0,0,500"},
        {L"Tabs", L"Count", L"100000", 0},
        {L"Tabs", L"1.Title", L"not escaped", 1},
        {L"Tabs", L"1.Title", L"|bad \\x escape|", 1},
        {L"Rules", L"1.ExeKind", L"regex"},
        {L"Rules", L"2.Action", L"delete"},
    };
    for (const Case& c : bad) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.key) + L"=" + c.value));
        IniSections sections = SettingsSections(Unusual());
        for (auto& [name, section] : sections)
            for (auto& [key, value] : section)
                if (name == c.section && key == c.key)
                    value = c.value;
        ParsedSettings parsed = ParseSettings(sections);
        EXPECT_TRUE(parsed.remember);
        ASSERT_EQ(parsed.problems.size(), 1u);
        EXPECT_EQ(parsed.problems[0].substr(0, 2), std::wstring(c.key).substr(0, 2));
        // Only that setting is lost.
        EXPECT_EQ(parsed.settings.cycleTabbing, false);
        EXPECT_EQ(parsed.settings.tabs.size(), c.tabsLeft);
        // A rule read in part is dropped whole.
        EXPECT_EQ(parsed.settings.rules.size(), std::wstring(c.section) == L"Rules" ? 1u : 2u);
    }
    // A wildcard of 10,000 "*" is no value Merilane writes.
    IniSections sections = SettingsSections(Unusual());
    sections[1].second[3].second = L"|" + std::wstring(10000, L'*') + L"|";
    EXPECT_EQ(ParseSettings(sections).problems.size(), 1u);
    EXPECT_FALSE(ParseSettings({}).remember);
}

TEST(Settings, TheBytesOfAFileAreJudgedBeforeItIsRead) {
    std::string fine = Utf16File(L"[Merilane]\r\nRemember=1\r\n");
    const std::pair<std::string, FileVerdict> cases[] = {
        {"", FileVerdict::Empty},
        {"\xFF\xFE", FileVerdict::Empty},
        {"[Merilane]\r\nRemember=1\r\n", FileVerdict::NotUtf16},
        {fine.substr(0, fine.size() - 1), FileVerdict::Truncated},
        {fine.substr(0, fine.size() - 6), FileVerdict::Truncated},
        {std::string(10 * 1024 * 1024, 'j'), FileVerdict::TooLarge},
        {fine, FileVerdict::Fine},
    };
    for (auto& [bytes, verdict] : cases) {
        auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        EXPECT_EQ(CheckSettingsBytes({data, bytes.size()}), verdict) << bytes.size();
    }
}

TEST(Settings, ATabIsFoundAgainOnlyByExecutableClassAndTitle) {
    RememberedTab tab{L"C:\\Программы\\x.exe", L"Cls", L"Übersicht"};
    EXPECT_TRUE(RememberedTabMatches(tab, L"c:\\программы\\X.EXE", L"cls", L"ÜBERSICHT"));
    EXPECT_FALSE(RememberedTabMatches(tab, L"C:\\Программы\\y.exe", L"Cls", L"Übersicht"));
    EXPECT_FALSE(RememberedTabMatches(tab, L"C:\\Программы\\x.exe", L"Other", L"Übersicht"));
    EXPECT_FALSE(RememberedTabMatches(tab, L"C:\\Программы\\x.exe", L"Cls", L"Ubersicht"));
    EXPECT_FALSE(RememberedTabMatches(tab, L"", L"Cls", L"Übersicht"));
}

TEST(SettingsFile, RoundTripsThroughTheSystemAndBadFilesGiveDefaultsAndOneMessage) {
    std::wstring path = TempPath(L"merilane-test.ini");
    ASSERT_EQ(SaveSettings(path, Unusual()), L"");
    LoadedSettings loaded = LoadSettings(path);
    EXPECT_TRUE(loaded.remember);
    EXPECT_EQ(loaded.message, L"");
    EXPECT_TRUE(loaded.settings == Unusual());

    std::string good = Utf16File(L"[Merilane]\r\nRemember=1\r\nMultirow=1\r\n");
    const std::pair<std::string, const wchar_t*> bad[] = {
        {"", L"empty"},
        {good.substr(0, good.size() - 5), L"middle of a line"},
        {"[Merilane]\r\nRemember=1\r\n", L"UTF-16"},
        {std::string(10 * 1024 * 1024, '\x7F'), L"larger"},
        {Utf16File(L"[Merilane]\r\nRemember=yes\r\n"), L"Remember"},
        {Utf16File(L"[Other]\r\nRemember=1\r\n"), L"[Merilane]"},
    };
    for (auto& [bytes, why] : bad) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(why)));
        WriteBytes(path, bytes);
        loaded = LoadSettings(path);
        EXPECT_FALSE(loaded.remember);
        EXPECT_TRUE(loaded.settings == Settings{});
        EXPECT_NE(loaded.message.find(path), std::wstring::npos);
        EXPECT_NE(loaded.message.find(why), std::wstring::npos) << loaded.message;
    }
    WriteBytes(path, Utf16File(L"[Merilane]\r\nRemember=1\r\nMultirow=7\r\nKeybindings=0\r\n"));
    loaded = LoadSettings(path);
    EXPECT_TRUE(loaded.remember);
    EXPECT_FALSE(loaded.settings.multirow);
    EXPECT_FALSE(loaded.settings.keybindings);
    EXPECT_NE(loaded.message.find(L"Multirow"), std::wstring::npos);
    {
        HANDLE lock =
            CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        loaded = LoadSettings(path);
        CloseHandle(lock);
        EXPECT_FALSE(loaded.remember);
        EXPECT_NE(loaded.message.find(L"locked"), std::wstring::npos) << loaded.message;
    }
    // A folder that cannot be made (a file stands in the way): the reason comes back.
    EXPECT_NE(SaveSettings(path + L"\\sub\\merilane.ini", Unusual()), L"");
    EXPECT_EQ(DeleteSettings(path), L"");
    EXPECT_FALSE(LoadSettings(path).remember);
    EXPECT_EQ(LoadSettings(path).message, L"");
    // The portable file is put back as the zip carries it, not deleted.
    ASSERT_EQ(SaveSettings(path, Unusual()), L"");
    EXPECT_EQ(DeleteSettings(path, path), L"");
    std::ifstream file(path.c_str(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}),
              Utf16File(L"[Merilane]\r\nRemember=0\r\n"));
    file.close();
    EXPECT_FALSE(LoadSettings(path).remember);
    DeleteSettings(path);
}

TEST(SettingsFile, WritersAtOnceNeverLeaveAReaderHalfAFile) {
    std::wstring path = TempPath(L"merilane-race.ini");
    ASSERT_EQ(SaveSettings(path, Unusual()), L"");
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    auto writer = [&](bool multirow) {
        Settings s = Unusual();
        s.multirow = multirow;
        while (!stop)
            if (!SaveSettings(path, s).empty() && GetFileAttributesW(path.c_str()) == ~0u)
                ++failures;
    };
    std::thread a(writer, true), b(writer, false);
    int reads = 0;
    for (double end = NowMs() + 3000; NowMs() < end; ++reads) {
        LoadedSettings loaded = LoadSettings(path);
        // A read may meet the moment of replacement (the file then is the old one or the new),
        // never a part of one.
        if (!loaded.message.empty() && loaded.message.find(L"cannot be read") == std::wstring::npos)
            ADD_FAILURE() << testing::PrintToString(loaded.message);
        if (loaded.remember) {
            EXPECT_EQ(loaded.settings.tabs, Unusual().tabs);
        }
    }
    stop = true;
    a.join();
    b.join();
    EXPECT_EQ(failures, 0);
    EXPECT_GT(reads, 10);
    DeleteSettings(path);
}

// The options as left come back at the next start; turning remembering off deletes the file.
TEST(SettingsFile, EveryRememberedOptionComesBackInTheNextSession) {
    std::wstring path = SettingsPath();
    DeleteSettings(path);
    struct Cleanup {
        std::wstring path;
        ~Cleanup() { DeleteSettings(path); }
    } cleanup{path};
    RECT where{40, 50, 740, 560};
    {
        ContainerSession session;
        {
            // Where no file can be written (a file stands where its folder would be), turning
            // remembering on says so, and it stays off.
            wchar_t appData[MAX_PATH] = L"", self[MAX_PATH] = L"";
            GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
            GetModuleFileNameW(nullptr, self, MAX_PATH);
            SetEnvironmentVariableW(L"APPDATA", self);
            BoxAnswerer box(L"Merilane", IDOK);
            PostMessageW(session.Container(), WM_COMMAND,
                         frmSSTab::MenuCommandId(L"rememberSettings"), 0);
            bool answered = WaitUntil([&] { return box.Answered(); });
            SetEnvironmentVariableW(L"APPDATA", appData);
            ASSERT_TRUE(answered);
            EXPECT_NE(box.Text().find(L"cannot save"), std::wstring::npos) << box.Text();
            EXPECT_FALSE(ContainerForm->Menu.Checked(L"rememberSettings"));
        }
        PostMessageW(session.Container(), WM_COMMAND, frmSSTab::MenuCommandId(L"rememberSettings"),
                     0);
        ASSERT_TRUE(WaitUntil([&] { return GetFileAttributesW(path.c_str()) != ~0u; }));
        for (const wchar_t* item :
             {L"multirow", L"buttontabs", L"roundRobin", L"tabKeys_controlAlt"})
            PostMessageW(session.Container(), WM_COMMAND, frmSSTab::MenuCommandId(item), 0);
        {
            BoxAnswerer box(L"Keybindings", IDOK);
            PostMessageW(session.Container(), WM_COMMAND,
                         frmSSTab::MenuCommandId(L"options_enable_keybindings"), 0);
            ASSERT_TRUE(WaitUntil([&] { return box.Answered(); }));
        }
        Pump(200);
        MoveWindow(session.Container(), where.left, where.top, where.right - where.left,
                   where.bottom - where.top, TRUE);
        ActiveTabBackColor = RGB(9, 8, 7);
        KeyMap = {{'Q', L"CAPTION"}};

        // A failing save is told once for each run of failures, and at the end always, with
        // what is lost. A file held open without sharing cannot be replaced.
        auto save = [&](bool atEnd) {
            BoxAnswerer box(L"Merilane", IDOK, 5000);
            atEnd ? ContainerForm->RecordTabSet() : ContainerForm->SaveRemembered();
            return box.Answered() ? box.Text() : L"<none>"; // the box is modal
        };
        HANDLE lock =
            CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(save(false).find(L"could not save"), std::wstring::npos);
        EXPECT_EQ(save(false), L"<none>");
        CloseHandle(lock);
        EXPECT_EQ(save(false), L"<none>");
        lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(save(false).find(L"could not save"), std::wstring::npos);
        EXPECT_NE(save(true).find(L"not kept"), std::wstring::npos); // what closing does
        CloseHandle(lock);
        ContainerForm->SaveRemembered();
    }
    ActiveTabBackColor = RGB(255, 255, 230);
    KeyMap.clear();
    {
        ContainerSession session;
        auto& menu = ContainerForm->Menu;
        EXPECT_TRUE(menu.Checked(L"rememberSettings"));
        EXPECT_TRUE(menu.Checked(L"multirow"));
        EXPECT_TRUE(ContainerForm->TabStrip1.MultiRow());
        EXPECT_TRUE(menu.Checked(L"buttontabs"));
        EXPECT_EQ(ContainerForm->TabStrip1.Style(), 1);
        EXPECT_FALSE(menu.Checked(L"roundRobin"));
        EXPECT_FALSE(menu.Checked(L"options_enable_keybindings"));
        EXPECT_TRUE(menu.Checked(L"tabKeys_controlAlt") && !menu.Checked(L"tabKeys_standard"));
        EXPECT_EQ(OwnWindowText(ContainerForm->IntroForm->Label1[1]),
                  L"Hold CTRL + ALT + TAB down to go to next tab");
        EXPECT_EQ(ActiveTabBackColor, RGB(9, 8, 7));
        EXPECT_EQ(KeyMap, (KeyBindings{{'Q', L"CAPTION"}}));
        WINDOWPLACEMENT placement{sizeof placement};
        GetWindowPlacement(session.Container(), &placement);
        EXPECT_EQ(placement.rcNormalPosition.left, where.left);
        EXPECT_EQ(placement.rcNormalPosition.bottom, where.bottom);

        BoxAnswerer box(L"Merilane", IDOK);
        PostMessageW(session.Container(), WM_COMMAND, frmSSTab::MenuCommandId(L"rememberSettings"),
                     0);
        ASSERT_TRUE(WaitUntil([&] { return box.Answered(); }));
        EXPECT_NE(box.Text().find(L"Delete"), std::wstring::npos);
        EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesW(path.c_str()) == ~0u; }));
        EXPECT_FALSE(menu.Checked(L"rememberSettings"));
    }
    SetDefaultColors();
    InitKeyMap();
}

TEST(Rules, ConditionsMatchAsTheyArePutAndTheFirstEnabledRuleDecides) {
    struct Case {
        MatchKind kind;
        const wchar_t *pattern, *value;
        bool holds;
    };
    const Case cases[] = {
        {MatchKind::Equals, L"Notepad.EXE", L"notepad.exe", true},
        {MatchKind::Equals, L"notepad", L"notepad.exe", false},
        {MatchKind::StartsWith, L"untitled", L"Untitled - Notepad", true},
        {MatchKind::StartsWith, L"Notepad", L"Untitled - Notepad", false},
        {MatchKind::Contains, L"- NOTE", L"Untitled - Notepad", true},
        {MatchKind::Contains, L"pad -", L"Untitled - Notepad", false},
        {MatchKind::Contains, L"", L"anything", true},
        {MatchKind::Wildcard, L"*", L"", true},
        {MatchKind::Wildcard, L"?", L"", false},
        {MatchKind::Wildcard, L"a*b?d", L"AxxbCD", true},
        {MatchKind::Wildcard, L"a*b?d", L"axxbcde", false},
        {MatchKind::Wildcard, L"*.exe", L"x.exe.bak", false},
        {MatchKind::Wildcard, L"*a*a*a", L"aaaa", true},
        {MatchKind::Wildcard, L"文*😀", L"文档 😀", true},
        // Every alphabet, not A to Z alone.
        {MatchKind::Contains, L"ÜBERSICHT", L"übersicht 2026", true},
        {MatchKind::StartsWith, L"КОНТРОЛЬ", L"контроль 1", true},
        {MatchKind::Equals, L"ΣΊΣΥΦΟΣ", L"σίσυφοσ", true},
        {MatchKind::Equals, L"ΣΊΣΥΦΟΣ", L"σίσυφος", false},       // the final ς has no capital
        {MatchKind::Wildcard, L"*ΑΘΗΝΑς", L"Οδός Αθηνάς", false}, // accents stay
        {MatchKind::Wildcard, L"*ΑΘΗΝ?ς", L"Οδός Αθηνάς", true},
        {MatchKind::Equals, L"i", L"I", true},
        {MatchKind::Equals, L"İ", L"i", false}, // the dotted capital has no small letter
        {MatchKind::Equals, L"İ", L"I", false},
        {MatchKind::Equals, L"ı", L"I", false}, // nor the dotless small one a capital
        {MatchKind::Equals, L"ı", L"i", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConditionHolds({c.kind, c.pattern}, c.value), c.holds)
            << testing::PrintToString(std::wstring(c.pattern) + L" / " + c.value);
        if (c.kind == MatchKind::Equals) {
            EXPECT_EQ(SameTextCaseAside(c.pattern, c.value), c.holds);
        }
    }

    // 10,000 stars against a text they cannot match: no exponential search.
    std::wstring stars(10000, L'*');
    double start = NowMs();
    EXPECT_FALSE(WildcardMatches(stars + L"x", std::wstring(3000, L'a')));
    EXPECT_TRUE(WildcardMatches(stars, std::wstring(3000, L'a')));
    EXPECT_LT(NowMs() - start, 2000);

    std::vector<WindowRule> rules{
        {L"off", false, {}, {}, {}, RuleAction::Exclude},
        {L"pads", true, {MatchKind::Equals, L"notepad.exe"}, {}, {}, RuleAction::Capture},
        {L"rest", true, {}, {}, {}, RuleAction::Exclude},
    };
    EXPECT_EQ(DecidingRule(rules, {L"notepad.exe", L"Edit", L"t"})->name, L"pads");
    EXPECT_EQ(DecidingRule(rules, {L"other.exe", L"Edit", L"t"})->name, L"rest");
    rules.pop_back();
    EXPECT_EQ(DecidingRule(rules, {L"other.exe", L"Edit", L"t"}), nullptr);
    EXPECT_FALSE(TakesEveryWindow(rules[0]));
    EXPECT_TRUE(TakesEveryWindow({L"all", true, {}, {}, {}, RuleAction::Capture}));
}
