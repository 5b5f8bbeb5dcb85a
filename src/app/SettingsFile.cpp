#include "app/SettingsFile.h"
#include "controls/ProductInfo.h"
#include "controls/Text.h"
#include "controls/Trust.h"
#include "controls/UniqueOwner.h"
#include <shlobj.h>
#include <algorithm>

namespace merilane {
namespace {

constexpr const wchar_t* kFileName = L"merilane.ini";

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool Exists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring PortablePath() {
    return FolderOf(OwnExecutablePath()) + L"\\" + kFileName;
}

std::wstring UserPath() {
    std::wstring folder;
    // The environment's APPDATA first: that is where the user (or a portable launcher) says
    // roaming data goes.
    if (DWORD n = GetEnvironmentVariableW(L"APPDATA", nullptr, 0)) {
        folder.resize(n);
        folder.resize(GetEnvironmentVariableW(L"APPDATA", folder.data(), n));
    }
    if (folder.empty()) {
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path)))
            folder = path;
    }
    return folder + L"\\Merilane\\" + kFileName;
}

bool Writable(const std::wstring& path) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    return static_cast<bool>(file);
}

// The whole file, or the system's error.
bool ReadAll(const std::wstring& path, std::vector<unsigned char>& bytes, DWORD& error) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        error = GetLastError();
        return false;
    }
    // A larger file is refused without reading it: one byte more than the most is enough.
    size_t wanted = static_cast<size_t>(
        std::min<LONGLONG>(size.QuadPart, static_cast<LONGLONG>(kMostSettingsBytes) + 1));
    bytes.resize(wanted);
    DWORD read = 0;
    if (wanted && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(wanted), &read, nullptr)) {
        error = GetLastError();
        return false;
    }
    bytes.resize(read);
    return true;
}

IniSection ReadSection(const std::wstring& path, const wchar_t* name) {
    std::wstring block(4096, L'\0');
    for (;;) {
        DWORD n = GetPrivateProfileSectionW(name, block.data(), static_cast<DWORD>(block.size()),
                                            path.c_str());
        if (n + 2 < block.size() || block.size() >= kMostSettingsBytes) {
            block.resize(n);
            break;
        }
        block.resize(block.size() * 4);
    }
    return SplitSection(block);
}

// Each instance (and thread) writes a temporary file of its own; the last to finish wins, whole.
std::wstring TempPathFor(const std::wstring& path) {
    return path + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
           std::to_wstring(GetCurrentThreadId()) + L".tmp";
}

// A new temporary file holding `text` as UTF-16. With the byte-order mark first, the profile
// functions go on in UTF-16 and any script survives; without it they write the ANSI code page.
std::wstring StartTemp(const std::wstring& temp, std::wstring_view text) {
    UniqueHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return SystemErrorText(GetLastError());
    DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t)), written = 0;
    if (!WriteFile(file.get(), text.data(), size, &written, nullptr) || written != size) {
        DWORD error = GetLastError();
        file.reset();
        DeleteFileW(temp.c_str());
        return SystemErrorText(error);
    }
    return {};
}

// The temporary file replaces the old one only once all of it is on the disk: a rename can
// reach the disk before the data it names, and a power cut then leaves an empty file.
std::wstring PutInPlace(const std::wstring& temp, const std::wstring& path) {
    DWORD error = ERROR_SUCCESS;
    {
        UniqueHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || !FlushFileBuffers(file.get()))
            error = GetLastError();
    }
    if (error == ERROR_SUCCESS && !MoveFileExW(temp.c_str(), path.c_str(),
                                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error == ERROR_SUCCESS)
        return {};
    DeleteFileW(temp.c_str());
    return SystemErrorText(error);
}

constexpr const wchar_t* kByteOrderMark = L"\xFEFF";

std::wstring SectionBlock(const IniSection& section) {
    std::wstring block;
    for (auto& [key, value] : section)
        block += key + L"=" + value + L'\0';
    return block + L'\0';
}

} // namespace

