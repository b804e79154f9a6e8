#!/bin/sh
# Signs a setup executable in place: Authenticode, SHA-256, with osslsigncode.
# usage: sign.sh EXE PKCS12_FILE [TIMESTAMP_URL]
# The key's password comes from the environment variable SETUP_SIGN_PASSWORD only: it goes to
# osslsigncode through a file readable by this user alone, never on a command line or into a log.
set -eu
exe=${1:?usage: sign.sh EXE PKCS12_FILE [TIMESTAMP_URL]}
pkcs12=${2:?usage: sign.sh EXE PKCS12_FILE [TIMESTAMP_URL]}
url=${3:-}
if [ -z "${SETUP_SIGN_PASSWORD+set}" ]; then
  echo "sign.sh: set SETUP_SIGN_PASSWORD to the password of $pkcs12" >&2
  exit 1
fi
umask 077
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s' "$SETUP_SIGN_PASSWORD" > "$work/pass"
set -- sign -pkcs12 "$pkcs12" -readpass "$work/pass" -h sha256 -n "Velmoran Plugins" \
  -i "http://www.velmoran.example/" -in "$exe" -out "$work/signed.exe"
[ -n "$url" ] && set -- "$@" -ts "$url"
osslsigncode "$@" >/dev/null
mv "$work/signed.exe" "$exe"
echo "signed $exe"
