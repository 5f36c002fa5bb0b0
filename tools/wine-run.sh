#!/usr/bin/env bash
# Runs one Windows program in a fresh, private 32-bit Wine prefix and returns
# its exit code. The prefix, the Wine settings and the cleanup come from
# tools/wine-test-env.sh (see there).
#
#   bash tools/wine-run.sh [--display] path/to/program.exe [args...]
#
# --display starts a private Xvfb for programs that open windows.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/wine-test-env.sh"

display=""
if [ "${1:-}" = "--display" ]; then
  display=--display
  shift
fi
if [ $# -lt 1 ]; then
  echo "usage: $0 [--display] program.exe [args...]" >&2
  exit 2
fi
if [ ! -f "$1" ]; then
  echo "wine-run: no such program: $1 (build the win32 preset first)" >&2
  exit 2
fi

wine_env_setup $display || exit 1
wine_run "$@"
exit $?
