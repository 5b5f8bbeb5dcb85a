#!/usr/bin/env bash
# Builds Merilane and starts it under Wine, in a Wine virtual desktop, beside a few programs to
# capture (Wine's notepad and a window of the test fixture). With DISPLAY set it shows there;
# without it, it runs on a private X display, saves a screenshot and says where.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/packages.sh"
MERILANE_TESTS=OFF "$root/tools/build.sh" x86_64 >/dev/null
bin="$root/build/x86_64/bin"

BENCH_KEEP_DISPLAY=${DISPLAY:-}
source "$root/tools/wine-bench.sh"
trap bench_stop EXIT
bench_start "$root/build/wineprefix-run"

bench_wine notepad >/dev/null 2>&1 </dev/null &
bench_wine "$bin/merilane_fixture.exe" --title "Fixture: pick me" --edit >/dev/null 2>&1 </dev/null &
sleep 2
bench_wine "$bin/merilane.exe" >/dev/null 2>&1 </dev/null &
merilane=$!

if [ -n "$BENCH_KEEP_DISPLAY" ]; then
    echo "Merilane is running on $DISPLAY; close it to end."
    wait "$merilane" || true
else
    # The intro screen, then the About box over it (its menu command id is in
    # src/app/CommandIds.h: kCmdHelpAbout).
    title="Main menu - Merilane 0.2.156 (beta) "
    bench_wine "$bin/merilane_window_probe.exe" "$title" --wait 20000 >/dev/null || true
    sleep 2
    intro="$root/build/merilane-intro.png"
    import -display "$DISPLAY" -window root "$intro"
    bench_wine "$bin/merilane_window_probe.exe" "$title" --command 40041 >/dev/null || true
    bench_wine "$bin/merilane_window_probe.exe" "About Merilane" --wait 10000 >/dev/null || true
    sleep 1
    about="$root/build/merilane-about.png"
    import -display "$DISPLAY" -window root "$about"
    echo "Merilane ran on a private display; screenshots: $intro $about"
fi
