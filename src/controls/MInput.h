#pragma once
#include <windows.h>

namespace merilane {

// A window of another thread that is parented into one of ours can join that thread's input
// state to ours. Then every change of focus or activation here (a message box coming up, a
// dialog, a window brought forward) waits for that thread, and a program that has stopped
// answering freezes this one. The program keeps its input apart from theirs: each captured
// window has the keyboard to itself, as if it were still on the desktop.

// Undoes any joining of `thread`'s input to `threadOfOurs`'s; safe from any thread.
void SeparateInput(DWORD threadOfOurs, DWORD thread) noexcept;
// The same for every window of another thread inside any window of the calling thread.
void SeparateForeignInput() noexcept;

} // namespace merilane
