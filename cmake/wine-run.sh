#!/bin/sh
# Runs a command under Wine on a virtual X display, in a Wine prefix of our own.
#   wine-run.sh PREFIX WINE WINESERVER XVFB_RUN COMMAND [ARGS...]
# Waits until every process of the prefix has ended, so that no wineserver
# outlives the display it was started on.
set -eu
prefix=$1 wine=$2 wineserver=$3 xvfb_run=$4
shift 4

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINELOADER="$wine"
export WINESERVER="$wineserver"
# No Mono or Gecko installer prompts while the prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="

exec "$xvfb_run" -a -s "-screen 0 1024x768x24" sh -c '
  "$WINESERVER" -p0 2>/dev/null || true
  "$@"
  status=$?
  "$WINESERVER" -w
  exit $status' wine-run "$@"
