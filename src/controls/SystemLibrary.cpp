#include "controls/SystemLibrary.h"

namespace merilane {

void LoadOnlySystemLibraries() noexcept {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

FARPROC SystemFunction(const wchar_t* library, const char* function) noexcept {
    HMODULE module = GetModuleHandleW(library);
    if (!module)
        module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? GetProcAddress(module, function) : nullptr;
}

} // namespace merilane
