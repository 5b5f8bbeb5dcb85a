#include "controls/ProductInfo.h"
#include "controls/SystemLibrary.h"
#include <windows.h>
#include <vector>

namespace merilane {
namespace {

ProductInfo ReadProductInfo() {
    ProductInfo info;
    // version.dll is no known DLL: imported, it would be taken from beside the program.
    auto GetFileVersionInfoSizeW = SystemFunctionAs<decltype(&::GetFileVersionInfoSizeW)>(
        L"version.dll", "GetFileVersionInfoSizeW");
    auto GetFileVersionInfoW =
        SystemFunctionAs<decltype(&::GetFileVersionInfoW)>(L"version.dll", "GetFileVersionInfoW");
    auto VerQueryValueW =
        SystemFunctionAs<decltype(&::VerQueryValueW)>(L"version.dll", "VerQueryValueW");
    if (!GetFileVersionInfoSizeW || !GetFileVersionInfoW || !VerQueryValueW)
        return info;
    std::wstring own = OwnExecutablePath();
    const wchar_t* path = own.c_str();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0)
        return info;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path, 0, size, data.data()))
        return info;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
        info.major = HIWORD(fixed->dwFileVersionMS);
        info.minor = LOWORD(fixed->dwFileVersionMS);
        info.revision = LOWORD(fixed->dwFileVersionLS);
    }
    struct Translation {
        WORD language, codePage;
    }* translations = nullptr;
    if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translations), &length) &&
        length >= sizeof(Translation)) {
        auto text = [&](const wchar_t* field) {
            wchar_t key[96];
            swprintf(key, 96, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language,
                     translations[0].codePage, field);
            wchar_t* value = nullptr;
            UINT n = 0;
            return VerQueryValueW(data.data(), key, reinterpret_cast<void**>(&value), &n) && value
                       ? std::wstring(value)
                       : std::wstring();
        };
        info.name = text(L"ProductName");
        info.originalFileName = text(L"OriginalFilename");
    }
    return info;
}

} // namespace

const ProductInfo& Product() {
    static const ProductInfo info = ReadProductInfo();
    return info;
}

std::wstring OwnExecutablePath() {
    std::wstring exe(MAX_PATH, L'\0');
    DWORD n = 0;
    while ((n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()))) ==
               exe.size() &&
           exe.size() < 32768)
        exe.resize(exe.size() * 2);
    exe.resize(n);
    return exe;
}

} // namespace merilane
