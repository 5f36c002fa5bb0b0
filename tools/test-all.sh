#!/usr/bin/env bash
# Runs every test of Ordavi: installs what is missing (as root), builds the
# host core with its unit tests (also under the sanitizers) and the Windows
# programs (both, one of them with its tests), then runs the unit tests, the
# check of the shipped 32-bit build, the Win32 adapter tests under Wine and
# the end-to-end scenarios of Ordavi.exe under Wine and Xvfb, all through
# ctest.
#
# The Wine part runs the win32 build where this machine can run 32-bit
# programs and the win64 build where it cannot (tools/wine-test-env.sh);
# ORDAVI_WINE_ARCH=win32 or win64 forces either.
#
# One ctest run does it all, ORDAVI_TEST_JOBS at once (10 unless set), well
# above the cores, since the Wine scenarios spend most of their time waiting
# for a minute (the processor was busy under half of a run with 6 or 10): the unit
# tests (the sanitizer build's, in one process) and a short run of each fuzz
# target (10 s each, on two cores; built in the build step) side by side
# with the scenarios.
# Each scenario has its own prefix and display. The scenario that needs the
# processor quiet runs first without another scenario (it takes every slot of
# its kind in e2e/ctest-resources.json, which the host test preset names),
# with only the soak beside it, which goes on beside the rest; the tests that
# keep the processor busy wait for the quiet one; then the longest scenarios. The benchmarks are run by hand (bash bench/run.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

# How long each step took, printed at the end.
steps=()
step_start=$SECONDS
step_done() { steps+=("$(printf '%-34s %4d s' "$1" $((SECONDS - step_start)))"); step_start=$SECONDS; }

bash tools/install-deps.sh
step_done "installing what is missing"

jobs=$(nproc 2>/dev/null || echo 2)
# The compiler cache (installed with the rest) makes a second build of the
# same sources quick; the results are the same without it.
export CMAKE_C_COMPILER_LAUNCHER="${CMAKE_C_COMPILER_LAUNCHER:-ccache}"
export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
# Paths inside the checkout are taken relative to it, and the build's own
# folder is left out of the key: a clone in another folder finds the objects
# of the same sources.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
# The Wine part runs one of the two Windows builds (decided here, before
# the builds): that one is built whole, with its Wine tests and the
# scenarios' helpers. Of the other, only what the run reads: the shipped
# 32-bit program with its help file and downloads (the build check), or the
# 64-bit program (that it builds).
source tools/wine-test-env.sh
wine_arch_detect
for arch in win32 win64; do
  cmake --preset "$arch" >/dev/null
  if [ "$arch" = "$ORDAVI_WINE_ARCH" ]; then
    cmake --build --preset "$arch" -j "$jobs"
  elif [ "$arch" = win32 ]; then
    cmake --build --preset win32 -j "$jobs" --target Ordavi dist
  else
    cmake --build --preset win64 -j "$jobs" --target Ordavi
  fi
done
step_done "the Windows builds"
cmake --preset host-sanitize >/dev/null
cmake --build --preset host-sanitize -j "$jobs"
# The host build's ctest runs the unit tests from the sanitizer build (any
# finding fails the run), so this one builds nothing of its own; and each
# fuzz target for 10 s from its seeds (bash tools/fuzz.sh 1800 is the long
# run).
cmake --preset host -DORDAVI_WINDOWS_BUILDS="$PWD/build" \
  -DORDAVI_SANITIZE_BUILD="$PWD/build/host-sanitize" -DORDAVI_FUZZ_SECONDS=10 >/dev/null
FUZZ_JOBS="$jobs" bash tools/fuzz.sh --build
step_done "the host builds and the fuzz targets"

if [ "$ORDAVI_WINE_ARCH" = win32 ]; then
  echo "Wine tests run against the win32 build (build/win32) on the 32-bit Wine loader"
else
  echo "Wine tests run against the win64 build (build/win64) on the 64-bit Wine loader" \
    "(this machine cannot run 32-bit programs, or ORDAVI_WINE_ARCH=win64 was set)"
fi

# The order comes from the tests' COST alone, the same in a fresh clone and
# in a build that ran before (ctest would otherwise order by earlier times).
rm -f build/host/Testing/Temporary/CTestCostData.txt
# Every Wine start that did nothing and was started again, in any test, with
# Wine's words, is listed at the end (tools/wine-test-env.sh).
retried=build/wine-retried-starts.txt
rm -f "$retried"
status=0
ctest --preset host --timeout 600 -j "${ORDAVI_TEST_JOBS:-10}" || status=$?
step_done "ctest"
if [ -s "$retried" ]; then
  echo "Wine starts that did nothing and were started again: $(grep -c '^[0-9]' "$retried")"
  cat "$retried"
else
  echo "Wine starts that did nothing and were started again: none"
fi
printf '%s\n' "${steps[@]}"
exit "$status"
