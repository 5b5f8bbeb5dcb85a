#!/usr/bin/env bash
# Runs the soak: random operations against real programs, checking after every step that
# nothing is lost. Usage: tools/soak.sh [steps] [seed]   (default: 10000 steps, a new seed)
# A violation is printed with its step; the same seed replays the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/packages.sh"
MERILANE_TESTS=ON "$root/tools/build.sh" x86_64 -- merilane_soak >/dev/null
source "$root/tools/wine-bench.sh"
trap bench_stop EXIT
bench_start "$root/build/wineprefix-test" "$root/build/x86_64/bin/merilane_fixture.exe"
bench_wine "$root/build/x86_64/bin/merilane_soak.exe" "${1:-10000}" "${2:-$RANDOM$RANDOM}"
