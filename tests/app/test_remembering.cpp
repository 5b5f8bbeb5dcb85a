// Remembering from outside: what a run with remembering off leaves behind (nothing), and the
// last tab set coming back at the next start.
#include "EndToEnd.h"
#include <cwctype>

using namespace merilane;
using namespace merilane::test;

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
    // Merilane closes first, or its closing would write the file again.
    struct Cleanup {
        std::function<void()> then;
        ~Cleanup() { then(); }
    } cleanup{[this] {
        TearDown();
        RemoveUserSettings();
    }};
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
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(order[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"文档 retitled"),
                        SMTO_ABORTIFHUNG, 2000, &ignored);
    Pump(1000); // the watch looks at titles five times a second
    EXPECT_EQ(RemoteTabCaptions(strip), captions);

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

    // After Windows restarts, the programs come back after Merilane: for a while after the
    // start their windows are taken as they appear, each into its place among the tabs.
    const std::wstring titles[] = {WindowText(order[0]), WindowText(order[1])};
    {
        BoxAnswerer exitBox(L"Merilane", IDOK, 10000, program->Pid());
        Command(L"exit");
        ASSERT_TRUE(program->WaitForExit(10000));
    }
    pair.Kill();
    Start(L"merilane.exe", true);
    Sleep(3000);
    ChildProcess back = ChildProcess::Fixture({L"--title", titles[0], L"--class", L"MerilaneKept",
                                               L"--hidden", L"--window", L"--title", titles[1],
                                               L"--class", L"MerilaneKept", L"--hidden"});
    HWND again[2] = {};
    ASSERT_TRUE(WaitUntil([&] {
        for (int i : {0, 1})
            if (auto found = back.Windows(titles[i], false); !found.empty())
                again[i] = found.front();
        return again[0] && again[1];
    }));
    for (int i : {1, 0}) { // the second first: the first still goes before it
        ShowWindowAsync(again[i], SW_SHOWNORMAL);
        double shownAt = NowMs();
        ASSERT_TRUE(WaitUntil([&] { return IsDescendantOf(again[i], container); }, 5000));
        EXPECT_LT(NowMs() - shownAt, 1000);
    }
    EXPECT_TRUE(WaitUntil([&] { return RemoteTabCaptions(strip) == captions; }, 3000))
        << testing::PrintToString(RemoteTabCaptions(strip));

    // Turning remembering off deletes the file on OK.
    BoxAnswerer offBox(L"Merilane", IDOK, 10000, program->Pid());
    Command(L"rememberSettings");
    ASSERT_TRUE(WaitUntil([&] { return offBox.Answered(); }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return !Exists(UserSettingsFile()); }, 5000));
}
