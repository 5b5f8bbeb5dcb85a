#include "ChildProcess.h"
#include "TestSupport.h"
#include "window/mExecutableName.h"
#include <gtest/gtest.h>

using namespace merilane;
using namespace merilane::test;

namespace {

bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

TEST(ExecutableName, AFixtureProcessGivesItsFullPathAndFileName) {
    auto fixture = ChildProcess::Fixture({L"--title", L"Whose executable"});
    HWND hwnd = fixture.WaitForWindow(L"Whose executable");
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(IsWindowsNT());

    std::wstring path = GetProcessExecutablePath(fixture.Pid());
    EXPECT_TRUE(SameText(path, ChildProcess::FixturePath())) << path.c_str();
    EXPECT_EQ(GetExecutablePath(hwnd), path);
    EXPECT_TRUE(SameText(GetExecutableFileName(fixture.Pid()), L"merilane_fixture.exe"));
    // The snapshot route finds the same process among all others, by its file name.
    EXPECT_TRUE(
        SameText(FileNameOfPath(GetSnapshotExecutablePath(fixture.Pid())), L"merilane_fixture.exe"))
        << GetSnapshotExecutablePath(fixture.Pid()).c_str();
    std::wstring own = GetSnapshotExecutablePath(GetCurrentProcessId());
    EXPECT_TRUE(SameText(FileNameOfPath(own), L"test_window.exe")) << own.c_str();
}

TEST(ExecutableName, NoProcessGivesEmptyText) {
    DWORD ended;
    {
        auto fixture = ChildProcess::Fixture({L"--title", L"About to end"});
        ASSERT_NE(fixture.WaitForWindow(L"About to end"), nullptr);
        ended = fixture.Pid();
        fixture.Kill();
        // Still held open by this side: the process has ended, its object lingers.
        EXPECT_EQ(GetProcessExecutablePath(ended), L"");
    }
    for (DWORD pid : {0ul, ended}) {
        EXPECT_EQ(GetProcessExecutablePath(pid), L"") << pid;
        EXPECT_EQ(GetExecutableFileName(pid), L"") << pid;
        EXPECT_EQ(GetSnapshotExecutablePath(pid), L"") << pid;
    }
    EXPECT_EQ(GetExecutablePath(nullptr), L"");
}

TEST(ExecutableName, FileNameIsTheTextAfterTheLastBackslash) {
    EXPECT_EQ(FileNameOfPath(L"C:\\Program Files\\Tool\\tool.exe"), L"tool.exe");
    EXPECT_EQ(FileNameOfPath(L"tool.exe"), L"tool.exe");
    EXPECT_EQ(FileNameOfPath(L"C:\\dir\\"), L"");
}
