#!/usr/bin/env bash
# Saves screenshots of the container (with a captured program and the intro screen) and of the
# window picker, drawn at 96 and at 144 dots per inch, into build/screenshots/, for a person to
# look at. Usage: tools/screenshots.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/packages.sh"
MERILANE_TESTS=ON "$root/tools/build.sh" x86_64 >/dev/null
out="$root/build/screenshots"
mkdir -p "$out"
source "$root/tools/wine-bench.sh"
for dpi in 96 144; do
    bench_start "$root/build/wineprefix-dpi$dpi" "$root/build/x86_64/bin/merilane_fixture.exe" "$dpi"
    MERILANE_SCREENSHOTS="Z:${out//\//\\}" bench_wine "$root/build/x86_64/bin/test_app.exe" \
        --gtest_filter='Dpi.*' >/dev/null
    bench_stop
done
for bmp in "$out"/*.bmp; do
    convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
ls "$out"/*.png
