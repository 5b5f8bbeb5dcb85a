#!/usr/bin/env bash
# Builds both architectures and runs the whole test suite under Wine, on a private X display
# with a private Wine prefix inside the build tree. Ends with ctest's summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/packages.sh"
"$root/tools/build.sh" x86_64 i686

source "$root/tools/wine-bench.sh"
trap bench_stop EXIT
bench_start "$root/build/wineprefix-test" "$root/build/x86_64/bin/merilane_fixture.exe"

status=0
run_suite() {
    local arch=$1 loader=$2
    echo "== Tests, $arch =="
    MERILANE_WINE=$loader WINELOADER=$loader \
        ctest --test-dir "$root/build/$arch" --output-on-failure --timeout 120 || status=1
}
if bench_can_run_32bit; then
    run_suite i686 "$WINE32_LOADER"
else
    # Some kernels (sandboxes among them) refuse 32-bit Linux programs, and Wine's 32-bit
    # loader is one; the i686 build is still made above, only not run.
    echo "== Tests, i686: built, not run: this machine cannot start 32-bit Linux programs, so Wine cannot run 32-bit Windows ones =="
fi
run_suite x86_64 "$WINE64_LOADER"
exit $status
