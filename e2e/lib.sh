# Helpers of the end-to-end scenarios, shared by the areas in e2e/scenarios/
# (sourced by e2e/scenarios.sh): a fresh prefix with the agent and the driver,
# checks, the driver, the registry, the relay trace, screenshots, the tray
# menu, the settings dialog and the run history. Works the same on the 32-bit
# and the 64-bit path of tools/wine-test-env.sh.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SHOTS="$ROOT/build/screenshots"
mkdir -p "$SHOTS/readme"
source "$ROOT/tools/wine-test-env.sh"
# Decided before anything below depends on the build (the tray record's
# layout), also when a scenario is run by itself rather than from the test
# command.
wine_arch_detect || exit 1

KEY='HKLM\Software\Velmora\Ordavi'

# Command ids of the tray menu's items: 1000 + the item's place in the menu,
# separators counted (see the main window's menu).
MENU_MONITORING=1000
MENU_SETTINGS=1002
MENU_RUN_HISTORY=1020  # added after 设置 with an id of its own
MENU_LOG_OFF=1004
MENU_STANDBY=1005
MENU_HIBERNATE=1006
MENU_RESTART=1007
MENU_SHUT_DOWN=1008
MENU_OPEN_CD=1009
MENU_CLOSE_CD=1010
MENU_MONITOR_OFF=1011
MENU_CLEAN_JUNK=1012
MENU_FAST_RESTART=1013
MENU_FAST_SHUTDOWN=1014
MENU_UPDATE=1016
MENU_ABOUT=1017
MENU_HELP=1018
MENU_EXIT=1019
MENU_CANCEL_POSTPONED=1021  # shown while a postponed countdown's action is held
MENU_AWAKE_HOUR=1023        # 保持唤醒(&K) > 1 小时
MENU_AWAKE_CANCEL=1027      # 保持唤醒(&K) > 取消保持唤醒
# The task tick's timer (id 1) switched on, in the relay trace: each pass sets
# it for the next ten-second mark of the minute, so its interval is at most
# 10.2 s (hex 27d8), never a fixed 10 s.
TICK_SET_TIMER='SetTimer\([0-9a-f]+,00000001,0000[0-9a-f]{4},'
WM_COMMAND=0x0111

# The calls the relay trace shows. UnregisterHotKey and the timers are
# forwarded to win32u in this Wine, so their win32u names are listed too.
RELAY='winmm.mciSendStringA;user32.SendMessageTimeoutA;user32.ChangeWindowMessageFilterEx;user32.ChangeWindowMessageFilter;user32.TrackPopupMenu;user32.LoadIconW;shell32.ShellExecuteW;user32.SetTimer;user32.KillTimer;win32u.NtUserSetTimer;win32u.NtUserKillTimer;user32.ExitWindowsEx;kernel32.SetSystemPowerState;ntdll.NtShutdownSystem;kernel32.GetVersionExA;advapi32.AdjustTokenPrivileges;kernel32.SetPriorityClass;user32.RegisterWindowMessageW;shell32.Shell_NotifyIconW;kernel32.GlobalFindAtomA;kernel32.GlobalAddAtomA;kernel32.GlobalDeleteAtom;user32.RegisterHotKey;user32.UnregisterHotKey;win32u.NtUserUnregisterHotKey;user32.SetWindowPos;kernel32.CreateProcessW;kernel32.SetDllDirectoryA;kernel32.SetDefaultDllDirectories;kernelbase.SetDefaultDllDirectories;kernel32.SetCurrentDirectoryA;kernel32.SetWaitableTimer;kernelbase.SetWaitableTimer;kernel32.CancelWaitableTimer;kernelbase.CancelWaitableTimer;kernel32.SetThreadExecutionState;kernel32.PowerCreateRequest;kernel32.PowerSetRequest;kernel32.PowerClearRequest;kernelbase.PowerCreateRequest;kernelbase.PowerSetRequest;kernelbase.PowerClearRequest'

# --- Checks and the end of a scenario

failures=0
pass() { echo "ok   - $*"; }
fail() { echo "FAIL - $*"; failures=$((failures + 1)); }
# check DESCRIPTION COMMAND...: passes when the command succeeds.
check() {
  local what="$1"
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
# has TEXT REGEX: TEXT holds a line matching the extended regular expression.
has() { printf '%s\n' "$1" | grep -qE -- "$2"; }
# has_text TEXT STRING: TEXT holds STRING as it stands.
has_text() { printf '%s\n' "$1" | grep -qF -- "$2"; }
# quiet COMMAND...: runs it without its output.
quiet() { "$@" >/dev/null; }
# wine_do PROGRAM ARGS...: a Wine program whose work a scenario needs done (a
# registry write, import or export, each one that may be done twice); its
# output is not wanted, its exit code is returned. A start that failed is
# written down in driver-failures.txt and started once more
# (wine_run_checked); "reg add" and "reg delete" always print a word of
# success or failure.
wine_do() {
  local prints=no
  case "$* " in "reg add "* | "reg delete "*) prints=yes ;; esac
  wine_run_checked 0 "$prints" "$@"
}
# eventually SECONDS COMMAND...: the command succeeds within that time.
eventually() {
  local until=$(($(date +%s) + $1))
  shift
  until "$@"; do
    [ "$(date +%s)" -ge "$until" ] && return 1
    sleep 0.5
  done
}
not() { ! "$@"; }

