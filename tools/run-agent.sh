#!/usr/bin/env bash
# Builds Ordavi.exe and runs it under Wine on this Linux machine: a private
# prefix in build/run-prefix/<arch> (kept between runs, so tasks and options
# persist), LC_ALL=zh_CN.UTF-8 (code page 936), in a Wine virtual desktop with
# a taskbar and notification area. Without a display it starts a private Xvfb
# and writes a screenshot of the desktop to build/screenshots/run-agent.png.
# Installs what is missing first (as root).
#
# The shipped 32-bit build runs where this machine can run 32-bit programs;
# elsewhere the 64-bit build of the same sources runs on the 64-bit Wine
# (ORDAVI_WINE_ARCH=win32 or win64 forces either).
#
#   bash tools/run-agent.sh            # runs until the agent ends or Ctrl+C
#   ORDAVI_RUN_SECONDS=20 bash tools/run-agent.sh   # stop after 20 s
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"

bash tools/install-deps.sh
source tools/wine-test-env.sh
wine_arch_detect
if [ "$ORDAVI_WINE_ARCH" = win32 ]; then
  echo "run-agent: running the win32 build (the shipped 32-bit program)"
else
  echo "run-agent: running the win64 build: this machine cannot run 32-bit programs (or ORDAVI_WINE_ARCH=win64)"
fi
cmake --preset "$ORDAVI_WINE_ARCH" >/dev/null
cmake --build --preset "$ORDAVI_WINE_ARCH" -j2 --target Ordavi ordavi_help

prefix="$ROOT/build/run-prefix/$ORDAVI_WINE_ARCH"
[ -f "$prefix/system.reg" ] || echo "run-agent: creating the Wine prefix $prefix (once)"
wine_prefix_keep "$prefix"
mkdir -p "$WINEPREFIX/drive_c/Ordavi"
cp "$(wine_build_dir)/app/win32/Ordavi.exe" "$(wine_build_dir)/app/win32/QLLJ.bat" \
  "$(wine_build_dir)/app/win32/Ordavi.CHM" "$WINEPREFIX/drive_c/Ordavi/"

stop() {
  wineserver -k 2>/dev/null || true
  if [ -n "$WINE_XVFB_PID" ]; then kill "$WINE_XVFB_PID" 2>/dev/null || true; fi
}
trap stop EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  wine_xvfb_start
  echo "run-agent: no display; running on a private Xvfb, DISPLAY=$DISPLAY"
fi

wine explorer /desktop=shell,1024x768 'C:\Ordavi\Ordavi.exe' &
agent=$!
sleep 10
mkdir -p build/screenshots
if import -window root build/screenshots/run-agent.png 2>/dev/null; then
  echo "run-agent: screenshot build/screenshots/run-agent.png (the icon is at the right end of the taskbar)"
fi
if [ -n "${ORDAVI_RUN_SECONDS:-}" ]; then
  sleep "$ORDAVI_RUN_SECONDS"
  exit 0
fi
echo "run-agent: Ordavi is running; Ctrl+C stops it"
wait "$agent"
