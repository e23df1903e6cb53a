#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; extra arguments go to cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install_deps.sh" --tests
"$root/scripts/build.sh" "$@"
cd "${BUILD_DIR:-$root/build}"
# The end-to-end tests are left out of a build without the X11 libraries: here they must run.
# (grep reads the whole listing: with -q it would stop early and fail the pipe.)
ctest -N | grep end_to_end >/dev/null || { echo "test.sh: the end-to-end tests were not built" >&2; exit 1; }
# TEST_EXCLUDE, a CTest regular expression, leaves tests out (CI runs the benchmark's on one
# release only).
ctest --output-on-failure ${TEST_EXCLUDE:+-E "$TEST_EXCLUDE"}
