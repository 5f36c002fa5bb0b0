# Wine environment for Ordavi's Win32 tests and end-to-end scenarios.
#
# Every test gets a FRESH, private Wine prefix under /tmp, copied in a
# fraction of a second from a template prefix that is created once (wineboot)
# and cached in build/wine-template/<arch>. Creation takes a lock, so parallel
# ctest runs wait for one another instead of racing; the template is rebuilt
# by itself when the installed Wine changes.
#
# Which Wine: the shipped 32-bit build runs on the 32-bit loader wherever the
# machine can run 32-bit programs. Some kernels refuse them ("Exec format
# error" from /usr/lib/wine/wine); there the tests run the win64 build of the
# same sources on the 64-bit loader, in a 64-bit prefix. wine_arch_detect
# decides once and exports ORDAVI_WINE_ARCH, so a whole test run (and every
# program it starts) takes the same path; setting ORDAVI_WINE_ARCH=win32 or
# win64 beforehand forces one. The `wine` shell function below calls the
# chosen loader: the `wine` wrapper itself would always pick the 32-bit one
# when it is installed.
#
# Source it and call the pieces you need:
#
#   source tools/wine-test-env.sh
#   wine_env_setup --display     # fresh prefix (+ Xvfb with --display); cleanup on EXIT
#   wine_build_dir               # build/win32 or build/win64: the build to run
#   wine_run_bg pid Ordavi.exe   # start a program in the background, pid in $pid
#   wine_reg_query 'HKLM\Software\Velmora\Ordavi' TaskNum
#   wine_run_checked 0 yes reg add ...  # started once more if the start did not run
#   wine_prefix_keep DIR         # a prefix kept between runs instead of a fresh one
#   wine_xvfb_start              # a private Xvfb; DISPLAY exported
#   wine_run test.exe args       # run in the foreground, return its exit code
#   wine_cleanup                 # also runs by itself at EXIT
#
# Or call it: `bash tools/wine-test-env.sh [--display] cmd args...` runs the
# command (a shell command, e.g. `wine prog.exe`) in a fresh prefix and
# returns its exit code. tools/wine-run.sh is the short form for one .exe.
#
# What wine_env_setup exports:
#   WINEPREFIX        the private prefix (a new directory /tmp/ordavi-wine.*)
#   ORDAVI_WINE_ARCH  win32 or win64 (see above)
#   WINEARCH          the same: the prefix's architecture
#   WINELOADER        the 64-bit loader, in the win64 case
#   LC_ALL=zh_CN.UTF-8  ANSI code page 936 (GBK), short date format yyyy/M/d
#   WINEDEBUG         -all, unless the caller set it (e.g. +relay)
#   WINEDLLOVERRIDES  no Mono/Gecko install prompts, no menu entries on the
#                     Linux side; the caller's own overrides are appended
#   DISPLAY           the private Xvfb display (with --display), else unset
#   WINE_XVFB_PID     the Xvfb process (with --display)
#
# Settings (environment):
#   ORDAVI_WINE_ARCH      win32 or win64: force the path instead of detecting it
#   ORDAVI_WINE_TEMPLATE  where the template lives (default build/wine-template/<arch>)
#   ORDAVI_WINE_KEEP=1    keep the prefix after the test (its path is printed)
#   ORDAVI_WINE_SCREEN    Xvfb screen, default 1024x768x24
#   ORDAVI_WINE_LOCALE    the locale instead of zh_CN.UTF-8 (en_US.UTF-8: code
#                         page 1252; ja_JP.UTF-8: 932)
#   ORDAVI_WINE_TIMEOUT   seconds wine_run lets a program run (default 300;
#                         exit code 124 when it is exceeded)
#
# Crash dialogs are switched off in the template, so a crashing test program
# ends with an error code instead of waiting for a click.

_WINE_ENV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
: "${ORDAVI_WINE_SCREEN:=1024x768x24}"
: "${ORDAVI_WINE_TIMEOUT:=300}"

WINE_XVFB_PID=""
WINE_BG_PIDS=()
_WINE_XVFB_FIFO=""
_WINE_PREFIX_OWNED=""

_wine_log() { echo "wine-test-env: $*" >&2; }

