#!/usr/bin/env bash
# What the resident agent costs, against its floor: prints one table.
#
#   bash bench/run.sh            # full form (about 40 minutes)
#   bash bench/run.sh --short    # short form (about 2 minutes)
#   bash bench/run.sh [--short] tick settings footprint wakeups size memory ontime
#                                # only the parts named
#   BENCH_TICK_NS="10 1000" bash bench/run.sh tick
#                                # the tick pass at these N only
#
# Runs under Wine the build this machine can run (tools/wine-test-env.sh:
# win32, or win64 where 32-bit programs cannot run), each part in a fresh
# prefix on a private Xvfb inside a Wine virtual desktop with a notification
# area. Build the Windows presets first (tools/test-all.sh does). Every figure
# is measured side by side with its floor in the same run:
#
#   tick pass    TaskTick over N stored tasks, none due, against the bare
#                RegQueryValueExA of A n and D n in a tight loop (tick_bench);
#                and at N = 10 the pass with the run history against the
#                pass alone, idle and with one task run (tick_bench 10 S history)
#   settings     opening the settings dialog over 1000 stored tasks (100 in
#                the short form) with its 下次运行 column filled, against the
#                same dialog with the column left empty (settings_bench)
#   footprint    the idle agent against an empty window program built with the
#                same toolchain (bench/empty_window.cpp): private and resident
#                memory of the whole Wine process (Linux /proc), kernel
#                handles, windows, threads
#   start-up     process creation to the tray icon being there, against the
#                empty program's creation to its window (bench_probe), with
#                no other agent running
#   wake-ups     times the idle agent's loop wakes (MsgWaitForMultipleObjects
#                returns in Wine's relay trace) and its CPU time, per minute,
#                monitoring on and off
#   size         the shipped Ordavi.exe
#   on time      how far into its minute a reminder's notice appears, over N
#                stored tasks (the reminders last, so each pass reads all the
#                others first), one reminder due in each of a series of
#                consecutive minutes; median and worst (bench_probe ontime
#                watches for the notice and closes it)
#   memory       footprint of an agent with a reminder due every minute (each
#                notice closed) and a countdown started and cancelled every
#                five minutes, at its start and after 1, 10 and 30 minutes
#
# The short form (N = 10 and 100, shorter windows; no memory over time, which
# the test command's soak scenario watches over three minutes, and no
# reminder on time, which its due_tasks scenario checks: the notice in the
# first two seconds of its minute) checks only that every figure was
# measured: it never compares a figure with a target.
set -u
SHORT=""
if [ "${1:-}" = "--short" ]; then
  SHORT=1
  shift
