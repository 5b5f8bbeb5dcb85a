#!/usr/bin/env bash
# Runs the benchmark programs under Wine on a private display. Usage: tools/bench.sh [N ...]
# (N: how many windows of another program the window list is measured with; the timers are
# measured with 50; then ten windows are dragged onto the tabs, and Go to tab is measured with
# 50 tabs).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/packages.sh"
MERILANE_TESTS=ON "$root/tools/build.sh" x86_64 -- bench_window_list bench_timers bench_drag bench_goto >/dev/null
source "$root/tools/wine-bench.sh"
trap bench_stop EXIT
bench_start "$root/build/wineprefix-test" "$root/build/x86_64/bin/merilane_fixture.exe"
# MERILANE_BENCH_AGAINST=DIR: each benchmark runs again from DIR (the bench_*.exe and
# merilane_fixture.exe of another build) right after this build's, so that both are measured
# side by side on the same machine at the same moment.
for bin in "$root/build/x86_64/bin" ${MERILANE_BENCH_AGAINST:+"$MERILANE_BENCH_AGAINST"}; do
    echo "== $bin"
    bench_wine "$bin/bench_window_list.exe" "$@"
done
for bin in "$root/build/x86_64/bin" ${MERILANE_BENCH_AGAINST:+"$MERILANE_BENCH_AGAINST"}; do
    echo "== $bin"
    bench_wine "$bin/bench_timers.exe" 50 10
done
bench_wine "$root/build/x86_64/bin/bench_drag.exe" 10
bench_wine "$root/build/x86_64/bin/bench_goto.exe" 50
