#!/usr/bin/env bash
# Builds everything and runs the whole test suite under Wine and a private Xvfb display.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/tools/bootstrap.sh"

arch=$(test_arch)
product="$root/build/i686"
if [ "$arch" = i686 ]; then
  tests="$product"
  configure_and_build i686 "$product" -DSETUP_BUILD_TESTS=ON
else
  echo "This machine cannot run 32-bit code: the tests run a 64-bit build of the same sources." >&2
  configure_and_build i686 "$product" -DSETUP_BUILD_TESTS=OFF
  tests="$root/build/$arch"
  configure_and_build "$arch" "$tests" -DSETUP_BUILD_TESTS=ON \
    -DSETUP_PRODUCT_EXE="$product/bin/VelmoranSetup.exe"
fi

xvfb-run -a -s '-screen 0 1024x768x24' "$root/tools/run-suite.sh" "$tests" "$@"
