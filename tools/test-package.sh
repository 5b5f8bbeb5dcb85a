#!/usr/bin/env bash
# Makes the packages (tools/package.sh), then, under Wine on a private display and a private
# prefix, installs the x86_64 setup silently, checks what it installed and registered, starts
# Merilane from its Start-menu entry, uninstalls silently and checks that nothing is left.
# The i686 setup is built and checked by package.sh but never run: the machines this runs on
# are not counted on to start 32-bit programs.
# Ends with one summary line; exits non-zero, naming each failed check, on any failure.
# Usage: tools/test-package.sh [WINE-PREFIX]
set -euo pipefail
# A step that ends the script on its own names itself, instead of leaving the run unexplained.
trap 'echo "test-package.sh: stopped at line $LINENO: $BASH_COMMAND" >&2' ERR
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/package.sh"
echo "== Packages made (at $SECONDS s)"

# Read here from the project() line itself, not from the build's copy, so that a fault in how
# the build hands the version on shows up as a mismatch below.
version=$(sed -n 's/^project(Merilane VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "test-package.sh: no version in CMakeLists.txt's project()" >&2; exit 1; }
setup="$root/build/dist/merilane-$version-x86_64-setup.exe"
zip="$root/build/dist/merilane-$version-x86_64.zip"
probe="$root/build/x86_64/bin/merilane_window_probe.exe"
title="Main menu - Merilane $version (beta) "
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Merilane'

passed=0
failed=()
pass() { passed=$((passed + 1)); }
fail() { failed+=("$1"); echo "FAILED: $1"; }
check() { local what=$1; shift; if "$@"; then pass; else fail "$what"; fi; }
summary() {
    local total=$((passed + ${#failed[@]}))
    if ((${#failed[@]})); then
        printf 'Package test: %d of %d checks failed: %s\n' "${#failed[@]}" "$total" \
            "$(printf '%s; ' "${failed[@]}" | sed 's/; $//')"
        return 1
    fi
    echo "Package test: all $total checks passed (install, start, uninstall of $(basename "$setup"))"
}
# A step the rest depends on: stop here, with the summary.
fatal() { fail "$1"; summary || true; exit 1; }

# The prefix may be one the tests use already (the first argument): the checks look only at
# what the setup makes, and a prefix takes half a minute to make.
prefix=${1:-"$root/build/wineprefix-package"}
dirty="$prefix/.package-test-dirty"
# A run that stopped half-way may have left Merilane installed, which would hide faults of the
# next run: start again from a new prefix then.
if [ -e "$dirty" ]; then
    echo "A previous run did not finish cleanly; making a new Wine prefix"
    rm -rf "$prefix"
fi
source "$root/tools/wine-bench.sh"
trap bench_stop EXIT
bench_start "$prefix" "$root/build/x86_64/bin/merilane_fixture.exe"
# Wine would turn the Start-menu shortcut into a menu entry of the X desktop of this machine.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

# What a Wine program prints, asked up to three times: the first programs of a prefix whose
# server has just started may fail.
wine_answer() {
    local i out
    for i in 1 2 3; do
        out=$(bench_wine "$@" 2>/dev/null </dev/null | tr -d '\r') && [ -n "$out" ] &&
            { printf '%s\n' "$out"; return 0; }
        sleep 1
    done
    return 1
}
win_env() { wine_answer cmd /c echo "%$1%"; }
unix_path() { wine_answer winepath -u "$1"; }
lower() { tr '[:upper:]' '[:lower:]' <<<"$1"; }
same_path() { [ "$(lower "$1")" = "$(lower "$2")" ]; }
# The uninstall key as it is right after the install: one query instead of one per value.
key_dump=
reg_value() { # the data of one value of the uninstall key, empty when there is none
    sed -n "s/^ *$1 *REG_[A-Z_]* *//p" <<<"$key_dump"
}
key_exists() { bench_wine reg query "$key" >/dev/null 2>&1 </dev/null; }
wait_until() { # SECONDS COMMAND...: true once COMMAND succeeds, false at the deadline
    local deadline=$((SECONDS + $1)); shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.5
    done
}
gone() { [ ! -e "$1" ]; }
key_absent() { ! key_exists; }
all_files() { local f; for f; do [ -f "$f" ] || return 1; done; }
is_one() { [ "$(reg_value "$1")" = 0x1 ]; }
size_matches() { # EstimatedSize, in KiB, against the files' own sizes
    local kib total
    kib=$(reg_value EstimatedSize)
    total=$(find "$inst" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }')
    [ -n "$kib" ] && (( kib * 1024 > total - 1024 && kib * 1024 < total + 1024 ))
}
left_whole() { # what a refused setup or uninstall must leave as it was
    [ "$(md5sum <"$inst/merilane.exe")" = "$exe_sum" ] &&
        all_files "$inst/uninstall.exe" "$inst/README.txt" "$inst/LICENSE.txt" "$lnk" && key_exists
}

localappdata=$(win_env LOCALAPPDATA) || true
appdata=$(win_env APPDATA) || true
[ -n "$localappdata" ] && [ -n "$appdata" ] || fatal "reading %LOCALAPPDATA% and %APPDATA% in Wine"
inst_win="$localappdata\\Programs\\Merilane"
lnk_win="$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Merilane.lnk"
inst=$(unix_path "$inst_win") || true
lnk=$(unix_path "$lnk_win") || true
programs=$(dirname "$inst")
[ -n "$inst" ] && [ -n "$lnk" ] || fatal "turning Wine paths into paths of this machine"
programs_existed=no
[ -d "$programs" ] && programs_existed=yes

gone "$inst" && gone "$lnk" && ! key_exists || fatal "the prefix already has Merilane installed"
touch "$dirty"

echo "== Silent install of $(basename "$setup") (at $SECONDS s)"
rc=0
timeout 120 "$WINE64_LOADER" "$setup" /S </dev/null >/dev/null 2>&1 || rc=$?
[ "$rc" = 0 ] || fatal "silent install (exit code $rc)"
pass

check "installed merilane.exe under %LOCALAPPDATA%\\Programs\\Merilane" [ -f "$inst/merilane.exe" ]
check "installed merilane.exe is the one in the zip" \
    cmp -s "$inst/merilane.exe" <(unzip -p "$zip" merilane.exe)
check "README.txt, LICENSE.txt and uninstall.exe installed" \
    all_files "$inst/README.txt" "$inst/LICENSE.txt" "$inst/uninstall.exe"
check "Start-menu shortcut" [ -f "$lnk" ]
key_dump=$(bench_wine reg query "$key" 2>/dev/null </dev/null | tr -d '\r') || true
check "uninstall key in HKCU" key_exists
check "DisplayVersion is $version" [ "$(reg_value DisplayVersion)" = "$version" ]
check "DisplayName is Merilane" [ "$(reg_value DisplayName)" = "Merilane" ]
check "Publisher" [ -n "$(reg_value Publisher)" ]
check "InstallLocation is the install folder" same_path "$(reg_value InstallLocation)" "$inst_win"
check "UninstallString names the uninstaller" \
    same_path "$(reg_value UninstallString)" "\"$inst_win\\uninstall.exe\""
check "QuietUninstallString is the uninstaller with /S" \
    same_path "$(reg_value QuietUninstallString)" "\"$inst_win\\uninstall.exe\" /S"
check "DisplayIcon is merilane.exe" same_path "$(reg_value DisplayIcon)" "$inst_win\\merilane.exe,0"
check "NoModify is 1" is_one NoModify
check "NoRepair is 1" is_one NoRepair
check "EstimatedSize is the size of the installed files" size_matches

echo "== Start from the Start-menu entry (at $SECONDS s)"
bench_wine start "$lnk_win" </dev/null >/dev/null 2>&1 || true
found=$(bench_wine "$probe" "$title" --wait 20000 2>&1 </dev/null | tr -d '\r') ||
    fatal "window \"$title\" after starting from the Start menu: $found"
pass
echo "$found"
check "the window belongs to the installed merilane.exe" \
    same_path "$(sed -n 's/^found pid=[0-9]* exe=//p' <<<"$found")" "$inst_win\\merilane.exe"

# While Merilane runs, neither a new install nor the uninstaller may leave a half-done copy.
exe_sum=$(md5sum <"$inst/merilane.exe")
rc=0
timeout 120 "$WINE64_LOADER" "$setup" /S </dev/null >/dev/null 2>&1 || rc=$?
check "setup refuses while Merilane runs (exit code $rc)" [ "$rc" != 0 ]
rc=0
# _?= keeps the uninstaller where it is, so that its exit code comes back.
timeout 120 "$WINE64_LOADER" "$inst/uninstall.exe" /S "_?=$inst_win" </dev/null >/dev/null 2>&1 || rc=$?
check "uninstaller refuses while Merilane runs (exit code $rc)" [ "$rc" != 0 ]
check "a refused setup and uninstall leave the installed copy whole" left_whole

closed=$(bench_wine "$probe" "$title" --wait 2000 --close 20000 2>&1 </dev/null | tr -d '\r') || true
check "Merilane ends after WM_CLOSE: $(tail -n 1 <<<"$closed")" grep -q '^ended exit=0$' <<<"$closed"

echo "== Silent uninstall (at $SECONDS s)"
# What "Start with Windows" writes for this copy goes with it.
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
bench_wine reg add "$run_key" /v Merilane /d "\"$inst_win\\merilane.exe\"" /f </dev/null >/dev/null 2>&1
run_absent() { ! bench_wine reg query "$run_key" /v Merilane </dev/null >/dev/null 2>&1; }
rc=0
timeout 60 "$WINE64_LOADER" "$inst/uninstall.exe" /S </dev/null >/dev/null 2>&1 || rc=$?
check "uninstaller starts (exit code $rc)" [ "$rc" = 0 ]
# The uninstaller copies itself to %TEMP% and returns at once; the copy takes the folder last.
if wait_until 30 gone "$inst"; then
    pass
else
    fail "install folder still there 30 s after uninstalling, with: $(cd "$inst" && ls -A | tr '\n' ' ')"
fi
check "no Start-menu entry left" gone "$lnk"
check "reg query still answers for a key that exists" \
    bench_wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion' </dev/null >/dev/null 2>&1
check "no uninstall key left" key_absent
check "no \"Start with Windows\" value left" run_absent
if [ "$programs_existed" = no ]; then
    check "the Programs folder the setup made is gone too" wait_until 5 gone "$programs"
fi
# Outside what the setup made: the folders the uninstaller copies itself to, left behind empty.
# Reported, then the empty ones cleared (the latest may still be in use), so that they do not
# pile up in this prefix from run to run.
temp=$(unix_path "$(win_env TEMP)")
leftovers=$(cd "$temp" 2>/dev/null && find . -maxdepth 1 -name '~nsu*.tmp' -printf '%f ') || true
if [ -n "$leftovers" ]; then
    echo "note: left in %TEMP% by the uninstaller's copy of itself: $leftovers"
    find "$temp" -maxdepth 1 -name '~nsu*.tmp' -type d -empty -delete
fi

summary
rm -f "$dirty"