# start_failures: what driver-failures.txt holds, if anything.
start_failures() {
  [ -s "${WORK:-}/driver-failures.txt" ] || return 0
  echo "--- drivers that ended abnormally, reads that found nothing, failed starts"
  cat "$WORK/driver-failures.txt"
}
finish() {
  if [ "$failures" -gt 0 ]; then
    echo "$SCENARIO: $failures check(s) failed"
    [ -n "${WINEPREFIX:-}" ] && desktop_state
    [ -s "${WINEPREFIX:-}/drive_c/e2e-driver-errors.txt" ] &&
      { echo "--- drivers that could not join the shell desktop"; cat "$WINEPREFIX/drive_c/e2e-driver-errors.txt"; }
    start_failures
    [ -f "$WORK/agent.log" ] && { echo "--- agent trace (last lines)"; tail -n 40 "$WORK/agent.log"; }
    exit 1
  fi
  # Kept in the test's log even when every check passed: a failed start
  # that did no harm this time says what to look for when one does.
  start_failures
  echo "$SCENARIO: all checks passed ($ORDAVI_WINE_ARCH build)"
  exit 0
}

# --- The driver, screenshots, the registry

# drv ARGS...: the driver, its output as UTF-8. A run that ends in a way the
# driver never ends (0 found, 1 not found, 2 bad usage, 3 no desktop), such
# as a Wine start that failed, reads to its caller like "not found": it is
# written down with what Wine said, for a failing scenario to print.
# Once the shell desktop is open, the driver's server (driver_server) answers
# instead of a new driver each time: the same commands, the same answers.
# Calls to drv are one at a time (no scenario runs two at once).
drv() {
  if driver_server_runs; then
    local rc
    drv_served "$@"; rc=$?
    if [ "$rc" -ne 255 ]; then
      printf '%s' "$DRV_ANSWER" | iconv -c -f GBK -t UTF-8
      return "$rc"
    fi
    echo "$(date +%T) the driver's server has ended (drv $*); a driver of its own answers" >>"$WORK/driver-failures.txt"
    DRV_SERVER_PID=""  # until the next start_agent starts another
  fi
  local errors="${WORK:-}/driver-stderr.txt" out rc try
  [ -n "${WORK:-}" ] || errors=/dev/null
  for try in 1 2; do
    out=$(wine 'C:\e2e_driver.exe' "$@" 2>"$errors" | iconv -c -f GBK -t UTF-8 | tr -d '\r'; exit "${PIPESTATUS[0]}")
    rc=$?
    # Anything on stderr (Wine itself says nothing with WINEDEBUG=-all), or
    # an exit the driver never makes, is written down.
    if { [ "$rc" -gt 3 ] || [ -s "$errors" ]; } && [ -n "${WORK:-}" ]; then
      { echo "$(date +%T) driver $*: exit $rc"; head -n 20 "$errors"; } >>"$WORK/driver-failures.txt"
    fi
    # "now" and "acp" always print. A start that printed nothing (seen once,
    # on a busy machine, before the desktop opened; cause not found) is
    # written down and asked once more.
    case "$1" in now | acp) [ -z "$out" ] || break ;; *) break ;; esac
    wine_start_retried "driver $*: printed nothing, exit $rc (start $try)" "$errors"
  done
  [ -z "$out" ] || printf '%s\n' "$out"
  return "$rc"
}
# drv_served ARGS...: the server's answer (GBK) in DRV_ANSWER and its exit
# code; 255 when the server has gone (the request cannot be written or the
# answer ends early).
drv_served() {
  DRV_ANSWER=""
  # A server that has gone makes the write fail rather than end this shell.
  (trap '' PIPE; { printf '%d\0' $#; printf '%s\0' "$@"; } >&"$DRV_REQUESTS") 2>/dev/null || return 255
  local line out=""
  while IFS= read -r -u "$DRV_ANSWERS" line; do
    # The answer is the output, a line's end, and 0x1d with the exit code.
    if [[ $line == $'\x1d'* ]]; then
      DRV_ANSWER=${out%$'\n'}
      return "${line#?}"
    fi
    out+="$line"$'\n'
  done
  return 255
}
driver_server_runs() { [ -n "${DRV_SERVER_PID:-}" ] && [ -e "/proc/$DRV_SERVER_PID" ]; }
# driver_server: the driver's server on the shell desktop, started when none
# runs (a session's end ends it with every program). Two named pipes in WORK
# carry the requests and answers.
driver_server() {
  driver_server_runs && return 0
  [ -n "${WORK:-}" ] || return 0
  case "$LC_ALL" in *.UTF-8) ;; *) return 0 ;; esac  # requests are sent as UTF-8
  [ -n "${DRV_REQUESTS:-}" ] && exec {DRV_REQUESTS}>&- {DRV_ANSWERS}<&-
  DRV_SERVERS=$((${DRV_SERVERS:-0} + 1))
  local requests="$WORK/driver-requests.$DRV_SERVERS" answers="$WORK/driver-answers.$DRV_SERVERS"
  mkfifo "$requests" "$answers" || return 0
  WINEDEBUG=-all wine 'C:\e2e_driver.exe' serve <"$requests" >"$answers" 2>>"$WORK/driver-server-stderr.txt" &
  DRV_SERVER_PID=$!
  # In the order the server opens them: each open waits for the other end.
  exec {DRV_REQUESTS}>"$requests" {DRV_ANSWERS}<"$answers"
}
shot() { import -window root "$SHOTS/$1.png" && echo "screenshot: build/screenshots/$1.png"; }
# shot_window NAME INFO: a screenshot of the window whose "drv info" is INFO
# (its outer rectangle, as it shows on the screen).
shot_window() {
  local geometry
  geometry=$(echo "$2" | sed -nE '1s/^window .* at (-?[0-9]+),(-?[0-9]+) outer ([0-9]+)x([0-9]+) .*/\3x\4+\1+\2/p')
  [ -n "$geometry" ] || return 1
  import -window root -crop "$geometry" +repage "$SHOTS/$1.png" && echo "screenshot: build/screenshots/$1.png"
}
# The agent's values are read by the driver (through its server once the
# agent runs, so no program starts): "drv getsz NAME" prints the value's
# bytes in hex (a string's GBK bytes, its NUL counted) and its type.
# reg_dword NAME: a REG_DWORD value as reg query prints it (0x3c); nothing
# for a value of another type or none.
reg_dword() {
  [[ $(drv getsz "$1") =~ ^(..)\ (..)\ (..)\ (..)\ type\ 4$ ]] || return 0
  printf '0x%x\n' "$((16#${BASH_REMATCH[4]}${BASH_REMATCH[3]}${BASH_REMATCH[2]}${BASH_REMATCH[1]}))"
}
# sz_text ANSWER: the text (UTF-8) of a REG_SZ value from getsz's ANSWER;
# 1 for a value of another type or none.
sz_text() {
  [[ $1 =~ ^(([0-9a-f]{2}\ )*)type\ 1$ ]] || return 1
  local bytes=${BASH_REMATCH[1]% }
  bytes=${bytes%00}
  printf '%b' "$(printf '%s' "$bytes" | sed -E 's/([0-9a-f]{2}) ?/\\x\1/g')" | iconv -f GBK -t UTF-8
}
reg_sz_empty() { [[ $(drv getsz "$1") =~ ^(00\ )?type\ 1$ ]]; }
gbk_hex() { printf '%s' "$1" | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

# layout_faults INFO: the visible child controls in a "drv info" that reach
# outside the window's client area, or that partly cover another control, one
# a line; nothing when every control has its own place. A control wholly
# inside another (a combo box's edit field, a list's header) is part of it.
layout_faults() {
  printf '%s\n' "$1" | grep -v ' hidden$' | sed -nE \
    -e 's/^window .* client ([0-9]+)x([0-9]+) .*/client \1 \2/p' \
    -e 's/^child ([^ ]+) id (-?[0-9]+) "(.*)" at (-?[0-9]+),(-?[0-9]+) size ([0-9]+)x([0-9]+).*/\4 \5 \6 \7 \1 "\3"/p' |
    awk '
      $1 == "client" { cw = $2; ch = $3; next }
      $3 > 0 && $4 > 0 {
        n++; x[n] = $1; y[n] = $2; r[n] = $1 + $3; b[n] = $2 + $4
        name[n] = $0; sub(/^[^ ]+ [^ ]+ [^ ]+ [^ ]+ /, "", name[n])
        if (x[n] < 0 || y[n] < 0 || r[n] > cw || b[n] > ch) print name[n] " reaches outside the " cw "x" ch " client area"
      }
      function inside(i, j) { return x[i] >= x[j] && y[i] >= y[j] && r[i] <= r[j] && b[i] <= b[j] }
      END {
        for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++)
          if (x[i] < r[j] && x[j] < r[i] && y[i] < b[j] && y[j] < b[i] && !inside(i, j) && !inside(j, i))
            print name[i] " and " name[j] " overlap"
      }'
}

