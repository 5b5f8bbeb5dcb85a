#!/usr/bin/env bash
# Builds merilane.exe for x86_64 and i686 and makes, for each, a portable zip and a per-user
# setup in build/dist:
#   merilane-VERSION-ARCH.zip        merilane.exe, merilane.ini, README.txt, LICENSE.txt
#   merilane-VERSION-ARCH-setup.exe  NSIS setup, no administrator rights needed
# VERSION is the one CMake's project() gives the version resource (the build writes it to
# build/ARCH/version.txt). Every package is checked before its path is printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/packages.sh"

fail() { echo "package.sh: $*" >&2; exit 1; }

# Only the product is needed. A caller that has just built the tests says MERILANE_TESTS=ON, so
# that the build trees are not reconfigured back and forth.
MERILANE_TESTS=${MERILANE_TESTS:-OFF} "$root/tools/build.sh" x86_64 i686 >/dev/null

version=$(cat "$root/build/x86_64/version.txt")
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "unexpected version '$version'"
[ "$(cat "$root/build/i686/version.txt")" = "$version" ] ||
    fail "the x86_64 and i686 builds disagree on the version"

dist="$root/build/dist"
mkdir -p "$dist"

# Notepad before Windows 10 1809 shows LF-only text as one long line.
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }

produced=()
for arch in x86_64 i686; do
    case $arch in
        x86_64) target=amd64-unicode; pe_format=pei-x86-64 ;;
        i686)   target=x86-unicode;   pe_format=pei-i386 ;;
    esac
    triple=$arch-w64-mingw32
    exe="$root/build/$arch/bin/merilane.exe"
    stage="$root/build/package/$arch"
    rm -rf "$stage"
    mkdir -p "$stage"
    cp "$exe" "$stage/merilane.exe"
    crlf "$root/packaging/README.txt" "$stage/README.txt"
    crlf "$root/LICENSE" "$stage/LICENSE.txt"

    zip="$dist/merilane-$version-$arch.zip"
    setup="$dist/merilane-$version-$arch-setup.exe"
    rm -f "$zip" "$setup"
    # A settings file that says "not remembering" (UTF-16 with its byte-order mark, as Merilane
    # writes it): a portable copy keeps its settings beside itself once remembering is on.
    { printf '\xff\xfe'; printf '[Merilane]\r\nRemember=0\r\n' | iconv -f UTF-8 -t UTF-16LE; } \
        >"$stage/merilane.ini"
    (cd "$stage" && zip -q -X "$zip" merilane.exe merilane.ini README.txt LICENSE.txt)

    makensis -V2 -INPUTCHARSET UTF8 \
        "-DVERSION=$version" "-DTARGET=$target" \
        "-DEXE=$stage/merilane.exe" "-DREADME=$stage/README.txt" "-DLICENSE=$stage/LICENSE.txt" \
        "-DICON=$root/res/merilane.ico" "-DOUTFILE=$setup" \
        "$root/packaging/merilane.nsi" >/dev/null

    # What was written, not what was meant to be: the zip's own list and executable, and the
    # setup's own headers.
    listed=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
    [ "$listed" = "LICENSE.txt README.txt merilane.exe merilane.ini " ] ||
        fail "$zip holds '$listed' instead of merilane.exe, merilane.ini, README.txt and LICENSE.txt"
    check="$stage/check"
    unzip -q "$zip" merilane.exe -d "$check"
    for file in "$check/merilane.exe" "$setup"; do
        format=$("$triple-objdump" -f "$file" 2>&1 | sed -n 's/.*file format //p') || true
        [ "$format" = "$pe_format" ] || fail "$file is '$format', not $pe_format"
        # Both carry the version in their version resource, as UTF-16 text. (grep reads to the
        # end: with -q, strings could die of a closed pipe and fail the pipeline.)
        "$triple-strings" -el "$file" | grep -x "$version" >/dev/null ||
            fail "$file does not carry version $version in its version resource"
    done
    cmp -s "$check/merilane.exe" "$exe" || fail "the merilane.exe in $zip is not the one built"
    produced+=("$zip" "$setup")
done

for file in "${produced[@]}"; do
    printf '%s (%s bytes)\n' "$file" "$(stat -c %s "$file")"
done
