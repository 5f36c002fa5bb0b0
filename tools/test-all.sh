#!/usr/bin/env bash
# Runs every test of Ordavi: installs what is missing (as root), builds the
# host core with its unit tests and both Windows targets, then runs the unit
# tests, the Win32 adapter tests under Wine and the end-to-end scenarios of the
# shipped Ordavi.exe under Wine and Xvfb, all through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"
cmake --preset host -DORDAVI_WIN32_BUILD="$PWD/build/win32" >/dev/null
cmake --build --preset host -j "$jobs"

ctest --preset host --timeout 600
