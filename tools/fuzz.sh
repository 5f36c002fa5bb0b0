#!/usr/bin/env bash
# Fuzzes the portable core with libFuzzer (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer): the schedule field scan and every matcher
# (fuzz_schedule), the task store over a registry holding anything
# (fuzz_store), the options load and minutes text (fuzz_options), the
# task editor's checks and composition (fuzz_editor), any bytes as a task
# file (fuzz_task_file), and the texts a stored parameter becomes on its way
# to the system: the adapter command line parsed back by the rules of
# CommandLineToArgvW, the processes close-program ends, and the quoted text
# of a message (fuzz_command).
#
#   bash tools/fuzz.sh            # each target 20 s (the test command runs 10 s each)
#   bash tools/fuzz.sh 1800       # each target 30 minutes: the long run
#   bash tools/fuzz.sh --build    # builds the targets only (the test command's build step)
#   bash tools/fuzz.sh --built 10 # runs the targets built before (builds them if one is missing)
#
# FUZZ_JOBS (1 unless set) compiles and fuzzes that many at once; the test
# command sets it to the number of cores.
#
# Each target starts from its seeds in fuzz/corpus/<target> (made from the
# grammar; every input that once found a fault is kept there) and keeps what
# it learns in build/fuzz/corpus/<target>. A finding stops the run with its
# input in build/fuzz/ and a non-zero exit: fix the fault, then add the input
# to fuzz/corpus/<target>.
#
# clang has no GBK execution character set, so the sources are first
# transcoded to GBK into build/fuzz/src: their Chinese literals then hold the
# same bytes as in the GCC builds (-fexec-charset=GBK).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
MODE=all
case "${1:-}" in --build | --built) MODE=${1#--}; shift ;; esac
SECONDS_EACH="${1:-20}"
JOBS="${FUZZ_JOBS:-1}"
TARGETS=(fuzz_schedule fuzz_store fuzz_options fuzz_editor fuzz_task_file fuzz_command fuzz_history)
OUT="$ROOT/build/fuzz"
SRC="$OUT/src"

command -v clang++ >/dev/null || { echo "fuzz: clang++ is missing (tools/install-deps.sh installs it)" >&2; exit 1; }

# each_parallel FUNCTION ITEMS...: FUNCTION on each item, JOBS at a time;
# fails when any call failed.
each_parallel() {
  local fn="$1" item failed=0
  shift
  for item in "$@"; do
    while [ "$(jobs -rp | wc -l)" -ge "$JOBS" ]; do wait -n || failed=1; done
    "$fn" "$item" &
  done
  while [ "$(jobs -rp | wc -l)" -gt 0 ]; do wait -n || failed=1; done
  return $failed
}

FLAGS=(-std=c++17 -g -O1 -fno-omit-frame-pointer -Wno-invalid-source-encoding -I "$SRC")
# The core sources the targets link: every file a target includes, directly
# or through another, brings its .cpp of the same name (the Win32 adapters
# never), so a new core file a fuzzed function calls comes along by itself.
core_sources() {
  local -A seen=()
  local queue=(fuzz/*.cpp fuzz/*.h) f inc
  while [ ${#queue[@]} -gt 0 ]; do
    f=${queue[0]}
    queue=("${queue[@]:1}")
    [ -n "${seen[$f]:-}" ] && continue
    seen[$f]=1
    for inc in $(sed -nE 's/^#include "([^"]+)".*/\1/p' "$f"); do
      [[ $inc == */win32/* ]] && continue
      [ -f "$inc" ] && queue+=("$inc")
      [ -f "${inc%.h}.cpp" ] && queue+=("${inc%.h}.cpp")
    done
  done
  for f in "${!seen[@]}"; do [[ $f == *.cpp && $f != fuzz/* ]] && echo "$f"; done | sort
}
mapfile -t CORE < <(core_sources)
objs=()
for f in "${CORE[@]}"; do objs+=("$OUT/obj/$(echo "$f" | tr / _).o"); done
# The compiler launcher the test command sets (ccache) serves a second run of
# the same sources from its cache.
compile() {
  ${CMAKE_CXX_COMPILER_LAUNCHER:-} clang++ "${FLAGS[@]}" -fsanitize=fuzzer-no-link,address,undefined \
    -c "$SRC/$1" -o "$OUT/obj/$(echo "$1" | tr / _).o"
}
link() { clang++ "${FLAGS[@]}" -fsanitize=fuzzer,address,undefined "$SRC/fuzz/$1.cpp" "${objs[@]}" -o "$OUT/$1"; }
build_targets() {
  rm -rf "$SRC"
  mkdir -p "$SRC" "$OUT/obj"
  while IFS= read -r f; do
    mkdir -p "$SRC/$(dirname "$f")"
    iconv -f UTF-8 -t GBK "$f" >"$SRC/$f"
  done < <(git ls-files --cached --others --exclude-standard 'store/*.cpp' 'store/*.h' 'schedule/*.cpp' 'schedule/*.h' 'ui/*.h' 'actions/*.cpp' 'actions/*.h' 'transfer/*.cpp' 'transfer/*.h' 'dialogs/*.cpp' 'dialogs/*.h' \
    'app/*.cpp' 'app/*.h' 'fuzz/*.cpp' 'fuzz/*.h' |
    grep -v -e '/win32/' -e '_test\.cpp$')
  each_parallel compile "${CORE[@]}" && each_parallel link "${TARGETS[@]}"
}
if [ "$MODE" = built ]; then
  for t in "${TARGETS[@]}"; do [ -x "$OUT/$t" ] || MODE=all; done
fi
[ "$MODE" = built ] || build_targets || exit 1
[ "$MODE" = build ] && exit 0

# Each target's result is printed in the targets' order once all have run.
run() {
  mkdir -p "$OUT/corpus/$1"
  local rc=0
  "$OUT/$1" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$OUT/$1-" "$OUT/corpus/$1" "fuzz/corpus/$1" >"$OUT/$1.log" 2>&1 || rc=$?
  echo "$rc" >"$OUT/$1.status"
}
echo "fuzz: ${TARGETS[*]} for $SECONDS_EACH s each, $JOBS at a time"
rm -f "$OUT"/*.status
each_parallel run "${TARGETS[@]}" || true
status=0
for t in "${TARGETS[@]}"; do
  if [ "$(cat "$OUT/$t.status" 2>/dev/null)" != 0 ]; then
    echo "fuzz: $t found a fault; its input is in $OUT/$t-*"
    tail -n 40 "$OUT/$t.log"
    status=1
  else
    echo "fuzz: $t: $(grep -E 'stat::number_of_executed_units|stat::new_units_added' "$OUT/$t.log" | tr '\n' ' ')"
  fi
done
exit $status