bool IsPortableSettingsPath(const std::wstring& path) {
    return SameTextCaseAside(path, PortablePath());
}

std::wstring SettingsPath() {
    std::wstring portable = PortablePath();
    if (Exists(portable) && Writable(portable))
        return portable;
    return UserPath();
}

LoadedSettings LoadSettings(const std::wstring& given) {
    LoadedSettings loaded;
    std::wstring path = given.empty() ? SettingsPath() : given;
    if (!Exists(path))
        return loaded;
    loaded.path = path;
    auto fail = [&](const std::wstring& why) {
        loaded.message = L"Merilane could not use its settings file\r\n" + path + L"\r\n" + why +
                         L".\r\n\r\nIt starts with its default settings and does not remember "
                         L"them until \"Remember settings\" is turned on again.";
        return loaded;
    };
    std::vector<unsigned char> bytes;
    DWORD error = 0;
    if (!ReadAll(path, bytes, error))
        return fail(error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
                        ? L"Another program holds it locked"
                        : L"It cannot be read: " + SystemErrorText(error));
    if (FileVerdict verdict = CheckSettingsBytes(bytes); verdict != FileVerdict::Fine)
        return fail(L"It is not a settings file Merilane wrote: " + VerdictText(verdict));
    IniSections sections{{kMainSection, ReadSection(path, kMainSection)},
                         {kTabsSection, ReadSection(path, kTabsSection)},
                         {kRulesSection, ReadSection(path, kRulesSection)}};
    ParsedSettings parsed = ParseSettings(sections);
    if (!parsed.remember) {
        if (!parsed.problems.empty() && parsed.problems.front() == kRememberKey)
            return fail(L"Its Remember value is not one Merilane writes");
        if (!parsed.problems.empty() && parsed.problems.front().front() == L'[')
            return fail(L"It has no [Merilane] section");
        return loaded; // remembering was turned off and the file kept
    }
    loaded.remember = true;
    loaded.settings = std::move(parsed.settings);
    if (!parsed.problems.empty()) {
        std::wstring keys;
        for (auto& key : parsed.problems)
            keys += (keys.empty() ? L"" : L", ") + key;
        loaded.message = L"Some values in Merilane's settings file\r\n" + path +
                         L"\r\nare not ones it writes (" + keys +
                         L"); those settings are back at their defaults.";
    }
    return loaded;
}

std::wstring SaveSettings(const std::wstring& path, const Settings& settings, bool remember) {
    std::wstring folder = FolderOf(path);
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return SystemErrorText(GetLastError());
    if (!IsPlainFolder(folder.c_str()))
        return L"Its folder is a link to somewhere else, which Merilane does not write through.";
    std::wstring temp = TempPathFor(path);
    if (std::wstring failure = StartTemp(temp, kByteOrderMark); !failure.empty())
        return failure;
    IniSections sections = SettingsSections(settings);
    if (!remember)
        sections.front().second.front().second = L"0";
    for (auto& [name, section] : sections) {
        if (!WritePrivateProfileSectionW(name.c_str(), SectionBlock(section).c_str(),
                                         temp.c_str())) {
            DWORD error = GetLastError();
            DeleteFileW(temp.c_str());
            return SystemErrorText(error);
        }
    }
    // Whatever the profile functions keep of the file in memory is written out first.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, temp.c_str());
    return PutInPlace(temp, path);
}

std::wstring DeleteSettings(const std::wstring& path) {
    return DeleteSettings(path, PortablePath());
}

std::wstring DeleteSettings(const std::wstring& path, const std::wstring& portable) {
    // Without the portable file, the next time remembering is turned on the settings would go
    // to the user's profile, and the copy would no longer be portable.
    if (SameTextCaseAside(path, portable)) {
        std::wstring temp = TempPathFor(path);
        if (std::wstring failure = StartTemp(temp, kUnusedSettingsFile); !failure.empty())
            return failure;
        return PutInPlace(temp, path);
    }
    if (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND)
        return {};
    return SystemErrorText(GetLastError());
}

} // namespace merilane
