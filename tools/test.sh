#!/usr/bin/env bash
# Builds everything and runs the whole test suite under Wine and a private Xvfb display.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/tools/bootstrap.sh"

arch=$(test_arch)
product="$root/build/i686"
# Both builds of the tests always compile, wherever they can run: only the 32-bit one shows the
# faults of its calling conventions, and it is the build users run.
configure_and_build i686 "$product" -DSETUP_BUILD_TESTS=ON
configure_and_build x86_64 "$root/build/x86_64" -DSETUP_BUILD_TESTS=ON \
  -DSETUP_PRODUCT_EXE="$product/bin/VelmoranSetup.exe"
tests="$root/build/$arch"
[ "$arch" = i686 ] || echo "This machine cannot run 32-bit code: the tests run the 64-bit build." >&2

echo "Running the $arch test suite in $tests"
status=0
xvfb-run -a -s '-screen 0 1024x768x24' "$root/tools/run-suite.sh" "$tests" "$@" || status=$?
echo "The $arch test suite ran (the i686 tests were built either way)."
exit $status
