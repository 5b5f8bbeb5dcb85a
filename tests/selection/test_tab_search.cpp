#include "selection/TabSearch.h"
#include <gtest/gtest.h>

using namespace merilane;

TEST(TabSearch, EveryWordMustOccurInTextTitleOrProgramInAnyCaseAndAlphabet) {
    const std::vector<TabRow> rows{
        {nullptr, L"Main menu", L"", L""},
        {nullptr, L"Minesweeper", L"Minesweeper", L"winemine.exe"},
        {nullptr, L"notes", L"Untitled - Notepad", L"notepad.exe"},
        {nullptr, L"Письмо Ωμέγα", L"ΣΟΦΊΑ straße", L"mail.exe"},
    };
    const struct {
        const wchar_t* typed;
        std::vector<size_t> want;
    } cases[] = {
        {L"", {0, 1, 2, 3}},      {L"  \t", {0, 1, 2, 3}}, {L"mine", {1}},
        {L"WINEMINE.EXE", {1}},   {L"pad untitled", {2}},  {L"untitled  pad", {2}},
        {L"notepad nothing", {}}, {L"m", {0, 1, 3}},       {L"письмо", {3}},
        {L"ΩΜΈΓΑ", {3}},          {L"σοφία", {3}},         {L"STRASSE", {}},
        {L"menu\x3000main", {0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchingRows(rows, c.typed), c.want) << testing::PrintToString(c.typed);
    EXPECT_EQ(RowLine(rows[1]), L"Minesweeper\t\twinemine.exe")
        << "the title only where it differs";
    EXPECT_EQ(RowLine({nullptr, L"a\tb", L"c", L"d.exe", true}), L"a b\tc\td.exe\t(closed)");
}
