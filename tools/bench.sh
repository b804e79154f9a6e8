#!/usr/bin/env bash
# Builds the benchmarks and runs them under Wine, printing their figures.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/tools/bootstrap.sh"
arch=$(test_arch)
tree="$root/build/$arch"
configure_and_build "$arch" "$tree" -DSETUP_BUILD_TESTS=ON
WINEPREFIX="$tree/wineprefix" "$tree/wine-run.sh" wineboot </dev/null >/dev/null 2>&1
echo "discovery walk vs held-handle walk ($arch build, $(nproc) cores, $(date -u +%F)):"
"$tree/wine-run.sh" "$tree/bin/bench_discovery.exe"
