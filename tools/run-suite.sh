#!/usr/bin/env bash
# Runs ctest in a build tree, inside the display that test.sh started for it.
# One Wine session serves the whole run, bound to this display. Its service processes are started
# here, away from ctest's output pipes, and the server is kept alive until the end.
set -uo pipefail
tests=${1:?usage: run-suite.sh BUILD_DIR [ctest options...]}
shift
export WINEPREFIX="$tests/wineprefix"
wineserver -k 2>/dev/null
"$tests/wine-run.sh" wineboot </dev/null >/dev/null 2>&1
wineserver -p </dev/null >/dev/null 2>&1
ctest --test-dir "$tests" -j2 --output-on-failure "$@"
status=$?
wineserver -k 2>/dev/null
exit $status
