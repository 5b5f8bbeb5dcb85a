#include "controls/MessageWindow.h"

namespace merilane {

void RegisterWindowClassOnce(const wchar_t* className, WNDPROC procedure, HBRUSH background) {
    WNDCLASSEXW existing{sizeof(existing)};
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(instance, className, &existing))
        return;
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    RegisterClassExW(&wc);
}

HWND CreateMessageWindow(const wchar_t* className, WNDPROC procedure) {
    RegisterWindowClassOnce(className, procedure);
    return CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

} // namespace merilane
