#!/usr/bin/env bash
# Builds both architectures and runs the whole test suite under Wine, on private X displays with
# private Wine prefixes inside the build tree, and the package test (tools/test-package.sh). Fails
# if any part fails.
#
# Most of the tests' time is spent waiting on other programs and timers, not computing, so the
# run goes in two halves at once, each on a display, prefix and virtual desktop of its own: the
# x86_64 tests and the 144 dpi ones on the first; the i686 tests, the soak and the package test
# on the second. The second half's report follows the first's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/packages.sh"
# Each part says when it starts, counted from the start of the run.
stage() { echo "== $* (at $SECONDS s) =="; }
status=0
bash "$root/tests/setup/test_packages.sh" || status=1

source "$root/tools/wine-bench.sh"
# The Wine prefixes are made while the build runs, each on a display of its own.
mkdir -p "$root/build"
prefixes_log="$root/build/test-prefixes.log"
(
    export BENCH_DISPLAY_FROM=150
    bench_prepare "$root/build/wineprefix-test"
    bench_prepare "$root/build/wineprefix-test2"
    bench_prepare "$root/build/wineprefix-dpi144" 144
) >"$prefixes_log" 2>&1 &
prefixes_pid=$!
"$root/tools/build.sh" x86_64 -- merilane_soak
"$root/tools/build.sh" i686
stage "Built"
wait "$prefixes_pid" || { cat "$prefixes_log"; status=1; }
stage "Wine prefixes ready"

fixture="$root/build/x86_64/bin/merilane_fixture.exe"

# run_ctest ARCH [CTEST-ARGUMENTS...]: the tests of the architecture's build, with its loader.
run_ctest() (
    local arch=$1
    shift
    export MERILANE_WINE=$WINE64_LOADER
    if [ "$arch" = i686 ]; then
        MERILANE_WINE=$WINE32_LOADER
        # Every other program is 64-bit, the fixture too.
        export MERILANE_FIXTURE
        MERILANE_FIXTURE=$(bench_windows_path "$fixture")
    fi
    WINELOADER=$MERILANE_WINE \
        ctest --test-dir "$root/build/$arch" --output-on-failure --timeout 120 "$@"
)

# The 32-bit program against 64-bit ones: the i686 tests drive the i686 merilane.exe, and capture
# in their own process, while every other program is 64-bit (the x86_64 fixture, the system's
# notepad). Only the tests where bitness can matter run here: starting programs, capture and
# release, the task table, executable names, the window picker.
i686_tests='^(EndToEnd|Capture|Release|ReleaseAll|Session|Refusals|HungWindows|TaskList|ExecutableName|WindowList|WindowPicker|ProcessKinds|CloseProcessWindows)\.'
second_half() {
    # Looks for a free display from another number than the first half, which starts meanwhile.
    export BENCH_DISPLAY_FROM=120
    bench_start "$root/build/wineprefix-test2" "$fixture"
    trap bench_stop EXIT
    local status=0
    if bench_can_run_32bit; then
        stage "Tests, i686 against 64-bit programs"
        run_ctest i686 -R "$i686_tests" || status=1
    else
        echo "The i686 tests were built but skipped: this machine cannot start 32-bit programs."
    fi
    # Random operations against real programs, a thousand of them, the same ones every run.
    stage "Soak"
    bench_wine "$root/build/x86_64/bin/merilane_soak.exe" 1000 20261208 || status=1
    bench_stop
    # The packages are made from the trees built above; MERILANE_TESTS=ON keeps them configured
    # as they are instead of switching them to a product-only build and back.
    stage "Packages"
    MERILANE_TESTS=ON "$root/tools/test-package.sh" "$root/build/wineprefix-test2" || status=1
    stage "Second half done"
    return "$status"
}
second_log="$root/build/test-second-half.log"
(second_half) >"$second_log" 2>&1 &
second_pid=$!

bench_start "$root/build/wineprefix-test" "$fixture"
trap bench_stop EXIT
stage "Tests, x86_64"
run_ctest x86_64 || status=1

# What depends on the screen's resolution again, drawn at 144 dots per inch.
bench_stop
bench_start "$root/build/wineprefix-dpi144" "$fixture" 144
stage "Tests at 144 dots per inch, x86_64"
run_ctest x86_64 -R '^(Dpi|TabLooks|TabDrawing)\.' || status=1
bench_stop
stage "First half done"

wait "$second_pid" || status=1
cat "$second_log"
stage "Done"
exit "$status"
