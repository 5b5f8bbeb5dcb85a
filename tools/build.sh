#!/usr/bin/env bash
# Builds merilane.exe (and, unless MERILANE_TESTS=OFF, the tests) for the given architectures;
# targets named after -- are built too (a benchmark, the soak), in each tree named.
# Usage: tools/build.sh [x86_64] [i686] [-- TARGET...]     (default: both)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arches=() extra=()
while (($#)); do
    [ "$1" = -- ] && { shift; extra=("$@"); break; }
    arches+=("$1")
    shift
done
((${#arches[@]})) || arches=(x86_64 i686)
# Sources compiled once are not compiled again, in this tree or in another checkout of it. A
# precompiled header is hashed by its contents, so its defines and time macros may be left out;
# what a source depends on is read from the compiler's own list of headers, so that a source
# not yet in the cache is not also run through the preprocessor first.
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1 CCACHE_DEPEND=1
    export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
for arch in "${arches[@]}"; do
    dir="$root/build/$arch"
    cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
          -DCMAKE_BUILD_TYPE=Release -DMERILANE_TESTS="${MERILANE_TESTS:-ON}" "${launcher[@]}" >/dev/null
    cmake --build "$dir" -j "$(nproc)" --target all "${extra[@]}"
done