# Decides, once, which Wine and which build the tests run on; exports
# ORDAVI_WINE_ARCH and the template's place.
wine_arch_detect() {
  case "${ORDAVI_WINE_ARCH:-}" in
    win32 | win64) ;;
    "")
      if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        ORDAVI_WINE_ARCH=win32
      else
        ORDAVI_WINE_ARCH=win64
      fi
      ;;
    *)
      _wine_log "ORDAVI_WINE_ARCH must be win32 or win64, not '$ORDAVI_WINE_ARCH'"
      return 1
      ;;
  esac
  export ORDAVI_WINE_ARCH
  : "${ORDAVI_WINE_TEMPLATE:=$_WINE_ENV_ROOT/build/wine-template/$ORDAVI_WINE_ARCH}"
  export ORDAVI_WINE_TEMPLATE
}

# The build directory whose programs run here: build/win32 or build/win64
# (under ORDAVI_WINDOWS_BUILDS when set, else the checkout's build/).
wine_build_dir() {
  echo "${ORDAVI_WINDOWS_BUILDS:-$_WINE_ENV_ROOT/build}/$ORDAVI_WINE_ARCH"
}

# The loader of the chosen architecture. Called by every `wine ...` below and
# in the scripts that source this file.
wine() { command "$(_wine_loader)" "$@"; }
# The system's winepath script starts the default loader, which cannot run
# here in the win64 case; Wine's own winepath.exe through the chosen loader.
winepath() { wine winepath.exe "$@"; }
_wine_loader() {
  if [ "$ORDAVI_WINE_ARCH" = win64 ]; then echo /usr/lib/wine/wine64; else echo wine; fi
}

# What the template depends on: the Wine build and its wine.inf (Wine updates
# a prefix in place when wine.inf changes, which must never happen to the
# template's shared files).
_wine_template_key() {
  local inf
  inf=$(ls /usr/share/wine/wine.inf /usr/share/wine/wine/wine.inf 2>/dev/null | head -n1)
  echo "$(wine --version 2>/dev/null) $(stat -c %Y "$inf" 2>/dev/null) $ORDAVI_WINE_ARCH ordavi-template-2"
}

_wine_base_env() {
  export WINEARCH="$ORDAVI_WINE_ARCH"
  if [ "$ORDAVI_WINE_ARCH" = win64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
  else
    unset WINELOADER
  fi
  export LC_ALL="${ORDAVI_WINE_LOCALE:-zh_CN.UTF-8}"
  export WINEDEBUG="${WINEDEBUG:--all}"
  local ours="mscoree,mshtml=;winemenubuilder.exe=d"
  case "${WINEDLLOVERRIDES:-}" in
    "$ours"*) ;;
    "") export WINEDLLOVERRIDES="$ours" ;;
    *) export WINEDLLOVERRIDES="$ours;$WINEDLLOVERRIDES" ;;
  esac
}

# Creates the template prefix when it is missing or stale. Safe to call from
# several processes at once.
wine_template_ensure() {
  wine_arch_detect || return 1
  local tpl="$ORDAVI_WINE_TEMPLATE" key
  key=$(_wine_template_key)
  if [ -f "$tpl/key" ] && [ "$(cat "$tpl/key")" = "$key" ]; then return 0; fi
  mkdir -p "$(dirname "$tpl")"
  (
    flock -x 9
    if [ -f "$tpl/key" ] && [ "$(cat "$tpl/key")" = "$key" ]; then exit 0; fi
    _wine_log "creating the template prefix in $tpl (once; about 20 s)"
    local work="$tpl.new.$$"
    rm -rf "$tpl".new.*  # left by a creation that was killed; we hold the lock
    mkdir -p "$work"
    (
      unset DISPLAY
      _wine_base_env
      export WINEPREFIX="$work/prefix" WINEDEBUG=-all
      wine wineboot -i >/dev/null 2>&1
      # No crash dialog: a crashing program ends instead of waiting for a click.
      wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
      wineserver -w
    ) || { rm -rf "$work"; _wine_log "wineboot failed"; exit 1; }
    if [ ! -f "$work/prefix/system.reg" ]; then
      rm -rf "$work"
      _wine_log "wineboot left no registry in the template"
      exit 1
    fi
    rm -f "$work/prefix/wineserver"  # a stale socket name from wineboot, if any
    echo "$key" >"$work/key"
    rm -rf "$tpl"
    mv "$work" "$tpl"
  ) 9>"$tpl.lock"
}

