#pragma once
#include <windows.h>

namespace merilane {

// Whether the message carries a pointer the system does not copy across processes (a
// notification, an owner-draw request, a change of resolution) and was sent by another thread.
// Every such message of ours comes from our own controls on our own thread: one from anywhere
// else may come from any program, which chooses where the pointer points, and is not acted on.
inline bool CarriesForeignPointer(UINT msg) noexcept {
    switch (msg) {
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_DPICHANGED:
        return (InSendMessageEx(nullptr) & ISMEX_SEND) != 0;
    default:
        return false;
    }
}

// Whether the path names a folder that is no junction or symbolic link. A Merilane run by an
// administrator would otherwise write, and clean up, wherever such a link planted in place of
// one of its folders points.
inline bool IsPlainFolder(const wchar_t* path) noexcept {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace merilane
