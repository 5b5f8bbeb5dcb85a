#!/bin/sh
# Runs a Windows program of the build under Wine, quietly, with the loader and prefix the
# caller chose (tools/test.sh sets both).
WINEDEBUG=${WINEDEBUG:--all} exec "${MERILANE_WINE:-wine}" "$@"
