#pragma once
// Read once for the whole library: the Windows headers are most of what a file costs to compile.
// The standard headers stay out: GCC 12 then warns, with a precompiled header only, of bounds
// that inlined standard string code does not break.
#include <windows.h>
#include <commctrl.h>
