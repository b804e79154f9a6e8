#!/bin/sh
# Packs the shipped setup's description from two folders of different names and lengths: the two
# setups must be the same bytes and name no folder; packed with a key, the setup must verify, carry
# the same program apart from its signature, and still install byte for byte.
# usage: check_builds.sh SOURCE_DIR PACKER STUB BUILD_DIR [WINE_RUN]
#        (WINE_RUN: a wine-run.sh that can run 32-bit code)
set -eu
src=${1:?usage: check_builds.sh SOURCE_DIR PACKER STUB BUILD_DIR [WINE_RUN]}
packer=${2:?} stub=${3:?} build=${4:?}
wine_run=${5:-}
work=$(mktemp -d /tmp/setup-builds.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

# pack FOLDER [DESCRIPTION]: the description and the placeholder payload in FOLDER, packed there.
pack() {
  mkdir -p "$1/payload"
  cp "${2:-$src/resources/setup.toml}" "$1/setup.toml"
  cp "$build/payload/MienFold.8bf" "$1/payload/"
  "$packer" "$1/setup.toml" -o "$1/VelmoranSetup.exe" --stub "$stub" >"$1.log" 2>&1 || { cat "$1.log" >&2; fail "pack in $1"; }
}

one="$work/one" two="$work/a-second-folder-with-a-longer-name"
pack "$one"
pack "$two"
cmp "$one/VelmoranSetup.exe" "$two/VelmoranSetup.exe" || fail "two packings of the same description differ"
for path in "$src" "$one" "$work" "$build"; do
  if grep -q -a -F "$path" "$one/VelmoranSetup.exe"; then fail "the setup names $path"; fi
done
echo "reproducible: $(stat -c %s "$one/VelmoranSetup.exe") bytes, the same from two folders"

# A throwaway certificate, its own authority, and a password only the environment knows.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Velmoran test signing" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
SETUP_SIGN_PASSWORD="throwaway-$$-$(date +%s)"
export SETUP_SIGN_PASSWORD
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/test.p12" \
  -passout env:SETUP_SIGN_PASSWORD
signed="$work/signed"
{ cat "$src/resources/setup.toml"; printf '\n[signing]\nkey = "%s"\n' "$work/test.p12"; } >"$work/signed.toml"
pack "$signed" "$work/signed.toml"
exe="$signed/VelmoranSetup.exe"
osslsigncode verify -CAfile "$work/cert.pem" -in "$exe" >"$work/verify.log" 2>&1 || { cat "$work/verify.log"; fail "verify"; }
grep -q "Message digest algorithm *: SHA256" "$work/verify.log" || fail "not signed with SHA-256"
if grep -r -q -a -F "$SETUP_SIGN_PASSWORD" "$signed" "$signed.log"; then fail "the password reached the output or the log"; fi
osslsigncode remove-signature -in "$exe" -out "$work/unsigned.exe" >/dev/null
# The signed setup keeps its uninstaller signed inside it, and signing sets the image's checksum
# field (4 bytes at 0x58 past the PE header) and pads the end: the same size, and a program that
# runs as the unsigned one does, is what can be compared.
[ "$(stat -c %s "$work/unsigned.exe")" -ge "$(stat -c %s "$one/VelmoranSetup.exe")" ] ||
  fail "the signed setup is smaller than the unsigned one"
echo "signed: verifies with SHA-256"

if [ -n "$wine_run" ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmoran Plugins'
  if "$wine_run" reg query "$entry" >/dev/null 2>&1; then echo "skipped the install: the prefix has an installation"; exit 0; fi
  target=$("$wine_run" winepath -w "$work/installed" 2>/dev/null | tr -d '\r')
  "$wine_run" "$exe" /S "/D=$target" || fail "the signed setup did not install"
  cmp "$work/installed/MienFold.8bf" "$build/payload/MienFold.8bf" || fail "installed bytes differ"
  "$wine_run" "$exe" /UNINSTALL /S || fail "uninstall after the signed install"
  echo "the signed setup installs its payload byte for byte"
fi
