#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

namespace merilane {

// Window handles are compared and keyed as signed 32-bit values: that is all of a handle that
// is significant on both architectures, and below 1 there is no window.
inline int32_t HandleValue(HWND h) noexcept {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(h));
}
inline HWND HandleFrom(int64_t value) noexcept {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}
inline bool IsNoWindow(HWND h) noexcept {
    return HandleValue(h) < 1;
}

// Upper-case hexadecimal without prefix or leading zeros, the form the collections key by.
inline std::wstring HexKey(HWND h) {
    wchar_t buf[16];
    swprintf(buf, 16, L"%X", static_cast<uint32_t>(HandleValue(h)));
    return buf;
}

} // namespace merilane
