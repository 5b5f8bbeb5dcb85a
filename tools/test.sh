#!/usr/bin/env bash
# Builds both architectures and runs the whole test suite under Wine, on private X displays with
# private Wine prefixes inside the build tree, and the package test (tools/test-package.sh). Fails
# if any part fails.
#
# Most of the tests' time is spent waiting on other programs and timers, not computing, so they
# run side by side on several benches (a display, a Wine prefix and a virtual desktop each, so
# that no test sees another's windows): ctest runs three tests at once, and cmake/wine-run.sh
# puts each on a bench that is free. Beside them, on a bench of its own, the soak, then the
# package test. The i686 tree builds at low priority meanwhile.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/packages.sh"
# Each part says when it starts, counted from the start of the run.
stage() { echo "== $* (at $SECONDS s) =="; }
status=0
bash "$root/tests/setup/test_packages.sh" || status=1

source "$root/tools/wine-bench.sh"
fixture="$root/build/x86_64/bin/merilane_fixture.exe"
slots="$root/build/benches"
lanes=(lane1 lane2 lane3)
rm -rf "$slots"
mkdir -p "$slots"

# The Wine prefixes are made while the x86_64 tree builds, two at a time.
prepare() { BENCH_DISPLAY_FROM=$1 bench_prepare "$root/build/wineprefix-$2" "${3:-96}"; }
(
    { prepare 150 lane1; prepare 150 lane3; prepare 150 soak; } &
    { prepare 170 lane2; prepare 170 dpi144 144; } &
    wait
) >"$slots/prefixes.log" 2>&1 &
prefixes_pid=$!
"$root/tools/build.sh" x86_64 -- merilane_soak
stage "Built x86_64"
# The i686 tree takes what the tests and the soak leave of the processors (most of their time is
# spent waiting); measured here, that ends sooner than building it first.
(nice -n 19 "$root/tools/build.sh" i686 >"$slots/build-i686.log" 2>&1 && touch "$slots/i686.built") &
i686_pid=$!
wait "$prefixes_pid" || { cat "$slots/prefixes.log"; status=1; }
stage "Wine prefixes ready"

# bench_up NAME [DPI]: a bench of its own until bench_down NAME; what a program needs to run on
# it is written to $slots/NAME.env, which cmake/wine-run.sh reads.
bench_up() (
    local name=$1 dpi=${2:-96}
    (
        BENCH_DISPLAY_FROM=90
        bench_start "$root/build/wineprefix-$name" "$fixture" "$dpi"
        trap bench_stop EXIT
        printf 'export DISPLAY=%q WINEPREFIX=%q WINEDEBUG=%q WINEDLLOVERRIDES=%q\n' \
            "$DISPLAY" "$WINEPREFIX" "$WINEDEBUG" "$WINEDLLOVERRIDES" >"$slots/$name.tmp"
        mv "$slots/$name.tmp" "$slots/$name.env"
        while [ ! -e "$slots/$name.down" ]; do sleep 0.2; done
    ) >/dev/null 2>&1 </dev/null &
    local i
    for i in $(seq 600); do
        [ -e "$slots/$name.env" ] && return 0
        sleep 0.1
    done
    echo "The bench $name did not start"
    return 1
)
bench_down() {
    local name
    for name; do touch "$slots/$name.down"; done
}
trap 'touch "$slots"/{lane1,lane2,lane3,dpi144}.down' EXIT

# run_ctest ARCH BENCH... -- [CTEST-ARGUMENTS...]: the tests of the architecture's build, with
# its loader, as many at once as there are benches.
run_ctest() (
    local arch=$1 benches=()
    shift
    while [ "$1" != -- ]; do benches+=("$slots/$1.env"); shift; done
    shift
    export MERILANE_WINE=$WINE64_LOADER MERILANE_BENCHES="${benches[*]}"
    if [ "$arch" = i686 ]; then
        MERILANE_WINE=$WINE32_LOADER
        # Every other program is 64-bit, the fixture too.
        export MERILANE_FIXTURE
        MERILANE_FIXTURE=$(bench_windows_path "$fixture")
    fi
    WINELOADER=$MERILANE_WINE ctest --test-dir "$root/build/$arch" --output-on-failure \
        --timeout 120 -j "${#benches[@]}" "$@"
)

# The 32-bit program against 64-bit ones: the i686 tests drive the i686 merilane.exe, and capture
# in their own process, while every other program is 64-bit (the x86_64 fixture, the system's
# notepad). Only the tests where bitness can matter run here: starting programs, capture and
# release, the task table, executable names, the window picker.
i686_tests='^(EndToEnd|Capture|Release|ReleaseAll|Session|Refusals|HungWindows|TaskList|ExecutableName|WindowList|WindowPicker|ProcessKinds|CloseProcessWindows)\.'

# Random operations against real programs, a thousand of them, the same ones every run; then the
# packages, made from the trees built here (MERILANE_TESTS=ON keeps them configured as they
# are instead of switching them to a product-only build and back).
beside() {
    export BENCH_DISPLAY_FROM=120
    bench_start "$root/build/wineprefix-soak" "$fixture"
    trap bench_stop EXIT
    local status=0
    stage "Soak"
    bench_wine "$root/build/x86_64/bin/merilane_soak.exe" 1000 20261208 || status=1
    bench_stop
    wait_for_i686 || return 1
    stage "Packages"
    MERILANE_TESTS=ON "$root/tools/test-package.sh" "$root/build/wineprefix-soak" || status=1
    stage "Soak and packages done"
    return "$status"
}
wait_for_i686() {
    while [ ! -e "$slots/i686.built" ]; do
        kill -0 "$i686_pid" 2>/dev/null || [ -e "$slots/i686.built" ] ||
            { cat "$slots/build-i686.log"; return 1; }
        sleep 1
    done
}
beside_log="$slots/beside.log"
(beside) >"$beside_log" 2>&1 &
beside_pid=$!

for lane in "${lanes[@]}"; do bench_up "$lane"; done
stage "Tests, x86_64"
run_ctest x86_64 "${lanes[@]}" -- || status=1
bash "$root/tests/setup/test_planted_dlls.sh" "$root/build/x86_64" "$slots/lane1.env" || status=1

# What depends on the screen's resolution again, drawn at 144 dots per inch.
bench_up dpi144 144
stage "Tests at 144 dots per inch, x86_64"
run_ctest x86_64 dpi144 -- -R '^(Dpi|TabLooks|TabDrawing)\.' || status=1
bench_down dpi144

wait_for_i686 || status=1
stage "Built i686"
if bench_can_run_32bit; then
    stage "Tests, i686 against 64-bit programs"
    run_ctest i686 "${lanes[@]}" -- -R "$i686_tests" || status=1
else
    echo "The i686 tests were built but skipped: this machine cannot start 32-bit programs."
fi
bench_down "${lanes[@]}"
stage "Tests done"

wait "$beside_pid" || status=1
cat "$beside_log"
stage "Done"
exit "$status"
