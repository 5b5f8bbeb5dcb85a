#include "controls/SystemLibrary.h"

namespace merilane {

void LoadOnlySystemLibraries() noexcept {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

FARPROC SystemFunction(const wchar_t* library, const char* function) noexcept {
    // A module already loaded under that name may have come from anywhere: the load from the
    // system folder is asked for every time (it only counts up one already there).
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? GetProcAddress(module, function) : nullptr;
}

} // namespace merilane
