#!/bin/sh
# Runs a Windows program of the build under Wine, quietly, with the loader and prefix the
# caller chose (tools/test.sh sets both).
# A program that never reaches its own code (the loader refused it, a library is missing, the
# server went away) leaves no output, and ctest shows only "Failed": so an unsuccessful end is
# named here with its exit code. Wine dies with this script, as it would have had the script
# handed over to it, so that ctest's kill on a time-out still reaches it.
# The program's output goes through files that are read as they grow, until it ends: a process
# it started and left running (a helper of Wine's, say) keeps the files open, not ctest's pipes,
# which ctest would wait on until its time-out.
# With several benches (MERILANE_BENCHES: the files that say what runs on each), the program
# takes the first free one and holds it until it ends; nothing it starts inherits the hold, so a
# process it leaves running cannot keep the bench from the next test.
if [ -n "${MERILANE_BENCHES:-}" ]; then
    bench=
    while [ -z "$bench" ]; do
        for env in $MERILANE_BENCHES; do
            exec 9>"$env.lock"
            if flock -n 9; then bench=$env; break; fi
            exec 9>&-
        done
        [ -n "$bench" ] || sleep 0.05
    done
    . "$bench"
fi
out=$(mktemp) && err=$(mktemp) || exit 1
trap 'rm -f "$out" "$err"' EXIT
run() {
    WINEDEBUG=${WINEDEBUG:--all} setpriv --pdeathsig KILL "${MERILANE_WINE:-wine}" "$@" >"$out" 2>"$err" 9>&- &
    pid=$!
    tail -s 0.05 --pid="$pid" -f -n +1 "$out" 9>&- &
    tail -s 0.05 --pid="$pid" -f -n +1 "$err" >&2 9>&- &
    wait "$pid"
    rc=$?
    wait
}
run "$@"
# A program that ended unsuccessfully before it printed a thing never reached its own code
# (seen once in a loaded run: exit code 1 after 0.1 s); once more tells Wine's moment from a
# fault of the program, which ends the same way again.
if [ "$rc" -ne 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ]; then
    echo "wine-run: $(basename "$1") $2 ended with exit code $rc before printing anything; once more" >&2
    run "$@"
fi
if [ "$rc" -ne 0 ]; then
    case $rc in
    1) why="failed tests, or an exit through the program's last resort" ;;
    3) why="abort or std::terminate" ;;
    5) why="access violation (0xc0000005)" ;;
    53) why="a library or the program was not found" ;;
    126 | 127) why="the loader ${MERILANE_WINE:-wine} could not be started" ;;
    *) why="see the output above" ;;
    esac
    echo "wine-run: $(basename "$1") $2 ended with exit code $rc: $why" >&2
fi
exit "$rc"