# press CLASS CAPTION BUTTONTEXT: a left click at the button's place on the
# screen, as a user presses it.
press() {
  local at
  at=$(drv where "$1" "$2" "$3") || return 1
  # shellcheck disable=SC2086
  xdotool mousemove $at click 1
}

# menu_command ID: the tray menu's item with that command id is chosen.
menu_command() { quiet drv post TForm1 "$WM_COMMAND" "$1" 0; }

# --- The prefix and the agent

# Fresh prefix and display; the agent, the driver and the probe copied in.
setup() {
  wine_env_setup --display || exit 1
  BUILD="$(wine_build_dir)"
  WORK="$WINEPREFIX/e2e"
  mkdir -p "$WORK"
  WINE_START_LOG="$WORK/driver-failures.txt"  # wine_run_checked's reports
  cp "$BUILD/app/win32/Ordavi.exe" "$WINEPREFIX/drive_c/Ordavi.exe" || exit 1
  cp "$BUILD/e2e/e2e_driver.exe" "$BUILD/e2e/notice_probe.exe" "$WINEPREFIX/drive_c/" || exit 1
  # The caption buttons' glyphs come from the Marlett font, which Wine ships
  # but does not put into a new prefix: without it they show as "0 1 r".
  local marlett
  for marlett in /usr/share/wine/fonts/marlett.ttf /usr/lib/wine/fonts/marlett.ttf /opt/wine*/share/wine/fonts/marlett.ttf; do
    [ -f "$marlett" ] && cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/" && break
  done
  # The relay trace's calls, and every program of the prefix on the "shell"
  # desktop, the one the agent runs on, as a user's programs start on the
  # user's desktop: so do the launcher behind "wine explorer" and the explorer
  # that owns the desktop, every thread of it. (With the prefix's default
  # desktop the explorer's other threads stayed on that one, and Wine, which
  # closes a desktop when its users are no more than its owner's threads,
  # once closed the shell desktop under a running agent: a driver could then
  # no longer open it, and the agent's windows went away.) One reg import for
  # both: each Wine program's start takes up to a second on a busy machine.
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Debug]' "\"RelayInclude\"=\"$RELAY\"" '' \
    '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="shell"' >"$WORK/setup.reg"
  wine_do reg import "Z:${WORK//\//\\}\\setup.reg"
  DESKTOP_SIZE=""  # a fresh prefix has none
  desktop_size
}

