#!/usr/bin/env bash
# The source folders are layers: base/ at the bottom; runtime/, audio/, host/ and skin/ above
# it, each including only base/ and itself; app/ on top. gallery/, the skin gallery program,
# sits above the skin beside app/ and uses only base/, skin/ and itself. Fails listing every
# include that points up or sideways.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
allowed() {  # allowed FROM TO
  case "$1" in
    base) [ "$2" = base ] ;;
    runtime | audio | host | skin) [ "$2" = base ] || [ "$2" = "$1" ] ;;
    app) return 0 ;;
    gallery) [ "$2" = base ] || [ "$2" = skin ] || [ "$2" = gallery ] ;;
    *) return 0 ;;
  esac
}
bad=0
for from in base runtime audio host skin app gallery; do
  [ -d "$from" ] || continue
  while IFS=: read -r file _ line; do
    to=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$line")
    case "$to" in base | runtime | audio | host | skin | app | gallery) ;; *) continue ;; esac
    if ! allowed "$from" "$to"; then
      echo "layer violation: $file includes $to/: $line"
      bad=1
    fi
  done < <(grep -rn '#include "' "$from" --include=*.h --include=*.cpp)
done
[ "$bad" = 0 ] && echo "layers: no include points up or sideways"
exit "$bad"
