# Sourced by the test and demo scripts: a private X display, a private Wine prefix with a
# virtual desktop, and a persistent wineserver, all torn down by bench_stop.
# Callers set BENCH_DIR (where the prefix lives) before sourcing.

# Debian's /usr/bin/wine always picks the 32-bit loader when it is installed, and that loader
# cannot start on a kernel without 32-bit support; take the 64-bit loader directly instead.
WINE64_LOADER=/usr/lib/wine/wine64
WINE32_LOADER=/usr/lib/wine/wine

# Whether this machine starts 32-bit programs: some kernels refuse the 32-bit loader outright.
bench_can_run_32bit() { "$WINE32_LOADER" --version >/dev/null 2>&1; }

# The path a Windows program of the prefix sees for a file of this machine (drive Z: is /).
bench_windows_path() { printf 'Z:%s' "$(realpath "$1" | tr / '\\')"; }

bench_wine() { WINELOADER=$WINE64_LOADER "$WINE64_LOADER" "$@"; }

# Benches that start at once look from different numbers (BENCH_DISPLAY_FROM), so that they
# cannot both take the same free one.
bench_free_display() {
    local n from=${BENCH_DISPLAY_FROM:-90}
    for n in $(seq "$from" $((from + 50))); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { echo "$n"; return; }
    done
    return 1
}

# bench_make_prefix PREFIX [DPI]
bench_make_prefix() {
    local prefix=$1 dpi=${2:-96}
    [ -f "$prefix/.merilane-ready" ] && return 0
    rm -rf "$prefix"
    mkdir -p "$prefix"
    echo "Creating Wine prefix $prefix"
    bench_wine wineboot -i >/dev/null 2>&1 </dev/null || true
    # One virtual desktop for every program of the prefix, so that Wine itself manages frames,
    # activation, z-order and focus.
    bench_wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    bench_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
    # A crashing program must end, not wait on a modal crash dialog nobody will answer.
    bench_wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    local from to
    for pair in "Arial=Liberation Sans" "Segoe UI=Tahoma" "MS Shell Dlg=Tahoma" "Microsoft Sans Serif=Tahoma"; do
        from=${pair%%=*}; to=${pair#*=}
        bench_wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$from" /d "$to" /f >/dev/null 2>&1
    done
    # The resolution every program of the prefix is drawn at.
    bench_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
    "$(dirname "$WINE64_LOADER")/wineserver" -w
    touch "$prefix/.merilane-ready"
}

# bench_prepare PREFIX [DPI]: makes the prefix on a display of its own, so that it can be made
# while something else runs (wineboot takes half a minute, mostly waiting).
bench_prepare() (
    BENCH_KEEP_DISPLAY=
    bench_start "$1" "" "${2:-96}"
    bench_stop
)

# bench_start PREFIX [KEEPER.EXE] [DPI]
bench_start() {
    export WINEPREFIX=$1
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINELOADER=$WINE64_LOADER
    local keeper=${2:-} dpi=${3:-96}
    if [ -z "${BENCH_KEEP_DISPLAY:-}" ]; then
        BENCH_DISPLAY_NUM=$(bench_free_display)
        Xvfb ":$BENCH_DISPLAY_NUM" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        BENCH_XVFB_PID=$!
        export DISPLAY=":$BENCH_DISPLAY_NUM"
        local i
        for i in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$BENCH_DISPLAY_NUM" ] && break
            sleep 0.1
        done
    fi
    bench_make_prefix "$WINEPREFIX" "$dpi"
    # A server of the prefix's last bench may still be ending (it refuses a second one, exit 2).
    /usr/lib/wine/wineserver -p 2>/dev/null ||
        { timeout 30 /usr/lib/wine/wineserver -w || true; /usr/lib/wine/wineserver -p; }
    # Wine's helper processes must start outside ctest: they would inherit a test's output pipe
    # and keep ctest waiting for end-of-file.
    bench_wine cmd /c exit >/dev/null 2>&1 </dev/null || true
    if [ -n "$keeper" ]; then
        # The virtual desktop ends with its last window; one hidden window keeps it up.
        bench_wine "$keeper" --hidden --title "Merilane test bench" >/dev/null 2>&1 </dev/null &
        BENCH_KEEPER_PID=$!
        sleep 1
    fi
}

bench_stop() {
    # -k only signals the server: the next bench of the prefix waits until it has ended.
    [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver -k >/dev/null 2>&1 &&
        timeout 30 /usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
    [ -n "${BENCH_KEEPER_PID:-}" ] && kill "$BENCH_KEEPER_PID" >/dev/null 2>&1 || true
    [ -n "${BENCH_XVFB_PID:-}" ] && kill "$BENCH_XVFB_PID" >/dev/null 2>&1 || true
    BENCH_KEEPER_PID= BENCH_XVFB_PID=
}
