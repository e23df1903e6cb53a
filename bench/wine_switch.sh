#!/usr/bin/env bash
# The Windows programs' size switch timed under Wine on the virtual display ($DISPLAY): the zip
# built (scripts/build_windows.sh finds the Allegro source as the build does), unpacked, and
# run in one Wine session.
# Usage: wine_switch.sh WINDOWS_BUILD_DIR BENCH_RUNNER PRESSES
set -uo pipefail
runner=$2
presses=$3
source "$(dirname "$0")/../tests/windows/wine_support.sh" "$1" "" ""
zip=$(BUILD_DIR=$build "$root/scripts/build_windows.sh" | tail -1) || exit 1
rm -rf "$build/bench_unpacked"
mkdir -p "$build/bench_unpacked"
(cd "$build/bench_unpacked" && unzip -q "$zip") || exit 1
export WINEPREFIX=$build/wine
start_wine_session
"$runner" switch "$presses" "$wine" "$build/bench_unpacked/$(basename "$zip" .zip)"
