#!/usr/bin/env bash
# Installs, once per machine, everything the build, the tests and the demo need.
#
# A package source can be half-synced on any given day, and 32-bit packages then often cannot be
# matched to the 64-bit ones already installed. Neither is this project's fault, so neither ends
# the script: it installs what it can, says in one line what it skipped, and ends 0. Only the
# 32-bit Wine is optional (the test run skips the i686 tests without it); everything else the
# README's commands need is 64-bit and is installed on its own, first.
set -uo pipefail

required=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix cmake make googletest
          wine wine64 xvfb xauth xdotool imagemagick x11-utils
          fonts-wine fonts-liberation nsis zip unzip ccache)
optional=(wine32:i386)

sudo_cmd=()
[ "$(id -u)" = 0 ] || sudo_cmd=(sudo)
as_root() { "${sudo_cmd[@]}" "$@"; }
apt_install() {
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends "$@"
}
missing_of() {
    local p
    for p in "$@"; do dpkg -s "$p" >/dev/null 2>&1 || echo "$p"; done
}

mapfile -t need < <(missing_of "${required[@]}")
mapfile -t want < <(missing_of "${optional[@]}")
((${#need[@]} + ${#want[@]})) || exit 0
echo "Installing: ${need[*]} ${want[*]}"

if ((${#want[@]})) && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386 || echo "packages: skipped: the i386 architecture could not be added"
fi
# apt-get update fails as a whole when one list is mid-sync; the lists it did fetch are used, and
# a second try a moment later often finds the mirror done. Within the hour after an update the
# lists are used as they are: a machine that could not have 32-bit Wine asks once, not each run.
stamp=${MERILANE_APT_STAMP:-${XDG_CACHE_HOME:-$HOME/.cache}/merilane/apt-lists-updated}
if ((${#need[@]})) || ! find "$stamp" -mmin -60 2>/dev/null | grep -q .; then
    updated=0
    for try in 1 2 3; do
        if as_root apt-get update -q; then updated=1; break; fi
        ((try < 3)) && sleep $((try * 3))
    done
    ((updated)) || echo "packages: some package lists could not be fetched; going on with those that were"
    mkdir -p "$(dirname "$stamp")" && touch "$stamp"
fi

status=0
if ((${#need[@]})) && ! apt_install "${need[@]}"; then
    # One package that cannot be had must not keep the others out.
    for p in "${need[@]}"; do
        apt_install "$p" >/dev/null 2>&1 || { echo "packages: skipped: $p could not be installed"; status=1; }
    done
fi
if ((${#want[@]})) && ! apt_install "${want[@]}"; then
    echo "packages: skipped: 32-bit Wine (${want[*]}) could not be installed; the i686 tests will be skipped"
fi
# A required package missing is the project's concern only if the build or the tests then fail;
# they say so themselves, with their own names for what is absent.
((status == 0)) || echo "packages: going on without the packages skipped above"
exit 0
