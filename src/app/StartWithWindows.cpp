#include "app/StartWithWindows.h"
#include "controls/ProductInfo.h"
#include "controls/Text.h"
#include "controls/UniqueOwner.h"
#include <windows.h>

namespace merilane {
namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kRunValue = L"Merilane";

} // namespace

std::wstring RunCommandLine() {
    return L"\"" + OwnExecutablePath() + L"\"";
}

bool StartsWithWindows() {
    wchar_t value[2048] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return false;
    return SameTextCaseAside(value, RunCommandLine());
}

std::wstring SetStartWithWindows(bool on) {
    HKEY opened = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE,
                                     nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS)
        return SystemErrorText(static_cast<DWORD>(status));
    UniqueOwner<HKEY, &RegCloseKey> key(opened);
    if (on) {
        std::wstring line = RunCommandLine();
        status = RegSetValueExW(key.get(), kRunValue, 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(line.c_str()),
                                static_cast<DWORD>((line.size() + 1) * sizeof(wchar_t)));
    } else {
        status = RegDeleteValueW(key.get(), kRunValue);
        if (status == ERROR_FILE_NOT_FOUND)
            status = ERROR_SUCCESS;
    }
    return status == ERROR_SUCCESS ? std::wstring() : SystemErrorText(static_cast<DWORD>(status));
}

} // namespace merilane