# Makes a fresh prefix from the template and exports WINEPREFIX and the Wine
# settings. The Wine system files (system32, winsxs) are hard links to the
# template's: Wine only ever reads them, and deleting one in a test removes the
# link only. Everything else, the registry included, is a real copy.
wine_prefix_new() {
  wine_template_ensure || return 1
  local src="$ORDAVI_WINE_TEMPLATE/prefix" dst
  dst=$(mktemp -d /tmp/ordavi-wine.XXXXXX) || return 1
  _WINE_PREFIX_OWNED="$dst"  # from here on wine_cleanup removes it
  (
    flock -s 9
    cd "$src" &&
      local shared=(drive_c/windows/system32 drive_c/windows/winsxs)
    [ -d drive_c/windows/syswow64 ] && shared+=(drive_c/windows/syswow64)
    tar "${shared[@]/#/--exclude=./}" -cf - . | tar -C "$dst" -xf - &&
      cp -al "${shared[@]}" "$dst/drive_c/windows/"
  ) 9>"$ORDAVI_WINE_TEMPLATE.lock" || { _wine_log "copying the template failed"; return 1; }
  _wine_base_env
  export WINEPREFIX="$dst"
}

# wine_prefix_keep DIR: DIR becomes the prefix, kept between runs (it is
# made from the template when it has no registry yet); exports the same
# settings as a fresh prefix. No cleanup removes it.
wine_prefix_keep() {
  wine_template_ensure || return 1
  if [ ! -f "$1/system.reg" ]; then
    mkdir -p "$1" && cp -a "$ORDAVI_WINE_TEMPLATE/prefix/." "$1/" || return 1
  fi
  _wine_base_env
  export WINEPREFIX="$1"
}

# Starts a private Xvfb on a free display (chosen by Xvfb itself) and exports
# DISPLAY and WINE_XVFB_PID.
wine_xvfb_start() {
  local screen="${1:-$ORDAVI_WINE_SCREEN}" n
  _WINE_XVFB_FIFO=$(mktemp -u /tmp/ordavi-xvfb.XXXXXX)
  mkfifo "$_WINE_XVFB_FIFO" || return 1
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$_WINE_XVFB_FIFO" >/dev/null 2>&1 &
  WINE_XVFB_PID=$!
  n=""
  read -r -t 20 n <"$_WINE_XVFB_FIFO"
  rm -f "$_WINE_XVFB_FIFO"
  _WINE_XVFB_FIFO=""
  if [ -z "$n" ]; then
    _wine_log "Xvfb did not start"
    kill "$WINE_XVFB_PID" 2>/dev/null
    WINE_XVFB_PID=""
    return 1
  fi
  export DISPLAY=":$n"
}

# wine_env_setup [--display]: a fresh prefix, Xvfb when asked for, and
# wine_cleanup at EXIT (and on INT/TERM/HUP). A caller with its own EXIT trap
# should call wine_cleanup from it.
wine_env_setup() {
  local display=""
  wine_arch_detect || return 1
  [ "${1:-}" = "--display" ] && display=1
  trap wine_cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  trap 'exit 129' HUP
  wine_prefix_new || return 1
  # The prefix's server stays until wine_cleanup ends it. By default it ends
  # a few seconds after its last program, and a program started just then
  # found it going ("wine client error:0: recvmsg: Connection reset by
  # peer"): a registry write between two others that did nothing.
  wineserver -p || return 1
  if [ -n "$display" ]; then
    wine_xvfb_start || return 1
  else
    unset DISPLAY
  fi
}

# wine_run prog.exe [args]: runs a program in the prefix, waits for it and
# returns its exit code (124 after ORDAVI_WINE_TIMEOUT seconds).
# The program runs as a background job that the shell waits for, so that a
# TERM or INT sent to the test (ctest's timeout, Ctrl-C) runs the cleanup at
# once instead of after the program ends; its standard input stays the
# caller's.
wine_run() {
  timeout -k 10 "$ORDAVI_WINE_TIMEOUT" "$(_wine_loader)" "$@" <&0 &
  local pid=$!
  WINE_BG_PIDS+=("$pid")
  wait "$pid"
}

# wine_run_bg VAR prog.exe [args]: starts a program in the background; VAR
# receives the pid of its wine launcher (wait on it for the exit code).
# Output goes to the caller's stdout/stderr unless redirected around the call.
wine_run_bg() {
  local __var="$1"
  shift
  wine "$@" &
  WINE_BG_PIDS+=($!)
  printf -v "$__var" '%s' "$!"
}

