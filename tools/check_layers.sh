#!/bin/sh
# Each folder under src/ is one layer; a file includes only its own layer's headers and those of
# the layers below it. Lists every include that goes up or sideways, and fails if there is one.
src=${1:-$(dirname "$0")/../src}
rank() {
  case $1 in
    format) echo 0 ;;
    base|pack) echo 1 ;;
    skin|discovery|payload) echo 2 ;;
    record) echo 3 ;;
    install) echo 4 ;;
    ui) echo 5 ;;
    app) echo 6 ;;
    *) echo 99 ;;
  esac
}
fail=0
for file in "$src"/*/*.cpp "$src"/*/*.h; do
  layer=$(basename "$(dirname "$file")")
  [ "$(rank "$layer")" -lt 99 ] || { echo "$file: $layer is no known layer"; fail=1; continue; }
  for included in $(sed -n 's/^#include "\([a-z]*\)\/.*"/\1/p' "$file"); do
    [ "$included" = "$layer" ] && continue
    if [ "$(rank "$included")" -ge "$(rank "$layer")" ]; then
      echo "$file: $layer includes $included"
      fail=1
    fi
  done
done
[ $fail -eq 0 ] && echo "ok: every include goes down"
exit $fail
