#!/usr/bin/env bash
# Builds merilane.exe (and, unless MERILANE_TESTS=OFF, the tests) for the given architectures.
# Usage: tools/build.sh [x86_64] [i686]     (default: both)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arches=("$@")
((${#arches[@]})) || arches=(x86_64 i686)
for arch in "${arches[@]}"; do
    dir="$root/build/$arch"
    cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
          -DCMAKE_BUILD_TYPE=Release -DMERILANE_TESTS="${MERILANE_TESTS:-ON}" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
done
