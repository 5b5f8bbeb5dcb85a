#!/usr/bin/env bash
# merilane.exe started from a folder where DLLs named as system ones were planted (each leaves a
# file beside itself when loaded), with Wine told to take a copy beside the program first, as
# Windows does for DLLs that are not known ones. Merilane must start, not load the planted
# dbghelp.dll, and import no DLL that is not a known one. version.dll and uxtheme.dll cannot be
# made native-first here: Wine's own user32 and comctl32 import them, so under that override no
# program with windows starts beside a planted copy, whatever it does. The program's own part
# in them, imports the loader would resolve before any of its code runs, is read from its
# import table instead.
#   tests/setup/test_planted_dlls.sh BUILD-DIR BENCH-ENV
set -uo pipefail
build=$1
. "$2"
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tools/wine-bench.sh"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cp "$build/bin/merilane.exe" "$build"/bin/planted/*.dll "$folder/"

failed=0 passed=0
check() { # check WHAT CONDITION...
    local what=$1
    shift
    if "$@"; then passed=$((passed + 1)); else echo "  FAILED: $what"; failed=$((failed + 1)); fi
}
echo "Planted DLLs beside merilane.exe:"
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;dbghelp=n,b" \
    bench_wine "$folder/merilane.exe" >/dev/null 2>&1 </dev/null &
program=$!
title="Main menu - Merilane $(cat "$build/version.txt") (beta) "
bench_wine "$build/bin/merilane_window_probe.exe" "$title" --wait 20000 --close 10000 \
    >/dev/null 2>&1 </dev/null
check "Merilane starts and closes" test $? = 0
kill "$program" 2>/dev/null
wait
check "the planted dbghelp.dll is not loaded" test ! -e "$folder/dbghelp.dll.loaded"
imports=$(x86_64-w64-mingw32-objdump -p "$folder/merilane.exe" | sed -n 's/^\tDLL Name: //p' |
          tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
known="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll "
check "merilane.exe imports only known DLLs (it imports: $imports)" test "$imports" = "$known"
echo "  $passed passed, $failed failed"
((failed == 0))