fi
PARTS=("$@")
if [ ${#PARTS[@]} -eq 0 ]; then
  PARTS=(tick settings footprint wakeups size memory ontime)
  [ -n "$SHORT" ] && PARTS=(tick settings footprint wakeups size)
fi
SCENARIO=bench
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
wine_arch_detect || exit 1

if [ -n "$SHORT" ]; then
  SETTINGS_N=100; TICK_NS=(10 100); TICK_SAMPLES=5; STARTUPS=3; IDLE_SECONDS=20; MEMORY_MINUTES=(1)
  ONTIME_NS=(10); ONTIME_MINUTES=1
else
  SETTINGS_N=1000; TICK_NS=(10 100 1000 10000); TICK_SAMPLES=15; STARTUPS=11; IDLE_SECONDS=60; MEMORY_MINUTES=(1 10 30)
  ONTIME_NS=(10 1000); ONTIME_MINUTES=6
fi
# BENCH_TICK_NS="10 1000" measures the tick pass at these numbers of tasks only.
[ -z "${BENCH_TICK_NS:-}" ] || read -r -a TICK_NS <<<"$BENCH_TICK_NS"
# BENCH_SETTINGS_N=1000 opens the settings dialog over that many tasks.
[ -z "${BENCH_SETTINGS_N:-}" ] || SETTINGS_N=$BENCH_SETTINGS_N

TABLE=()
missing=0
row() { TABLE+=("$(printf '| %s | %s | %s | %s | %s |' "$@")"); }
need() {  # need NAME VALUE: a figure that must have been measured
  if [ -z "$2" ] || ! [[ "$2" =~ ^-?[0-9]+(\.[0-9]+)?$ ]]; then
    echo "bench: $1 was not measured" >&2
    missing=$((missing + 1))
  fi
}
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }
minmax() { sort -g | awk 'NR == 1 { lo = $1 } { hi = $1 } END { if (NR) printf "%s–%s", lo, hi }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b }'; }

# A fresh prefix with the agent, the driver and the benchmark programs.
bench_setup() {
  setup
  copy_probe
  cp "$BUILD/bench/empty_window.exe" "$BUILD/bench/tick_bench.exe" "$BUILD/bench/settings_bench.exe" \
    "$WINEPREFIX/drive_c/" || exit 1
}
# --- 1. Tick pass

bench_tick() {
  bench_setup
  local n line
  for n in "${TICK_NS[@]}"; do
    line=$(wine 'C:\tick_bench.exe' "$n" "$TICK_SAMPLES" 2>/dev/null | tr -d '\r')
    echo "$line"
    need "tick pass N=$n" "$(field ratio "$line")"
    row "tick pass, N = $n" "$(field pass_us "$line") µs" "$(field floor_us "$line") µs" \
      "$(field ratio "$line") ($(echo "$line" | awk '{ print $(NF-1) "–" $NF }'))" "≤ 1.3 at N = 1000"
  done
  # The run history: an idle pass writes nothing, a pass that runs a task
  # appends one line; each against the same pass without the history.
  local kind
  while read -r line; do
    echo "$line"
    kind=$(echo "$line" | awk '{ print $4 }')
    need "history $kind" "$(field ratio "$line")"
    row "tick pass with the run history, N = 10, ${kind%_us} (entries after: $(field lines "$line"))" \
      "$(field "$kind" "$line") µs" "$(field floor_us "$line") µs" \
      "$(field ratio "$line") ($(echo "$line" | awk '{ print $(NF-1) "–" $NF }'))" "—"
  done < <(wine 'C:\tick_bench.exe' 10 "$TICK_SAMPLES" history 2>/dev/null | tr -d '\r')
  wine_cleanup
}

# --- The settings dialog's 下次运行 column

bench_settings() {
  bench_setup
  local line
  line=$(wine 'C:\settings_bench.exe' "$SETTINGS_N" "$TICK_SAMPLES" 2>/dev/null | tr -d '\r')
  echo "$line"
  need "settings dialog N=$SETTINGS_N" "$(field ratio "$line")"
  row "settings dialog opened over N = $SETTINGS_N tasks, with 下次运行 against without" \
    "$(field with_us "$line") µs" "$(field floor_us "$line") µs" \
    "$(field ratio "$line") ($(echo "$line" | awk '{ print $(NF-1) "–" $NF }'))" "≤ 1.3 at N = 1000"
  wine_cleanup
}

# --- 2. Footprint, 3. start-up

bench_footprint_startup() {
  bench_setup
  AGENT_WINEDEBUG=-all start_agent
  wine_run_bg EMPTY_PID explorer /desktop=shell,1024x768 'C:\empty_window.exe' 2>/dev/null
  eventually 20 quiet probe footprint OrdaviBenchEmpty
  sleep 5  # both settle
  local agent empty a e
  agent=$(unix_pid Ordavi.exe)
  empty=$(unix_pid empty_window.exe)
  a=$(probe footprint TForm1)
  e=$(probe footprint OrdaviBenchEmpty)
  echo "agent: $a"
  echo "empty: $e"
  local ap ep ar er
  ap=$(private_kb "$agent"); ep=$(private_kb "$empty")
  ar=$(rss_kb "$agent"); er=$(rss_kb "$empty")
  need "agent private memory" "$ap"; need "empty private memory" "$ep"
  row "private memory (Wine process)" "$ap KB" "$ep KB" "+$((ap - ep)) KB" "≤ +1024 KB"
  row "resident memory (Wine process)" "$ar KB" "$er KB" "+$((ar - er)) KB" ""
  local f
  for f in handles windows threads; do
    need "agent $f" "$(field "$f" "$a")"
    row "$f" "$(field "$f" "$a")" "$(field "$f" "$e")" "" ""
  done
  row "GDI / USER objects" "$(field gdi "$a") / $(field user "$a")" "$(field gdi "$e") / $(field user "$e")" \
    "not counted by Wine (GetGuiResources)" ""

  # Start-up, alternately, after the first agent ended (its files stay in
  # the cache for both, as after any log-on): a start while an agent runs
  # hands over to it and adds no tray icon.
  menu_command "$MENU_EXIT"
  eventually 15 quiet drv gone TForm1 '*' 1
  local i la le agent_ms=() empty_ms=() ratios=()
  for i in $(seq 1 "$STARTUPS"); do
    le=$(field startup_ms "$(probe startup 'C:\empty_window.exe' OrdaviBenchEmpty window)")
    la=$(field startup_ms "$(probe startup 'C:\Ordavi.exe' TForm1 tray)")
    [ -n "$la" ] && [ -n "$le" ] || continue
    agent_ms+=("$la"); empty_ms+=("$le"); ratios+=("$(ratio "$la" "$le")")
  done
  echo "start-up ms: agent ${agent_ms[*]:-}; empty ${empty_ms[*]:-}"
  local am em rm
  am=$(printf '%s\n' "${agent_ms[@]:-}" | median); em=$(printf '%s\n' "${empty_ms[@]:-}" | median)
  rm=$(printf '%s\n' "${ratios[@]:-}" | median)
  need "start-up" "$rm"
  row "start-up (to tray icon / to window)" "$am ms" "$em ms" "$rm ($(printf '%s\n' "${ratios[@]:-}" | minmax))" "≤ 1.3"
  wine_cleanup
}

# --- 4. Idle wake-ups

# Times the agent's loop woke between two tick counts, from the trace: the
# loop waits in MsgWaitForMultipleObjects for a message or the slot's events.
messages_between() {
  grep -aE '^[0-9]+\.[0-9]+:[0-9a-f]+:Ret +user32\.MsgWaitForMultipleObjects' "$WORK/agent.log" |
    awk -F: -v a="$1" -v b="$2" '{ t = $1 * 1000 } t >= a && t < b { n++ } END { print n + 0 }'
}

bench_wakeups() {
  bench_setup
  # The timer calls too: start_agent waits for the tick's SetTimer in the
  # trace (they are rare and not counted).
  wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
    /d 'user32.MsgWaitForMultipleObjects;user32.SetTimer;win32u.NtUserSetTimer' /f >/dev/null 2>&1
  AGENT_WINEDEBUG=+timestamp,+relay start_agent
  sleep 3
  local pid state t0 t1 c0 c1 msgs cpu
  pid=$(unix_pid Ordavi.exe)
  for state in on off; do
    if [ "$state" = off ]; then
      menu_command "$MENU_MONITORING"
      sleep 2
    fi
    t0=$(probe tick); c0=$(cpu_ms "$pid")
    sleep "$IDLE_SECONDS"
    t1=$(probe tick); c1=$(cpu_ms "$pid")
    msgs=$(messages_between "$t0" "$t1")
    msgs=$(awk -v m="$msgs" -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", m * 60000 / (b - a) }')
    cpu=$(awk -v c="$((c1 - c0))" -v a="$t0" -v b="$t1" 'BEGIN { printf "%.0f", c * 60000 / (b - a) }')
    need "wake-ups, monitoring $state" "$msgs"
    need "CPU time, monitoring $state" "$cpu"
    row "idle, monitoring $state: wake-ups / min" "$msgs" "" "" "$([ "$state" = on ] && echo 6 || echo 0)"
    row "idle, monitoring $state: CPU / min" "$cpu ms" "" "" ""
  done
  wine_cleanup
}

# --- 5. Size

bench_size() {
  local exe="$ROOT/build/win32/app/win32/Ordavi.exe" size stripped
  size=$(stat -c %s "$exe" 2>/dev/null)
  stripped=$(i686-w64-mingw32-strip -o /tmp/ordavi-bench-stripped.exe "$exe" 2>/dev/null &&
    stat -c %s /tmp/ordavi-bench-stripped.exe)
  rm -f /tmp/ordavi-bench-stripped.exe
  need "size" "$size"
  row "Ordavi.exe as built (win32, release)" "$((size / 1024)) KB" "" "" "≤ 512 KB"
  [ "$stripped" != "$size" ] && row "Ordavi.exe stripped" "$((stripped / 1024)) KB" "" "" ""
}

# --- 6. Memory over time

bench_memory() {
  bench_setup
  local last=${MEMORY_MINUTES[-1]}
  drv setdword tishi 20
  plant_minutes 1 $((last + 1))
  drv setdword TaskNum "$PLANTED_LAST"
  AGENT_WINEDEBUG=-all start_agent
  sleep 3
  local pid start minute
  pid=$(unix_pid Ordavi.exe)
  start=$(date +%s)
  local p0 r0 fp
  fp=$(probe footprint TForm1)
  p0=$(private_kb "$pid"); r0=$(rss_kb "$pid")
  need "memory at start" "$p0"
  row "agent at start" "private $p0 KB, resident $r0 KB" "handles $(field handles "$fp"), windows $(field windows "$fp")" "" ""
  for minute in "${MEMORY_MINUTES[@]}"; do
    keep_agent_going $((start + minute * 60))
    fp=$(probe footprint TForm1)
    local p r
    p=$(private_kb "$pid"); r=$(rss_kb "$pid")
    need "memory after $minute min" "$p"
    row "agent after $minute min ($(echo "$NOTICES_SEEN" | grep -c .) notices closed, $COUNTDOWNS countdowns cancelled)" \
      "private $p KB (+$((p - p0))), resident $r KB" "handles $(field handles "$fp"), windows $(field windows "$fp")" \
      "" "no growth"
  done
  wine_cleanup
}

# --- 7. On time

bench_ontime() {
  local n k first far line lates=()
  for n in "${ONTIME_NS[@]}"; do
    bench_setup
    AGENT_WINEDEBUG=-all start_agent
    first=$((n - ONTIME_MINUTES + 1))
    # The others are daily tasks twelve hours away: read and matched each pass, never due.
    read -r _ _ _ far _ _ < <(drv now)
    far=$(((10#$far + 12) % 24))
    [ "$first" -gt 1 ] && quiet drv settasks 1 $((first - 1)) "每天${far}时0分" 提醒 其他
    coming_minute 15
    local base h m
    base=$(printf '%02d:%02d' "$DUE_H" "$DUE_M")
    for k in $(seq 0 $((ONTIME_MINUTES - 1))); do
      read -r h m <<<"$(date -d "$base today + $k minutes" '+%-H %-M')"
      plant_task $((first + k)) "每天${h}时${m}分" 提醒 "准点$k"
    done
    drv setdword TaskNum "$n"
    lates=()
    while read -r line; do
      lates+=("$(field late_ms "$line")")
    done < <(probe ontime TForm6 "$ONTIME_MINUTES")
    echo "on time N=$n: ${lates[*]:-} ms into the minute"
    local med worst
    med=$(printf '%s\n' "${lates[@]:-}" | median)
    worst=$(printf '%s\n' "${lates[@]:-}" | sort -g | tail -n1)
    need "on time N=$n" "$med"
    [ "${#lates[@]}" = "$ONTIME_MINUTES" ] || need "on time N=$n, every minute" ""
    row "reminder's notice into its minute, N = $n, ${#lates[@]} minutes: median / worst" \
      "$med / $worst ms" "" "" "< 1000 / < 2000 ms at N = 1000"
    wine_cleanup
  done
}

echo "bench: $ORDAVI_WINE_ARCH build on $(nproc) cores, $(uname -r), $(wine --version)"
for part in "${PARTS[@]}"; do
  case "$part" in
    tick) bench_tick ;;
    settings) bench_settings ;;
    footprint) bench_footprint_startup ;;
    wakeups) bench_wakeups ;;
    size) bench_size ;;
    memory) bench_memory ;;
    ontime) bench_ontime ;;
    *) echo "bench: no part '$part' (tick settings footprint wakeups size memory ontime)" >&2; exit 2 ;;
  esac
done

echo
echo "| figure | Ordavi | floor | ratio / difference | target |"
echo "|---|---|---|---|---|"
printf '%s\n' "${TABLE[@]}"
if [ "$missing" -gt 0 ]; then
  echo "bench: $missing figure(s) not measured"
  exit 1
fi
echo "bench: every figure measured"
