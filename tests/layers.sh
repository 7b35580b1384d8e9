#!/bin/sh
# The engine's layers run one way: a file includes headers of its own layer
# and those below, never one above:
#   types.h, platform < config < board < movegen < eval < book < search < frontend
cd "${1:-$(dirname "$0")/..}/src" || exit 2
rank() {
  case "$1" in types.h|platform/*) echo 0 ;; config/*) echo 1 ;; board/*) echo 2 ;; movegen/*) echo 3 ;;
    eval/*) echo 4 ;; book/*) echo 5 ;; search/*) echo 6 ;; frontend/*) echo 7 ;; *) echo 8 ;; esac
}
status=0
for file in $(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||'); do
  for header in $(sed -n 's/^#include "\(.*\)"/\1/p' "$file"); do
    [ "$(rank "$header")" -le "$(rank "$file")" ] && continue
    echo "$file includes $header, a layer above its own"
    status=1
  done
done
exit $status
