#include "selection/StyleDecoding.h"
#include <cstdint>
#include <cwchar>
#include <span>

namespace merilane {
namespace {

struct StyleLine {
    const wchar_t* text; // exact, trailing blanks included
    uint32_t mask;
};

constexpr StyleLine kStyleLines[] = {
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
    // WS_OVERLAPPED is the absence of the other frame bits: with a mask of 0 it never shows.
    {L"WS_OVERLAPPED ", 0x00000000},
    {L"WS_POPUP ", 0x80000000},
    {L"WS_SYSMENU ", 0x00080000},
    {L"WS_TABSTOP ", 0x00010000},
};

constexpr StyleLine kExtendedStyleLines[] = {
    {L"WS_EX_ACCEPTFILES", 0x00000010},     {L"WS_EX_DLGMODALFRAME ", 0x00000001},
    {L"WS_EX_NOPARENTNOTIFY ", 0x00000004}, {L"WS_EX_TOPMOST ", 0x00000008},
    {L"WS_EX_TRANSPARENT ", 0x00000020},    {L"WS_EX_MDICHILD ", 0x00000040},
    {L"WS_EX_TOOLWINDOW ", 0x00000080},     {L"WS_EX_WINDOWEDGE ", 0x00000100},
    {L"WS_EX_CLIENTEDGE ", 0x00000200},     {L"WS_EX_CONTEXTHELP ", 0x00000400},
    {L"WS_EX_RIGHT ", 0x00001000},          {L"WS_EX_RTLREADING ", 0x00002000},
    {L"WS_EX_LEFTSCROLLBAR ", 0x00004000},  {L"WS_EX_CONTROLPARENT ", 0x00010000},
    {L"WS_EX_STATICEDGE ", 0x00020000},     {L"WS_EX_APPWINDOW ", 0x00040000},
};

std::vector<std::wstring> Decode(LONG word, std::span<const StyleLine> table,
                                 const wchar_t* remainder) {
    const uint32_t bits = static_cast<uint32_t>(word);
    uint32_t rest = bits;
    std::vector<std::wstring> lines;
    for (const StyleLine& line : table) {
        if (bits & line.mask) {
            lines.emplace_back(line.text);
            rest &= ~line.mask;
        }
    }
    if (rest) {
        wchar_t hex[16];
        swprintf(hex, std::size(hex), L"%X", rest);
        lines.push_back(std::wstring(remainder) + hex);
    }
    return lines;
}

} // namespace

std::vector<std::wstring> DecodeStyle(LONG style) {
    return Decode(style, kStyleLines, L"Extra bits ");
}

std::vector<std::wstring> DecodeExStyle(LONG exStyle) {
    return Decode(exStyle, kExtendedStyleLines, L"Extra EX bits ");
}

} // namespace merilane
