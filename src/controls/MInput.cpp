#include "controls/MInput.h"

namespace merilane {
namespace {

BOOL CALLBACK SeparateChild(HWND child, LPARAM self) {
    DWORD thread = GetWindowThreadProcessId(child, nullptr);
    SeparateInput(static_cast<DWORD>(self), thread);
    return TRUE;
}

BOOL CALLBACK SeparateInside(HWND topLevel, LPARAM self) {
    EnumChildWindows(topLevel, SeparateChild, self);
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

void SeparateForeignInput() noexcept {
    // Every window of this thread: a host that has left the container may still hold one.
    DWORD self = GetCurrentThreadId();
    EnumThreadWindows(self, SeparateInside, static_cast<LPARAM>(self));
}

} // namespace merilane