# wine_run_checked MAXRC PRINTS PROGRAM ARGS...: PROGRAM started in the
# prefix, its standard output (as it printed it) in WINE_OUT, its exit code
# returned. For programs whose work may be done twice: a start that did not
# run (an exit code above MAXRC, anything on stderr, which Wine leaves empty
# with WINEDEBUG=-all, or no output from a program that always prints,
# PRINTS yes) is written down with what Wine said in WINE_START_LOG (a file;
# stderr when unset) and started once more. On a loaded machine a start has
# been seen to do nothing, once in many hundreds.
wine_run_checked() {
  local maxrc=$1 prints=$2 errors try rc
  shift 2
  errors=$(mktemp)
  for try in 1 2; do
    WINE_OUT=$(wine "$@" 2>"$errors")
    rc=$?
    [ "$rc" -gt "$maxrc" ] || [ -s "$errors" ] || { [ "$prints" = yes ] && [ -z "$WINE_OUT" ]; } || break
    wine_start_retried "wine $*: exit $rc, printed ${#WINE_OUT} characters (start $try)" "$errors"
  done
  rm -f "$errors"
  return "$rc"
}

# wine_start_retried WHAT [ERRORS]: a start that did not run, written down
# with what Wine said (the file ERRORS) in WINE_START_LOG (else stderr) and
# in WINE_RETRY_LOG, which the test command prints at its end.
WINE_RETRY_LOG="${WINE_RETRY_LOG:-${ORDAVI_WINDOWS_BUILDS:-$_WINE_ENV_ROOT/build}/wine-retried-starts.txt}"
wine_start_retried() {
  local entry
  entry="$(date +%T) ${SCENARIO:-$(basename "$0")}: $1"$'\n'
  [ -s "${2:-}" ] && entry+="$(head -n 20 "$2" | sed 's/^/    /')"$'\n'
  printf '%s' "$entry" >>"${WINE_START_LOG:-/dev/stderr}"
  printf '%s' "$entry" >>"$WINE_RETRY_LOG" 2>/dev/null
  return 0
}

# wine_reg_query KEY [VALUE]: `reg query` in the prefix, as UTF-8 with Unix
# line ends. KEY as reg.exe takes it: 'HKLM\Software\Velmora\Ordavi'.
wine_reg_query() {
  local args=(query "$1") rc out
  [ $# -gt 1 ] && args+=(/v "$2")
  # reg.exe prints an answer whether it found the key (exit 0) or not (1).
  wine_run_checked 1 yes reg "${args[@]}"
  rc=$?
  out=$(printf '%s' "$WINE_OUT" | iconv -f GBK -t UTF-8 | tr -d '\r')
  [ -z "$out" ] || printf '%s\n' "$out"
  return "$rc"
}

# Ends every Wine process of the prefix, stops Xvfb and removes the prefix
# (kept with ORDAVI_WINE_KEEP=1). Only what this environment started is
# touched: the wineserver of our own prefix and our own Xvfb pid.
wine_cleanup() {
  local rc=$?
  if [ -n "$_WINE_PREFIX_OWNED" ] && [ -d "$_WINE_PREFIX_OWNED" ]; then
    WINEPREFIX="$_WINE_PREFIX_OWNED" wineserver -k 2>/dev/null
    WINEPREFIX="$_WINE_PREFIX_OWNED" timeout 10 wineserver -w 2>/dev/null
  fi
  local p
  for p in "${WINE_BG_PIDS[@]}"; do
    kill "$p" 2>/dev/null
  done
  WINE_BG_PIDS=()
  [ -n "$_WINE_XVFB_FIFO" ] && rm -f "$_WINE_XVFB_FIFO"
  _WINE_XVFB_FIFO=""
  if [ -n "$WINE_XVFB_PID" ]; then
    kill "$WINE_XVFB_PID" 2>/dev/null
    wait "$WINE_XVFB_PID" 2>/dev/null
    WINE_XVFB_PID=""
  fi
  if [ -n "$_WINE_PREFIX_OWNED" ]; then
    if [ "${ORDAVI_WINE_KEEP:-}" = 1 ]; then
      _wine_log "prefix kept: $_WINE_PREFIX_OWNED"
    else
      rm -rf "$_WINE_PREFIX_OWNED"
    fi
    _WINE_PREFIX_OWNED=""
  fi
  return $rc
}

# Called as a program: run one command in a fresh environment.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -u
  if [ "${1:-}" = "--display" ]; then
    shift
    wine_env_setup --display || exit 1
  else
    wine_env_setup || exit 1
  fi
  [ $# -gt 0 ] || { _wine_log "usage: $0 [--display] command [args]"; exit 2; }
  "$@"
  exit $?
fi
