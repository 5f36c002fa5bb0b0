#!/usr/bin/env bash
# End-to-end scenarios of the shipped Ordavi.exe: each runs the program in a
# fresh Wine prefix under a private Xvfb, inside a Wine virtual desktop named
# "shell" (the one with a taskbar and notification area), drives it with
# e2e_driver.exe and the mouse, checks API calls in Wine's relay trace, reads
# the registry and writes screenshots to build/screenshots/. The scenarios
# live in e2e/scenarios/, one file per area, each adding its names to
# SCENARIOS; the helpers are in e2e/lib.sh; which build runs (win32 or win64)
# is decided by tools/wine-test-env.sh.
#
#   bash e2e/scenarios.sh SCENARIO     run one
#   bash e2e/scenarios.sh --list       the scenarios, one a line
set -u
E2E="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
SCENARIOS=()
for area in "$E2E"/scenarios/*.sh; do
  # shellcheck source=/dev/null
  source "$area"
done
SCENARIO="${1:?scenario or --list}"
if [ "$SCENARIO" = --list ]; then
  printf '%s\n' "${SCENARIOS[@]}"
  exit 0
fi
source "$E2E/lib.sh"

case " ${SCENARIOS[*]} " in
  *" $SCENARIO "*) "scenario_$SCENARIO" ;;
  *) echo "unknown scenario $SCENARIO" >&2; exit 2 ;;
esac
finish
