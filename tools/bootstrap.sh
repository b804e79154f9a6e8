#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and nothing else.
# As root it installs what is missing; otherwise it names the packages and stops.
set -euo pipefail

# Any arguments are further packages the calling command needs.
packages=(cmake ninja-build gcc libc6-dev lzma-dev g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
          g++-mingw-w64-x86-64 mingw-w64-x86-64-dev wine64
          wine wine32:i386 xvfb xauth googletest python3 python3-yaml python3-jsonschema locales osslsigncode openssl libtomlplusplus-dev
          fonts-wqy-microhei "$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# Wine runs a program with the double-byte code page 932 only when the Japanese locale exists, and
# in a user's display language only when that language's locale exists: German, which the setup
# speaks, and Swahili, which it does not (the tests of its languages).
locales=(ja_JP de_DE sw_KE)
locales_missing() {
  for l in "${locales[@]}"; do locale -a 2>/dev/null | grep -qix "$l.utf8" || return 0; done
  return 1
}

[ ${#missing[@]} -eq 0 ] && ! locales_missing && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}; or the locales ${locales[*]} (UTF-8) are not generated." >&2
  echo "As root: dpkg --add-architecture i386 && apt-get update && apt-get install -y ${missing[*]} locales" >&2
  echo "         and add '<locale>.UTF-8 UTF-8' lines for them to /etc/locale.gen, then locale-gen" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if locales_missing; then
  for l in "${locales[@]}"; do
    grep -q "^$l.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null || echo "$l.UTF-8 UTF-8" >> /etc/locale.gen
  done
  locale-gen >/dev/null
fi
