#!/usr/bin/env bash
# Runs every test of Ordavi: installs what is missing (as root), builds the
# host core with its unit tests (also under the sanitizers) and both Windows
# targets, then runs the unit tests, the check of the shipped 32-bit build, the Win32 adapter tests under
# Wine and the end-to-end scenarios of Ordavi.exe under Wine and Xvfb, all
# through ctest.
#
# The Wine part runs the win32 build where this machine can run 32-bit
# programs and the win64 build where it cannot (tools/wine-test-env.sh);
# ORDAVI_WINE_ARCH=win32 or win64 forces either.
#
# Tests run side by side: the sanitizer tests and the fuzz targets one per
# core, the ctest run ORDAVI_TEST_JOBS at once (6 unless set), well above the
# cores, since the Wine scenarios spend most of their time waiting for a
# minute. Each scenario has its own prefix and display; those that measure
# time run alone (RUN_SERIAL).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
# A compiler cache, where one is installed, makes a second build of the same
# sources quick; the results are the same without it.
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"
  export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
fi
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"
cmake --preset host -DORDAVI_WINDOWS_BUILDS="$PWD/build" >/dev/null
cmake --build --preset host -j "$jobs"
cmake --preset host-sanitize >/dev/null
cmake --build --preset host-sanitize -j "$jobs"

# The core's unit tests once more under AddressSanitizer and
# UndefinedBehaviorSanitizer (any finding fails the run).
ctest --preset host-sanitize -j "$jobs"

# A short run of each fuzz target from its seeds (bash tools/fuzz.sh 1800
# is the long run).
FUZZ_JOBS="$jobs" bash tools/fuzz.sh 20

source tools/wine-test-env.sh
wine_arch_detect
if [ "$ORDAVI_WINE_ARCH" = win32 ]; then
  echo "Wine tests run against the win32 build (build/win32) on the 32-bit Wine loader"
else
  echo "Wine tests run against the win64 build (build/win64) on the 64-bit Wine loader" \
    "(this machine cannot run 32-bit programs, or ORDAVI_WINE_ARCH=win64 was set)"
fi

ctest --preset host --timeout 600 -j "${ORDAVI_TEST_JOBS:-6}"