# desktop_size: the size of the "shell" desktop where a program of the prefix
# creates it first: E2E_DESKTOP, 1024x768 unless a scenario says otherwise
# (written only when it changed).
desktop_size() {
  [ "${E2E_DESKTOP:-1024x768}" = "${DESKTOP_SIZE:-}" ] && return 0
  DESKTOP_SIZE="${E2E_DESKTOP:-1024x768}"
  wine_do reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /t REG_SZ /d "$DESKTOP_SIZE" /f
}

# desktop: explorer's argument for the "shell" virtual desktop, in which the
# agent and every program that must see its windows run.
desktop() { printf '/desktop=shell,%s' "${E2E_DESKTOP:-1024x768}"; }

# desktop_keeper: the "shell" desktop opened with a driver on it that keeps 16
# threads there, doing nothing, to the end of the session (started again
# after a scenario ended the session or the prefix's programs).
#
# Wine closes a desktop, its explorer and every window on it a second after a
# thread leaves it when the threads left on it are as many as its explorer's
# running threads, counting them as the explorer's own. A thread of the
# explorer that ends leaves the desktop before it leaves the explorer's count,
# so at that moment one thread of another program is enough to meet the count.
# The agent has one thread: when the explorer's worker threads (started to
# hand a document to the desktop's shell) ended while no driver ran, the
# agent's windows went away under a running agent. A user's desktop has more
# programs on it; the keeper's threads put the count out of reach.
#
# Nothing may start on a desktop that is going away. With no keeper running,
# nothing of the scenario is on any desktop (a session's end or "wineserver
# -k" ended it all), and what may still be there is ending: a session's end
# (ExitWindowsEx runs wineboot, which ends every program, a keeper started
# meanwhile too) must be over, and the explorer of the desktop the last
# programs were on ("explorer.exe /desktop...", also one that a driver's look
# at the windows brought up) must have gone, which it does a second after
# they end. One still there after ten seconds has nothing on it and is ended.
desktop_keeper() {
  [ -n "$(prefix_pids "$KEEPER")" ] && { driver_server; return 0; }
  no_session_end() { [ -z "$(prefix_pids 'wineboot\.exe')" ]; }
  no_desktop() { [ -z "$(prefix_pids "$DESKTOP_OWNER")" ]; }
  eventually 90 no_session_end || { fail "the session's end is over before the desktop opens"; finish; }
  if ! eventually 10 no_desktop; then
    echo "the explorer of a desktop with no program on it still runs after 10 s: ended"
    kill $(prefix_pids "$DESKTOP_OWNER") 2>/dev/null
    eventually 10 no_desktop || { fail "the explorer of the desktop before has ended"; finish; }
  fi
  # Wine's errors of the desktop's start are kept for a failing scenario.
  WINEDEBUG=-all,err+all wine_run_bg KEEPER_PID explorer "$(desktop)" 'C:\e2e_driver.exe' keep 16 \
    >/dev/null 2>>"$WORK/keeper.log"
  keeper_up() {
    local p
    for p in $(prefix_pids "$KEEPER"); do [ "$(ls "/proc/$p/task" | wc -l)" -ge 16 ] && return 0; done
    return 1
  }
  if ! eventually 90 keeper_up; then
    fail "the shell desktop opens with its keeper"
    local p rc
    for p in $(prefix_pids "$KEEPER"); do echo "the keeper runs with $(ls "/proc/$p/task" | wc -l) threads"; done
    if kill -0 "$KEEPER_PID" 2>/dev/null; then
      echo "the desktop's wine start still runs"
    else
      wait "$KEEPER_PID"; rc=$?
      echo "the desktop's wine start has ended: exit $rc"
    fi
    [ -s "$WORK/keeper.log" ] && { echo "--- Wine's errors of the desktop's start"; tail -n 20 "$WORK/keeper.log"; }
    finish
  fi
  driver_server
}
DESKTOP_OWNER='explorer\.exe /desktop'
KEEPER='^C:\\e2e_driver\.exe keep 16'

# prefix_pids PATTERN: the processes of this prefix whose command line matches.
prefix_pids() {
  local p
  for p in $(pgrep -f "$1"); do
    tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$p"
  done
}

# agent_window: the agent's main window TForm1 exists, hidden as the agent
# starts or shown as a countdown: a task due at once (空闲0分钟) can show it
# before a busy machine's first look.
agent_window() { quiet drv hidden TForm1 || [ "$(drv count TForm1 '*')" -gt 0 ]; }

