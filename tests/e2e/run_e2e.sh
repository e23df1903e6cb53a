#!/usr/bin/env bash
# Runs the end-to-end tests on a virtual display of their own, stopped however they end.
# Usage: run_e2e.sh E2E_TEST_BINARY STATE_DIR [gtest arguments]
set -u
binary=$1
state=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
display_script="$here/../../scripts/virtual_display.sh"
trap '"$display_script" stop "$state"' EXIT
DISPLAY=$("$display_script" start "$state") || exit 1
export DISPLAY
"$binary" "$@"
status=$?
if [ $status -gt 128 ]; then
  echo "run_e2e.sh: the tests died of signal $((status - 128)); the server's log:"
  tail -20 "$state/xorg.log"
fi
exit $status
