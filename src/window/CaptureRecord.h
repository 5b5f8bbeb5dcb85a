#pragma once
#include <windows.h>

namespace merilane {

// What capture changed on one window, written once as it goes in. It is the only thing the
// give-back reads, whichever path gives the window back: a command, closing, session end, a
// failure, or the last rescue when the program itself breaks down. It is plain data so that
// the rescue can read it with nothing else of the program working: no heap, no lock.
struct CaptureRecord {
    HWND window = nullptr;
    HWND host = nullptr;           // the host form it was moved into
    HWND previousParent = nullptr; // its parent before, never its owner; null for the desktop
    LONG style = 0;                // its styles before
    LONG exStyle = 0;
    UINT showCmd = SW_SHOWNORMAL; // its show state before
    RECT rect{};                  // where it was, and how big, shown normally before
    UINT greyedMenuItems = 0;     // bit i: capture greyed kCapturedMenuCommands[i]
};

// The windows held now, each with its record, kept where a thread that finds the program
// failing can still read them. Written by the user-interface thread only; read by anyone.
namespace HeldWindows {

constexpr int kCapacity = 256;

// Records the window as held (or updates its record). The slot of a window that no longer
// exists is taken when no other is free. False when the table is full or closed: the window is
// then not taken in.
bool Hold(const CaptureRecord& record) noexcept;
// Takes no window in from now on, from any thread: the program is breaking down, and a window
// that went in after the last look at the table would go down with it.
void Close() noexcept;
// The window is out, never got in, or is gone.
void Forget(HWND window) noexcept;
// A copy of the window's record; false when it is not held.
bool Find(HWND window, CaptureRecord& out) noexcept;
// Copies up to `capacity` records of held windows into `out`; answers how many.
int Snapshot(CaptureRecord* out, int capacity) noexcept;
int Count() noexcept;
// A move into a host and the rescue must agree on who has the window: the rescue may give it
// back only once no move of it into a host is under way, and no such move may begin once the
// rescue has begun. Answers the mark to end the move with, or -1 when the window is not on
// record, or when the table is closed and the move is into a host: that move must not happen.
int BeginMove(HWND window, bool intoHost) noexcept;
void EndMove(int mark) noexcept;
// Whether a move of the window into a host that began before the table closed is under way.
bool MovingIn(HWND window) noexcept;
// Whether any window on record is being moved, in or out. A window out of its host may still
// wait for its frame: ending the program before this is false would leave it without one.
bool AnyMoving() noexcept;

} // namespace HeldWindows

} // namespace merilane
