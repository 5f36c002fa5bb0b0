#!/usr/bin/env bash
# Runs one Windows program in a fresh, private Wine prefix and returns its
# exit code. The prefix, the Wine settings, the choice of the 32-bit or the
# 64-bit path and the cleanup come from tools/wine-test-env.sh (see there).
#
#   bash tools/wine-run.sh [--own-network] [--display] path/to/program.exe [args...]
#   bash tools/wine-run.sh [--own-network] [--display] --in-build store/win32/x.exe [args...]
#
# --display starts a private Xvfb for programs that open windows. --in-build
# takes the program from the build of the chosen path (build/win32 or
# build/win64). --own-network (as root, where unshare can) runs it in a
# network namespace of its own with two linked adapters: a datagram to
# ORDAVI_TEST_TRAFFIC_TO (192.0.2.2, a range kept for documentation) leaves
# through ordavi0 (192.0.2.1/24) and ends at ordavi1, which has no address.
set -u
if [ "${1:-}" = "--own-network" ]; then
  shift
  if [ -z "${ORDAVI_TEST_TRAFFIC_TO:-}" ] && [ "$(id -u)" = 0 ] && unshare -n -m true 2>/dev/null; then
    # sysfs mounted again inside shows the namespace's own adapters; the
    # neighbour entry spares the address lookup no one would answer.
    exec unshare -n -m bash -c 'mount -t sysfs sysfs /sys && ip link set lo up &&
      ip link add ordavi0 type veth peer name ordavi1 && ip addr add 192.0.2.1/24 dev ordavi0 &&
      ip link set ordavi0 up && ip link set ordavi1 up &&
      ip neigh add 192.0.2.2 lladdr "$(cat /sys/class/net/ordavi1/address)" dev ordavi0 nud permanent || exit 1
      ORDAVI_TEST_TRAFFIC_TO=192.0.2.2 exec bash "$0" "$@"' "$0" "$@"
  fi
fi
source "$(dirname "${BASH_SOURCE[0]}")/wine-test-env.sh"

display=""
if [ "${1:-}" = "--display" ]; then
  display=--display
  shift
fi
wine_arch_detect || exit 1
if [ "${1:-}" = "--in-build" ]; then
  shift
  [ $# -ge 1 ] && set -- "$(wine_build_dir)/$1" "${@:2}"
fi
if [ $# -lt 1 ]; then
  echo "usage: $0 [--display] program.exe [args...]" >&2
  exit 2
fi
if [ ! -f "$1" ]; then
  echo "wine-run: no such program: $1 (build the $ORDAVI_WINE_ARCH preset first)" >&2
  exit 2
fi

wine_env_setup $display || exit 1
wine_run "$@"
exit $?
