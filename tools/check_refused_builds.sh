#!/bin/sh
# Components and payloads that a setup would get wrong are refused by the build, with a message that
# names the keywords and the entry; keywords in any letter case are taken. One case goes through a
# whole configuration, the rest through the build's own check (tools/components.py).
# usage: check_refused_builds.sh SOURCE_DIR
set -u
src=${1:?usage: check_refused_builds.sh SOURCE_DIR}
work=$(mktemp -d /tmp/setup-refused.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail=0

# expect OUTCOME MESSAGE_PART ARGS...: OUTCOME is "refused" or "taken"
expect() {
  outcome=$1 part=$2
  shift 2
  if python3 "$src/tools/components.py" - "$@" 2>"$work/err"; then got=taken; else got=refused; fi
  if [ "$got" != "$outcome" ] || { [ -n "$part" ] && ! grep -q -F -- "$part" "$work/err"; }; then
    echo "FAILED: expected $outcome with \"$part\" for: $*"; cat "$work/err"; fail=1
  fi
}
quill='QUILL|Quill Sketch Plug-in|Select to install Quill Sketch'
tide='Tide|Tide Blur Plug-in|Select to install Tide Blur'
expect taken '' --components "$quill" "$tide" --payload QUILL/QUILL__SKETCH.8BF=q Tide/TIDE__BLUR.8BF=t MIEN.8BF=m
expect refused "'Tide' and 'Riptide'" --components "$tide" 'Riptide|Riptide Plug-in|Select' --payload
expect refused "'tide' and 'RIPTIDE'" --components 'RIPTIDE|Riptide|Select' 'tide|Tide|Select' --payload
expect refused "'QUILL/TIDE_QUILL.8BF=x' installs as 'Tide Quill.8bf', which holds the keyword 'Tide'" \
  --components "$quill" "$tide" --payload QUILL/TIDE_QUILL.8BF=x
expect refused "holds the keywords 'QUILL' and 'Tide'" --components "$quill" "$tide" --payload QUILL_TIDE.8BF=x
expect refused "does not hold its component's keyword 'Tide'" --components "$tide" --payload Tide/BLUR.8BF=x
expect refused "'CON.8BF=x' installs as 'Con.8bf', which is no plain file name" --components --payload CON.8BF=x
expect refused "installs as '..', which is no plain file name" --components --payload ..=x

# The build itself stops on such a set, before anything is built.
if cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw-i686.cmake" \
     -DSETUP_BUILD_TESTS=OFF "-DSETUP_COMPONENTS=$tide;Riptide|Riptide Plug-in|Select" >"$work/build.log" 2>&1 ||
   ! grep -q "'Tide' and 'Riptide'" "$work/build.log"; then
  echo "FAILED: the build took keywords one inside the other"; cat "$work/build.log"; fail=1
fi
[ $fail -eq 0 ] && echo "ok: every set the setup would get wrong is refused"
exit $fail
