#!/usr/bin/env bash
# The programs cross-built for arm64 by scripts/build_arm64.sh, run under qemu-aarch64-static
# as on a Raspberry Pi: the native programs' scenario on a bare X server (x), or, as native
# Wayland clients, the native session's checks in sway's session with no Xwayland, the
# compositor itself native (sway: the Raspberry Pi desktop is a Wayland compositor).
# Usage: arm64_test.sh x|sway BUILD_DIR E2E_TESTS SCREEN_TOOL [WAYLAND_KEYS]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
where=$1
build=$2
e2e_tests=$3
screen_tool=$4
programs=$(BUILD_DIR=$build/arm64 "$here/../scripts/build_arm64.sh" -DDEMO_WARNINGS_AS_ERRORS=ON | tail -1)
[ -x "$programs/bounce_fit" ] || { echo "arm64_test: the arm64 build failed"; exit 1; }
export E2E_EMULATOR=qemu-aarch64-static E2E_PROGRAM_DIR=$programs
case $where in
x) exec bash "$here/e2e/run_e2e.sh" "$e2e_tests" "$build/arm64/virtual_display" \
  --gtest_filter='all/program_e2e.runs_*' ;;
sway) exec bash "$here/e2e/native_session_test.sh" sway "$programs" "$screen_tool" "${5:?}" ;;
esac
echo "arm64_test: no \"$where\" (x or sway)" >&2
exit 2
