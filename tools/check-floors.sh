#!/usr/bin/env bash
# Checks that every #include "floor/..." of the product's code goes down or
# sideways, never up. The floors, lowest first:
#   store  platform  schedule  ui  actions  transfer  dialogs  app
# (tests, the testing/ fakes, e2e/, bench/ and fuzz/ stand outside the floors).
set -euo pipefail
cd "$(dirname "$0")/.."

FLOORS=(store platform schedule ui actions transfer dialogs app)
level() {
  local i
  for i in "${!FLOORS[@]}"; do [ "${FLOORS[$i]}" = "$1" ] && { echo "$i"; return; }; done
  echo -1
}

bad=0
while IFS= read -r file; do
  from=$(level "${file%%/*}")
  while IFS= read -r target; do
    to=$(level "${target%%/*}")
    [ "$to" -lt 0 ] && continue
    if [ "$to" -gt "$from" ]; then
      echo "$file includes $target: ${file%%/*} is below ${target%%/*}"
      bad=1
    fi
  done < <(sed -nE 's/^#include "([^"]+)".*/\1/p' "$file")
done < <(git ls-files "${FLOORS[@]/%//*.h}" "${FLOORS[@]/%//*.cpp}" | grep -v -e '_test\.cpp$' -e '/testing/')

if [ "$bad" = 0 ]; then echo "floors: every include goes down or sideways (${FLOORS[*]})"; fi
exit "$bad"
