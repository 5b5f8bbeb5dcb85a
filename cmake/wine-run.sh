#!/bin/sh
# Runs a Windows program of the build under Wine, quietly, in whatever prefix the caller chose.
WINEDEBUG=${WINEDEBUG:--all} exec wine "$@"
