#include "controls/MInput.h"

namespace merilane {
namespace {

BOOL CALLBACK SeparateChild(HWND child, LPARAM self) {
    DWORD thread = GetWindowThreadProcessId(child, nullptr);
    SeparateInput(static_cast<DWORD>(self), thread);
    return TRUE;
}

} // namespace

void SeparateInput(DWORD threadOfOurs, DWORD thread) noexcept {
    if (!threadOfOurs || !thread || threadOfOurs == thread)
        return;
    // The system undoes a join only when asked in the order it was made, whichever that was.
    if (!AttachThreadInput(threadOfOurs, thread, FALSE))
        AttachThreadInput(thread, threadOfOurs, FALSE);
}

void SeparateForeignInput(HWND topLevel) noexcept {
    if (topLevel && IsWindow(topLevel))
        EnumChildWindows(topLevel, SeparateChild, static_cast<LPARAM>(GetCurrentThreadId()));
}

} // namespace merilane
