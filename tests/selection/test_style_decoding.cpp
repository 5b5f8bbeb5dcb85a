#include "selection/StyleDecoding.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <random>

using namespace merilane;

namespace {

using Lines = std::vector<std::wstring>;

// The tables once more, written out independently of the program's, with a loop of their own:
// a wrong mask, a wrong text, a lost trailing blank or a wrong order shows up as a difference.
struct Row {
    const wchar_t* text;
    uint32_t mask;
};
const Row kStyles[] = {
    {L"WS_VISIBLE", 0x10000000},
    {L"WS_CAPTION", 0x00C00000},
    {L"WS_OVERLAPPEDWINDOW", 0x00CF0000},
    {L"WS_BORDER", 0x00800000},
    {L"WS_CHILD", 0x40000000},
    {L"WS_CLIPCHILDREN ", 0x02000000},
    {L"WS_CLIPSIBLINGS ", 0x04000000},
    {L"WS_DISABLED", 0x08000000},
    {L"WS_THICKFRAME ", 0x00040000},
    {L"WS_DLGFRAME ", 0x00400000},
    {L"WS_MINIMIZE ", 0x20000000},
    {L"WS_MAXIMIZE ", 0x01000000},
    {L"WS_GROUP ", 0x00020000},
    {L"WS_VSCROLL ", 0x00200000},
    {L"WS_HSCROLL ", 0x00100000},
    {L"WS_MAXIMIZEBOX ", 0x00010000},
    {L"WS_MINIMIZEBOX ", 0x00020000},
    {L"WS_OVERLAPPED ", 0},
    {L"WS_POPUP ", 0x80000000},
    {L"WS_SYSMENU ", 0x00080000},
    {L"WS_TABSTOP ", 0x00010000},
};
const Row kExStyles[] = {
    {L"WS_EX_ACCEPTFILES", 0x10},      {L"WS_EX_DLGMODALFRAME ", 0x1},
    {L"WS_EX_NOPARENTNOTIFY ", 0x4},   {L"WS_EX_TOPMOST ", 0x8},
    {L"WS_EX_TRANSPARENT ", 0x20},     {L"WS_EX_MDICHILD ", 0x40},
    {L"WS_EX_TOOLWINDOW ", 0x80},      {L"WS_EX_WINDOWEDGE ", 0x100},
    {L"WS_EX_CLIENTEDGE ", 0x200},     {L"WS_EX_CONTEXTHELP ", 0x400},
    {L"WS_EX_RIGHT ", 0x1000},         {L"WS_EX_RTLREADING ", 0x2000},
    {L"WS_EX_LEFTSCROLLBAR ", 0x4000}, {L"WS_EX_CONTROLPARENT ", 0x10000},
    {L"WS_EX_STATICEDGE ", 0x20000},   {L"WS_EX_APPWINDOW ", 0x40000},
};

template <size_t N> Lines Reference(uint32_t word, const Row (&table)[N], const wchar_t* extra) {
    Lines lines;
    uint32_t rest = word;
    for (const Row& row : table) {
        if ((word & row.mask) != 0) {
            lines.push_back(row.text);
            rest &= ~row.mask;
        }
    }
    if (rest != 0) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(rest));
        std::wstring line = extra;
        for (const char* c = hex; *c; ++c)
            line += static_cast<wchar_t>(*c);
        lines.push_back(line);
    }
    return lines;
}

LONG Signed(uint32_t word) {
    return static_cast<LONG>(word);
}

} // namespace

TEST(StyleDecoding, TheTablesExamples) {
    EXPECT_EQ(DecodeStyle(Signed(0x10CF0000)),
              (Lines{L"WS_VISIBLE", L"WS_CAPTION", L"WS_OVERLAPPEDWINDOW", L"WS_BORDER",
                     L"WS_THICKFRAME ", L"WS_DLGFRAME ", L"WS_GROUP ", L"WS_MAXIMIZEBOX ",
                     L"WS_MINIMIZEBOX ", L"WS_SYSMENU ", L"WS_TABSTOP "}));
    // A mask that shares only some bits still lists its line.
    EXPECT_EQ(DecodeStyle(Signed(0x00800000)),
              (Lines{L"WS_CAPTION", L"WS_OVERLAPPEDWINDOW", L"WS_BORDER"}));
    EXPECT_EQ(DecodeStyle(Signed(0x1000001F)), (Lines{L"WS_VISIBLE", L"Extra bits 1F"}));
    EXPECT_EQ(DecodeExStyle(Signed(0x00080000)), (Lines{L"Extra EX bits 80000"}));

    EXPECT_EQ(DecodeStyle(Signed(0x80000000)), (Lines{L"WS_POPUP "}));
    EXPECT_TRUE(DecodeStyle(0).empty()) << "WS_OVERLAPPED is never listed";
    EXPECT_TRUE(DecodeExStyle(0).empty());
    // Everything the extended table does not cover, and nothing more.
    Lines all = DecodeExStyle(Signed(0xFFFFFFFF));
    ASSERT_EQ(all.size(), std::size(kExStyles) + 1);
    EXPECT_EQ(all.front(), L"WS_EX_ACCEPTFILES");
    EXPECT_EQ(all.back(), L"Extra EX bits FFF88802");
    // The window table covers the whole high word: only low-word bits are extra.
    EXPECT_EQ(DecodeStyle(Signed(0xFFFF8001)).back(), L"Extra bits 8001");
}

TEST(StyleDecoding, RandomWordsAgreeWithAReferenceLoop) {
    std::mt19937 random(20240614);
    std::vector<uint32_t> words{0u,          0xFFFFFFFFu, 0x80000000u,
                                0x7FFFFFFFu, 0x0000FFFFu, 0xFFFF0000u};
    for (int i = 0; i < 5000; ++i) {
        uint32_t word = random();
        // Sparse words too: most real styles have few bits set.
        if (i % 2)
            word &= random() & random();
        words.push_back(word);
    }
    for (uint32_t word : words) {
        ASSERT_EQ(DecodeStyle(Signed(word)), Reference(word, kStyles, L"Extra bits "))
            << std::hex << word;
        ASSERT_EQ(DecodeExStyle(Signed(word)), Reference(word, kExStyles, L"Extra EX bits "))
            << std::hex << word;
    }
}
