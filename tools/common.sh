# Shared by the run and test commands: paths, the 32-bit question, and the builds.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='

# The setup program is 32-bit. Some kernels (and so their Wine) cannot run 32-bit code at all;
# there the tests run a 64-bit build of the same sources. SETUP_TEST_ARCH=i686|x86_64 overrides.
test_arch() {
  if [ -n "${SETUP_TEST_ARCH:-}" ]; then
    echo "$SETUP_TEST_ARCH"
  elif /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo i686
  else
    echo x86_64
  fi
}

# configure_and_build ARCH BUILD_DIR [cmake options...]
configure_and_build() {
  local arch=$1 dir=$2
  shift 2
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" "$@" >/dev/null
  elif [ $# -gt 0 ]; then
    cmake "$dir" "$@" >/dev/null
  fi
  cmake --build "$dir"
}
