#!/bin/sh
# Builds the shipped setup three times from these sources, in folders of different names and
# lengths: the two unsigned builds must be the same bytes and name no folder of the build; the signed
# one must verify, carry the same program apart from its signature, and still install byte for byte.
# usage: check_builds.sh SOURCE_DIR [WINE_RUN]   (WINE_RUN: a wine-run.sh that can run 32-bit code)
set -eu
src=${1:?usage: check_builds.sh SOURCE_DIR [WINE_RUN]}
wine_run=${2:-}
work=$(mktemp -d /tmp/setup-builds.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

build() {
  dir=$1; shift
  if ! { cmake -S "$src" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw-i686.cmake" \
           -DSETUP_BUILD_TESTS=OFF "$@" && cmake --build "$dir" --target VelmoranSetup; } >"$dir.log" 2>&1; then
    cat "$dir.log" >&2
    fail "build in $dir"
  fi
}

one="$work/one" two="$work/a-second-folder-with-a-longer-name"
build "$one"
build "$two"
cmp "$one/bin/VelmoranSetup.exe" "$two/bin/VelmoranSetup.exe" || fail "two builds of the same sources differ"
for path in "$src" "$one" "$work"; do
  if grep -q -a -F "$path" "$one/bin/VelmoranSetup.exe"; then fail "the executable names $path"; fi
done
echo "reproducible: $(stat -c %s "$one/bin/VelmoranSetup.exe") bytes, the same from two folders"

# A throwaway certificate, its own authority, and a password only the environment knows.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Velmoran test signing" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
SETUP_SIGN_PASSWORD="throwaway-$$-$(date +%s)"
export SETUP_SIGN_PASSWORD
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/test.p12" \
  -passout env:SETUP_SIGN_PASSWORD
signed="$work/signed"
build "$signed" -DSETUP_SIGN_PKCS12="$work/test.p12"
exe="$signed/bin/VelmoranSetup.exe"
osslsigncode verify -CAfile "$work/cert.pem" -in "$exe" >"$work/verify.log" 2>&1 || { cat "$work/verify.log"; fail "verify"; }
grep -q "Message digest algorithm *: SHA256" "$work/verify.log" || fail "not signed with SHA-256"
if grep -r -q -a -F "$SETUP_SIGN_PASSWORD" "$signed" "$signed.log"; then fail "the password reached the build tree or log"; fi
osslsigncode remove-signature -in "$exe" -out "$work/unsigned.exe" >/dev/null
# Signing sets the image's checksum field (4 bytes at 0x58 past the PE header) and pads the end.
pe=$(od -An -tu4 -j60 -N4 "$one/bin/VelmoranSetup.exe" | tr -d ' ')
size=$(stat -c %s "$one/bin/VelmoranSetup.exe")
for f in "$one/bin/VelmoranSetup.exe" "$work/unsigned.exe"; do
  head -c "$size" "$f" | { head -c $((pe + 88)); head -c 4 >/dev/null; printf '\0\0\0\0'; cat; } >"$f.masked"
done
cmp "$one/bin/VelmoranSetup.exe.masked" "$work/unsigned.exe.masked" || fail "the signed setup carries another program"
echo "signed: verifies with SHA-256, the same program as the unsigned build"

if [ -n "$wine_run" ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmoran Plugins'
  if "$wine_run" reg query "$entry" >/dev/null 2>&1; then echo "skipped the install: the prefix has an installation"; exit 0; fi
  target=$("$wine_run" winepath -w "$work/installed" 2>/dev/null | tr -d '\r')
  "$wine_run" "$exe" /S "/D=$target" || fail "the signed setup did not install"
  cmp "$work/installed/MienFold.8bf" "$one/payload/MIEN__FOLD.8BF" || fail "installed bytes differ"
  "$wine_run" "$exe" /UNINSTALL /S || fail "uninstall after the signed install"
  echo "the signed setup installs its payload byte for byte"
fi