# start_agent [COMMAND...]: the agent (by default C:\Ordavi.exe) in the
# "shell" virtual desktop of E2E_DESKTOP pixels (1024x768 unless a scenario
# needs a larger screen; Xvfb's is ORDAVI_WINE_SCREEN), with the relay trace
# unless AGENT_WINEDEBUG says otherwise.
start_agent() {
  local command=("$@")
  [ $# -eq 0 ] && command=('C:\Ordavi.exe')
  local debug="${AGENT_WINEDEBUG:-+relay}"
  desktop_size
  desktop_keeper
  WINEDEBUG="$debug" wine_run_bg AGENT_PID explorer "$(desktop)" "${command[@]}" 2>"$WORK/agent.log"
  # A start with the relay trace on a busy machine can take over a minute.
  # The window comes first; start-up goes on until the tick is switched on,
  # its last step. Traced, the trace says when that is, and the window is
  # looked at once then: every look is a driver, a Wine program's start, and
  # looks every half second took the processor from the start they waited
  # for. Untraced, the hotkeys' atoms come after the tray icon and the
  # options, and what follows them waits on nothing outside the agent.
  if [[ "$debug" == *relay* ]]; then
    if eventually 210 tick_switched_on; then
      agent_window && return 0
      fail "the agent's main window TForm1 exists"
    else
      fail "the agent's start-up ends with the task tick switched on"
    fi
    finish
  fi
  eventually 150 agent_window || { fail "the agent's main window TForm1 exists"; finish; }
  eventually 60 quiet drv atom MyHotkeyF11 && return 0
  fail "the agent's start-up ends with the task tick switched on"
  finish
}
tick_switched_on() { calls '(user32.SetTimer|win32u.NtUserSetTimer)\([0-9a-f]+,00000001,' | grep -q .; }

# desktop_state: whether the explorer that owns the "shell" desktop of this
# prefix still runs, said when a scenario fails.
desktop_state() {
  if [ -n "$(prefix_pids 'explorer.exe /desktop=shell')" ]; then
    echo "the shell desktop's explorer still runs"
  else
    echo "the shell desktop's explorer has ended (its windows went with it)"
  fi
}

# plant_task N SCHEDULE TYPE PARAM: task N, enabled, written through
# RegSetValueExA so that the stored bytes are GBK like the agent's own.
plant_task() {
  drv setsz "A$1" "$2" && drv setsz "B$1" "$3" && drv setsz "C$1" "$4" && drv setsz "D$1" 启用
}

# plant_due_at_first_pass TEXT: two tasks due whenever the user has been idle
# less than a minute, a reminder with TEXT and a shutdown, so that a notice
# and the countdown open at the agent's first pass (move the mouse with
# not_idle once it has started).
plant_due_at_first_pass() {
  quiet drv settasks 1 1 空闲0分钟 提醒 "$1"
  quiet drv settasks 2 2 空闲0分钟 关闭计算机 ""
  drv setdword TaskNum 2
}
not_idle() { xdotool mousemove 10 10 mousemove 20 20; }

# coming_minute [LEAD]: the first minute of the prefix's local clock that
# begins at least LEAD seconds from now (0: the coming one), so that what a
# scenario does before it (planting the tasks, on a busy machine) is over in
# time. Sets DUE_H, DUE_M (no zero padding, as a schedule text writes them),
# DUE_YMD (year month day run together, as the junk log name writes them) and
# DUE_WAIT, the seconds until that minute begins.
coming_minute() {
  local lead=${1:-0} y mo d h mi s k=1
  read -r y mo d h mi s < <(drv now)
  while [ $((60 * k - s)) -lt "$lead" ]; do k=$((k + 1)); done
  read -r DUE_YMD DUE_H DUE_M <<<"$(minutes_after "$y" "$mo" "$d" "$h" "$mi" "$k" '+%Y%-m%-d %-H %-M')"
  DUE_WAIT=$((60 * k - s))
  echo "now $h:$mi:$s, tasks due at $DUE_H:$DUE_M"
}

# due_at_coming_minute COUNT: tasks 1..COUNT, planted while TaskNum was still
# 0 (so the running agent saw none of them), get the daily schedule of the
# coming minute at least 20 s ahead, and TaskNum COUNT shows them to the
# agent: few driver calls between choosing the minute and its start, on a
# busy machine too.
due_at_coming_minute() {
  local n
  coming_minute 20
  for n in $(seq 1 "$1"); do drv setsz "A$n" "每天${DUE_H}时${DUE_M}分"; done
  drv setdword TaskNum "$1"
}

# minutes_after Y MO D H MI K FORMAT: the minute K minutes after that one,
# in date's FORMAT.
minutes_after() {
  date -u -d "$(printf '%04d-%02d-%02d %02d:%02d:00' "$1" "$2" "$3" "$4" "$5") UTC + $6 minutes" "$7"
}

# --- The relay trace
#
# Lines are read in one form for both builds: thread and timestamp prefixes
# and the return address go, module names are lower case, and every argument
# is cut to its low 32 bits (8 hex digits). A 64-bit Wine prints each argument
# as a whole register, so a handle of -1 reads ffffffffffffffff and a 32-bit
# number may carry leftover high bits; cut, both read as the 32-bit build's.
_relay_norm() {
  perl -ne '
    next unless /^(?:([0-9]+\.[0-9]+):)?[0-9a-f]{4}:(Call [A-Za-z0-9_]+\..*)$/;
    my ($t, $l) = ($1, $2);
    $l =~ s/ ret=[0-9a-f]+$//;
    $l =~ s/^Call ([A-Za-z0-9_]+)\./"Call " . lc($1) . "."/e;
    $l =~ s/(?<=[(,])[0-9a-f]*?([0-9a-f]{8})(?=[ ,)])/$1/g;
    $l = "$t $l" if $ENV{RELAY_TIMED};
    print "$l\n" unless $ENV{RELAY_TIMED} && !defined $t;'
}
# calls REGEX: the normalised calls matching REGEX (module names lower case).
calls() { _relay_norm <"$WORK/agent.log" | grep -E "^Call $1"; }
# timed_calls REGEX: the same with the timestamp (seconds) first; needs
# WINEDEBUG=+timestamp,+relay.
timed_calls() { RELAY_TIMED=1 _relay_norm <"$WORK/agent.log" | grep -E "^[0-9.]+ Call $1"; }
# The seconds of a timed call line.
stamp() { cut -d' ' -f1; }

# The address of the tray icon record, from the first NIM_ADD call, as the
# whole pointer (not cut to 32 bits).
tray_record_address() {
  grep -aE ':Call shell32\.Shell_NotifyIconW\(0+,[0-9a-f]+\)' "$WORK/agent.log" | head -n1 |
    sed -E 's/.*Shell_NotifyIconW\(0+,([0-9a-f]+)\).*/\1/'
}

# The tray icon record's first Unicode layout: 152 bytes in the 32-bit build,
# 168 in the 64-bit build (handles of 8 bytes, aligned). TRAY_HEAD is the
# regex of its leading fields (cbSize, hWnd, uID 100, uFlags 7, WM_USER+1),
# TRAY_TIP the 1-based byte position of the tip's 64 UTF-16 units.
if [ "${ORDAVI_WINE_ARCH:-}" = win64 ]; then
  TRAY_SIZE=168
  TRAY_HEAD='^a8 00 00 00 00 00 00 00 (.. ){8}64 00 00 00 07 00 00 00 01 04 00 00 '
  TRAY_TIP=41
else
  TRAY_SIZE=152
  TRAY_HEAD='^98 00 00 00 (.. ){4}64 00 00 00 07 00 00 00 01 04 00 00 '
  TRAY_TIP=25
fi
# tray_record ADDRESS: the record's bytes, space separated on one line.
tray_record() { drv peek TForm1 "$1" "$TRAY_SIZE" | tr '\n' ' ' | tr -s ' '; }
# tray_tip RECORD: the 128 bytes of its tip.
tray_tip() { echo "$1" | cut -d' ' -f"$TRAY_TIP-$((TRAY_TIP + 127))"; }
# tip_text RECORD: the record's tip as UTF-8 text.
tip_text() { tray_tip "$1" | xxd -r -p | iconv -f UTF-16LE -t UTF-8 | tr -d '\0'; }
# utf16_hex TEXT: TEXT's UTF-16 bytes in hex, space separated.
utf16_hex() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
# tip_starts RECORD TEXT: the tray record's tip begins with TEXT.
tip_starts() { [[ "$(tray_tip "$1")" == "$(utf16_hex "$2")"* ]]; }
# tip_bytes TEXT: the tip field holding TEXT in UTF-16, zero-padded to 128 bytes.
tip_bytes() {
  local hex n
  hex=$(utf16_hex "$1")
  n=$(echo "$hex" | wc -w)
  echo "$hex$(printf ' 00%.0s' $(seq 1 $((128 - n))))"
}

# --- Measuring the running agent (benchmarks and the soak)

# The benchmark probe (bench/probe.cpp), copied into the prefix by
# copy_probe.
copy_probe() { cp "$BUILD/bench/bench_probe.exe" "$WINEPREFIX/drive_c/" || exit 1; }
probe() { wine 'C:\bench_probe.exe' "$@" 2>/dev/null | tr -d '\r'; }

# The Linux process of a Windows program of this prefix (Wine names it by
# its Windows path).
unix_pid() { prefix_pids "^C:\\\\$1" | head -n1 | grep .; }
# private_kb / rss_kb / cpu_ms UNIXPID: the whole Wine process, from Linux.
private_kb() { awk '/^Private_(Clean|Dirty):/ { s += $2 } END { print s }' "/proc/$1/smaps_rollup"; }
rss_kb() { awk '/^Rss:/ { print $2 }' "/proc/$1/smaps_rollup"; }
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{ printf "%.0f", ($14 + $15) * 1000 / hz }' "/proc/$1/stat"; }
# field NAME LINE: the number after NAME in a probe line.
field() { echo "$2" | awk -v n="$1" '{ for (i = 1; i < NF; i++) if ($i == n) { print $(i + 1); exit } }'; }

# plant_minutes FIRST COUNT: tasks from FIRST on due in each of COUNT
# minutes from the coming minute on: a reminder "提醒<k>" in each, then a
# shutdown countdown in the first and every fifth (1 + COUNT / 5 of them).
# Sets PLANTED_LAST to the last task number and PLANTED_END to when the last
# minute ends (seconds since the epoch).
plant_minutes() {
  local y mo d h mi s k when n=$(($1 - 1))
  read -r y mo d h mi s < <(drv now)
  PLANTED_END=$(($(date +%s) + 60 - 10#$s + 60 * $2))
  for k in $(seq 1 "$2"); do
    when=$(minutes_after "$y" "$mo" "$d" "$h" "$mi" "$k" '+每天%-H时%-M分')
    n=$((n + 1))
    plant_task "$n" "$when" 提醒 "提醒$k"
    [ "$k" = 1 ] || [ $((k % 5)) = 0 ] && n=$((n + 1)) && plant_task "$n" "$when" 关闭计算机 ""
  done
  PLANTED_LAST=$n
}

# keep_agent_going UNTIL: until that time (seconds since the epoch) closes
# each notice as it comes, its text appended to NOTICES_SEEN (one a line),
# and presses 取消关机 on each countdown; after a cancel (which switches
# monitoring off) it switches monitoring on again late in that minute, so
# the countdown task is not due again. COUNTDOWNS counts the cancels.
NOTICES_SEEN=""
COUNTDOWNS=0
keep_agent_going() {
  local texts s
  while [ "$(date +%s)" -lt "$1" ]; do
    if [ "$(drv count TForm6 '提示')" != 0 ]; then
      texts=$(drv info TForm6 '提示' | sed -nE 's/^child Static id 1 "(.*)" at .*/\1/p')
      quiet drv close TForm6 '提示'
      NOTICES_SEEN+="$texts"$'\n'
      # The close is a posted WM_CLOSE: a busy agent (in its pass over a
      # thousand tasks) destroys the notice later, and a look before that
      # would read the same notice twice. Up to 8 s, well inside a
      # countdown's 20.
      quiet drv gone TForm6 '提示' 8
    fi
    if [ "$(drv count TForm1 '*')" != 0 ] && press TForm1 '*' '取消关机'; then
      COUNTDOWNS=$((COUNTDOWNS + 1))
      s=$(drv now | cut -d' ' -f6)
      [ "$s" -lt 52 ] && sleep $((52 - s))
      menu_command "$MENU_MONITORING"
    fi
    sleep 1
  done
}

# --- The tray menu and the task tick

WM_TRAY=0x0401  # the tray icon's callback message, WM_USER + 1
# menu_open: a popup menu is open.
menu_open() { [ "$(drv count '#32768' '*')" -gt 0 ]; }
# close_menu: Esc closes the open tray menu, and the menu is gone before the
# scenario goes on. A menu left open takes the next click for itself (the
# click that ends it never reaches the button under it) and runs the posted
# commands inside its own loop. The menu's owner is the agent's hidden main
# window, which has no X window to take the keyboard: after another window has
# closed, Wine can leave the X input focus on the taskbar's window, and the
# key then never reaches the menu. So the desktop window, where a fresh
# display has the focus, gets it first.
close_menu() {
  xdotool search --name ' - Wine desktop$' windowfocus --sync >/dev/null 2>&1
  xdotool key Escape
  eventually 5 not menu_open
}
# click_off_menu: a click on the empty desktop closes the open tray menu (the
# agent takes the foreground before it opens the menu for this), and the menu
# is gone before the scenario goes on. Under Wine, Esc never reaches a menu
# that a real click on the icon opened.
click_off_menu() {
  xdotool mousemove 20 20 click 1
  eventually 5 not menu_open
}

# The agent's main window in the relay trace: the one that registered the
# hotkeys.
main_window() { calls user32.RegisterHotKey | head -n1 | sed -E 's/.*\(([0-9a-f]+),.*/\1/'; }
# Timer1 (the task tick, id 1) switched on or off, the last call. Only the
# main window's count: the controls of other windows have timers of id 1 too.
last_timer1_call() {
  calls "(user32.SetTimer|win32u.NtUserSetTimer|user32.KillTimer|win32u.NtUserKillTimer)\\($(main_window),00000001" | tail -n1
}
# tick_starts: how often the tick's timer was switched on: by the start-up,
# by monitoring on, at a pause's end and by each pass as it begins.
tick_starts() { calls "(user32.SetTimer|win32u.NtUserSetTimer)\\($(main_window),00000001," | wc -l; }
# passes_begun N [SECONDS]: switched on 1 + N times: the agent's first N
# passes have begun, and all its start did (the missed runs too) is over.
passes_begun() {
  local passes=$1
  eventually "${2:-60}" eval '[ "$(tick_starts)" -gt "$passes" ]'
}
# whole_passes N [SECONDS]: N whole passes of the tick ran after this call:
# N + 1 have begun since (each is over when the next begins).
whole_passes() {
  local from
  from=$(($(tick_starts) + $1 + 1))
  eventually "${2:-60}" eval '[ "$(tick_starts)" -ge "$from" ]'
}

# The name of the icon last loaded by name (MAINICON, ENASHUT, DISSHUT).
last_icon() { calls user32.LoadIconW | sed -nE 's/.*"([A-Z]+)"\)$/\1/p' | tail -n1; }

# The power calls; power_calls with their times (needs +timestamp,+relay).
POWER_CALLS='(user32.ExitWindowsEx|kernel32.SetSystemPowerState|ntdll.NtShutdownSystem)'
power_trace() { calls "$POWER_CALLS"; }
power_calls() { timed_calls "$POWER_CALLS"; }

# The keep-awake's power requests: made, set (1: the system, 0: the display)
# and cleared; where the system makes no request (this Wine answers
# PowerCreateRequest with none), the thread's execution state.
AWAKE_CALLS='kernel(32|base)\.(Power(Create|Set|Clear)Request|SetThreadExecutionState)'
# kept_awake: the last word of the power calls holds the system awake: a
# request set for it, or the execution state with ES_SYSTEM_REQUIRED.
kept_awake() {
  calls "$AWAKE_CALLS" | grep -E 'Request\([0-9a-f]+,00000001\)|ExecutionState\(' | tail -n1 |
    grep -qE 'SetRequest|ExecutionState\(8000000[13]\)'
}
# request_reason: the reason of the last power request made, as the system
# shows it: its REASON_CONTEXT (version 0, a simple string) read from the
# agent's memory, where it stays while the request lives, and the string it
# points to, as UTF-8.
request_reason() {
  local ctx hex ptr
  ctx=$(grep -aiE ':Call kernel(32|base)\.PowerCreateRequest\(' "$WORK/agent.log" | tail -n1 |
    sed -E 's/.*PowerCreateRequest\(([0-9a-f]+)\).*/\1/')
  [ -n "$ctx" ] || return 1
  hex=$(drv peek TForm1 "$ctx" 16 | tr -s '\n ' ' ')
  read -r -a b <<<"$hex"
  [ "${b[*]:0:8}" = "00 00 00 00 01 00 00 00" ] || return 1
  if [ "${ORDAVI_WINE_ARCH:-}" = win64 ]; then
    ptr="${b[15]}${b[14]}${b[13]}${b[12]}${b[11]}${b[10]}${b[9]}${b[8]}"
  else
    ptr="${b[11]}${b[10]}${b[9]}${b[8]}"
  fi
  drv peek TForm1 "$ptr" 96 | tr -d ' \n' | perl -ne 'print $1 if /^((?:[0-9a-f]{4})*?)0000/' | xxd -r -p |
    iconv -f UTF-16LE -t UTF-8
}

# --- The settings dialog and the task editor

# open_settings: the tray menu's 设置(&S) clicked with the mouse. Its place is
# worked out from the menu's height: 17 items and 3 separators of half an
# item's height, inside a 2-pixel frame; 设置 is the second item, after one
# separator.
open_settings() {
  quiet drv post TForm1 $WM_TRAY 0 0x0201
  eventually 5 menu_open || return 1
  local x y w h item
  read -r x y w h < <(drv wait '#32768' '*' 1 | sed -nE 's/.* at (-?[0-9]+),(-?[0-9]+) outer ([0-9]+)x([0-9]+) .*/\1 \2 \3 \4/p')
  item=$(((h - 4) * 2 / 42))  # an item's height: 19 items and 4 half-height separators
  xdotool mousemove $((x + w / 2)) $((y + 2 + 2 * item)) click 1
  eventually 10 quiet drv wait TForm3 '设置' 1
}

# click_at OUTPUT: a left click at the "center X,Y" a driver command printed.
click_at() {
  local xy
  xy=$(echo "$1" | sed -nE 's/.* center ([0-9]+),([0-9]+).*/\1 \2/p')
  [ -n "$xy" ] || return 1
  # shellcheck disable=SC2086
  xdotool mousemove $xy click 1
}

# click_ctl CLASS CAPTION CTLCLASS WHICH: a click on a child control (WHICH as
# for the driver's ctl: its text or #N).
click_ctl() { click_at "$(drv ctl "$@")"; }

# click_cell ROW COLUMN: a click on a cell of the settings list.
click_cell() { click_at "$(drv lvcell TForm3 '*' "$1" "$2")"; }

# rows: the settings list's rows, "label|时间|任务|任务属性|是否启用" a line;
# next_runs: their 下次运行 cells.
rows() { drv lv TForm3 '*' | sed -nE 's/^row [0-9]+ "(.*)".*/\1/p' | cut -d'|' -f1-5; }
next_runs() { drv lv TForm3 '*' | sed -nE 's/^row [0-9]+ "(.*)".*/\1/p' | cut -d'|' -f6; }

# stored N: task N as the registry holds it, in the form of a row. A field
# that could not be read as a string is written down, for a failing scenario
# to print.
stored() {
  local n=$1 out="$1" f answer text
  for f in A B C D; do
    answer=$(drv getsz "$f$n")
    text=$(sz_text "$answer") || echo "$(date +%T) $f$n: no string value ($answer)" >>"$WORK/driver-failures.txt"
    out+="|$text"
  done
  echo "$out"
}

# box_says CAPTION TEXT: a message box with that caption shows that text.
box_says() { has_text "$(drv info '#32770' "$1")" "\"$2\""; }

# The editor's parameter box emptied with the keyboard.
clear_param_box() {
  click_ctl TForm5 '*' ComboBox '#5'
  xdotool key End shift+Home Delete
}

# pick_type N: the editor's type box opened with a click, the N-th type (from
# 0) chosen with the keyboard.
pick_type() {
  click_ctl TForm5 '*' ComboBox '#4'
  sleep 0.3
  xdotool key Home
  local i
  for ((i = 0; i < $1; i++)); do xdotool key Down; done
  xdotool key Return
  sleep 0.3
}

# --- Agents and the run history

# agents: the Ordavi.exe processes of this prefix.
agents() { prefix_pids '^C:\\Ordavi\.exe' | wc -l; }

# The history file in the prefix's local application data (UTF-8 with a BOM).
history_file() { find "$WINEPREFIX/drive_c/users" -path '*/Ordavi/run-history.txt' 2>/dev/null | head -n1; }
history_lines() { local f; f=$(history_file); [ -n "$f" ] && sed '1s/^\xEF\xBB\xBF//; s/\r$//' "$f"; }
