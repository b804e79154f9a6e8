#!/bin/sh
# Components and payloads that a setup would get wrong are refused by the build, with a message that
# names the keywords and the entry; keywords in any letter case are taken. So are texts in other
# languages that it would get wrong, with the file and line. One case goes through a
# whole configuration, the rest through the build's own check (tools/components.py).
# usage: check_refused_builds.sh SOURCE_DIR PACKER
set -u
src=${1:?usage: check_refused_builds.sh SOURCE_DIR PACKER}
packer=${2:?usage: check_refused_builds.sh SOURCE_DIR PACKER}
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

# The texts: a language file or a maker's file of component texts that the setup would get wrong
# is refused, naming the file and line. texts OUTCOME MESSAGE_PART COMPONENT_TEXTS [LANGUAGE_FOLDER]
texts() {
  outcome=$1 part=$2
  printf '%b' "$3" >"$work/components.txt"
  if python3 "$src/tools/languages.py" "$work/texts.bin" "$src/src/base/TextId.h" "$src/src/base/Product.h" \
       "${4:-$src/resources/languages}" --components Quill Tide --texts "$work/components.txt" 2>"$work/err"; then
    got=taken
  else
    got=refused
  fi
  if [ "$got" != "$outcome" ] || { [ -n "$part" ] && ! grep -q -F -- "$part" "$work/err"; }; then
    echo "FAILED: expected $outcome with \"$part\" for: $3"; cat "$work/err"; fail=1
  fi
}
texts taken '' '[de]\nQuill = Quill-Skizze | Zum Installieren von Quill\n[ja]\nTide = Tide ブラー | Tide をインストールします\n'
texts refused 'components.txt:2: not Keyword = caption | status text' '[de]\nQuill = Quill-Skizze\n'
texts refused 'components.txt:1: [xx] is no built-in language' '[xx]\n'
texts refused 'components.txt:2: Riptide is no component' '[de]\nRiptide = Riptide | Riptide installieren\n'
cp -r "$src/resources/languages" "$work/languages"
sed -i '/^Prompt = /d' "$work/languages/de.txt"
texts refused 'de.txt:9: BrowseEntry where Prompt belongs' '' "$work/languages"
cp "$src/resources/languages/de.txt" "$work/languages/de.txt"
sed -i 's/^\(RetryAfterClosing = .*\){2}/\1/' "$work/languages/fr.txt"
texts refused 'RetryAfterClosing has the placeholders' '' "$work/languages"
# What a machine sees of typography and terms: French without its non-breaking space, Chinese with
# a half-width colon, a status text with a full stop, a variant of a word the language's file says
# otherwise (terms.txt).
cp "$src/resources/languages/fr.txt" "$work/languages/fr.txt"
sed -i 's/^\(Prompt = .*\)\xc2\xa0:$/\1 :/' "$work/languages/fr.txt"
texts refused "fr.txt:9: French puts a non-breaking space before ':'" '' "$work/languages"
cp "$src/resources/languages/fr.txt" "$work/languages/fr.txt"
sed -i 's/^\(Prompt = .*\)\xef\xbc\x9a$/\1:/' "$work/languages/zh-CN.txt"
texts refused "zh-CN.txt:9: ':' where zh-CN writes full-width punctuation" '' "$work/languages"
cp "$src/resources/languages/zh-CN.txt" "$work/languages/zh-CN.txt"
sed -i 's/^\(InstallStatus = .*\)$/\1./' "$work/languages/de.txt"
texts refused 'de.txt:16: a status text ends without a full stop' '' "$work/languages"
sed -i 's/^\(InstallStatus = .*\)\.$/\1/; s/^\(BrowseTitle = .*\)Plug-in/\1Plugin/' "$work/languages/de.txt"
texts refused "de.txt:11: says 'Plugin' where the file says 'Plug-in'" '' "$work/languages"

# A maker's setup carries the languages it names, English always; never one there are no texts of.
carried() {
  python3 "$src/tools/languages.py" "$work/few.bin" "$src/src/base/TextId.h" "$src/src/base/Product.h" \
    "$src/resources/languages" --languages "$@" --components Quill 2>"$work/err" &&
    python3 -c 'import struct,sys; print(struct.unpack("<H", open(sys.argv[1], "rb").read()[6:8])[0])' "$work/few.bin"
}
[ "$(carried de ja)" = 3 ] || { echo "FAILED: German and Japanese did not make three languages"; fail=1; }
if carried de xx >/dev/null || ! grep -q "no built-in language xx" "$work/err"; then
  echo "FAILED: a language without texts was taken"; cat "$work/err"; fail=1
fi

# A payload larger than the 32-bit setup can install is refused before any of it is read (a file
# with holes stands in for a model of that size).
truncate -s 1610612737 "$work/model.bin"
if "$packer" "$work/packed" "$work/payload.rc" MODEL.BIN="$work/model.bin" 2>"$work/err" ||
   ! grep -q "larger than the 32-bit setup can install" "$work/err" || [ -e "$work/payload.rc" ]; then
  echo "FAILED: a payload too large for the setup was taken"; cat "$work/err"; fail=1
fi

# The build itself stops on such a set, before anything is built.
if cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-mingw-i686.cmake" \
     -DSETUP_BUILD_TESTS=OFF "-DSETUP_COMPONENTS=$tide;Riptide|Riptide Plug-in|Select" >"$work/build.log" 2>&1 ||
   ! grep -q "'Tide' and 'Riptide'" "$work/build.log"; then
  echo "FAILED: the build took keywords one inside the other"; cat "$work/build.log"; fail=1
fi
[ $fail -eq 0 ] && echo "ok: every set the setup would get wrong is refused"
exit $fail
