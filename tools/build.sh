#!/usr/bin/env bash
# Builds merilane.exe (and, unless MERILANE_TESTS=OFF, the tests) for the given architectures.
# Usage: tools/build.sh [x86_64] [i686]     (default: both)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arches=("$@")
((${#arches[@]})) || arches=(x86_64 i686)
# Sources compiled once are not compiled again, in this tree or in another checkout of it.
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
for arch in "${arches[@]}"; do
    dir="$root/build/$arch"
    cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
          -DCMAKE_BUILD_TYPE=Release -DMERILANE_TESTS="${MERILANE_TESTS:-ON}" "${launcher[@]}" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
done
