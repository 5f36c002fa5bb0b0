#!/usr/bin/env bash
# Builds Ordavi.exe (the shipped 32-bit build) and runs it under Wine on this
# Linux machine: a private 32-bit prefix in build/run-prefix (kept between
# runs, so tasks and options persist), LC_ALL=zh_CN.UTF-8 (code page 936), in
# a Wine virtual desktop with a taskbar and notification area. Without a
# display it starts a private Xvfb and writes a screenshot of the desktop to
# build/screenshots/run-agent.png. Installs what is missing first (as root).
#
#   bash tools/run-agent.sh            # runs until the agent ends or Ctrl+C
#   ORDAVI_RUN_SECONDS=20 bash tools/run-agent.sh   # stop after 20 s
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"

bash tools/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 --target Ordavi

source tools/wine-test-env.sh
_wine_base_env
export WINEPREFIX="$ROOT/build/run-prefix"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run-agent: creating the Wine prefix $WINEPREFIX (once)"
  wine_template_ensure
  mkdir -p "$WINEPREFIX"
  cp -a "$ORDAVI_WINE_TEMPLATE/prefix/." "$WINEPREFIX/"
fi
mkdir -p "$WINEPREFIX/drive_c/Ordavi"
cp build/win32/app/win32/Ordavi.exe "$WINEPREFIX/drive_c/Ordavi/Ordavi.exe"

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
