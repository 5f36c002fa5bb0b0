#!/usr/bin/env bash
# End-to-end scenarios of the shipped Ordavi.exe: each runs the program in a
# fresh 32-bit Wine prefix under a private Xvfb, inside a Wine virtual desktop
# named "shell" (the one with a taskbar and notification area), drives it with
# e2e_driver.exe, checks API calls in Wine's relay trace, reads the registry
# and writes screenshots to build/screenshots/.
#
#   bash e2e/scenarios.sh SCENARIO WIN32_BUILD_DIR
#
# Scenarios: first_start, hotkeys_ctrl, close_agent, bad_option, notices_about.
set -u
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SCENARIO="${1:?scenario}"
BUILD="${2:-$ROOT/build/win32}"
SHOTS="$ROOT/build/screenshots"
mkdir -p "$SHOTS"
source "$ROOT/tools/wine-test-env.sh"

KEY='HKLM\Software\Velmora\Ordavi'
# The calls the relay trace shows. UnregisterHotKey is forwarded to win32u in
# this Wine, so its win32u name is listed too.
RELAY='kernel32.GetVersionExA;advapi32.AdjustTokenPrivileges;kernel32.SetPriorityClass;user32.RegisterWindowMessageA;shell32.Shell_NotifyIconA;kernel32.GlobalFindAtomA;kernel32.GlobalAddAtomA;kernel32.GlobalDeleteAtom;user32.RegisterHotKey;user32.UnregisterHotKey;win32u.NtUserUnregisterHotKey;user32.SetWindowPos'

failures=0
pass() { echo "ok   - $*"; }
fail() { echo "FAIL - $*"; failures=$((failures + 1)); }
check() {  # check DESCRIPTION COMMAND...
  local what="$1"
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
finish() {
  if [ "$failures" -gt 0 ]; then
    echo "$SCENARIO: $failures check(s) failed"
    [ -f "$WORK/agent.log" ] && { echo "--- agent trace (last lines)"; tail -n 40 "$WORK/agent.log"; }
    exit 1
  fi
  echo "$SCENARIO: all checks passed"
  exit 0
}

drv() { wine 'C:\e2e_driver.exe' "$@" 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r'; return "${PIPESTATUS[0]}"; }
shot() { import -window root "$SHOTS/$1.png" && echo "screenshot: build/screenshots/$1.png"; }
calls() { grep -E "^[0-9a-f]{4}:Call $1" "$WORK/agent.log" | sed -E 's/ ret=[0-9a-f]+$//; s/^[0-9a-f]{4}://'; }
reg_dword() { wine_reg_query "$KEY" "$1" | awk -v n="$1" '$1 == n && $2 == "REG_DWORD" { print $3 }'; }
reg_sz_empty() { wine_reg_query "$KEY" "$1" | grep -qE "^ +$1 +REG_SZ *$"; }

# Fresh prefix and display; optional registry values before the first start.
setup() {
  wine_env_setup --display || exit 1
  WORK="$WINEPREFIX/e2e"
  mkdir -p "$WORK"
  cp "$BUILD/app/win32/Ordavi.exe" "$WINEPREFIX/drive_c/Ordavi.exe" || exit 1
  cp "$BUILD/e2e/e2e_driver.exe" "$BUILD/e2e/notice_probe.exe" "$WINEPREFIX/drive_c/" || exit 1
  wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d "$RELAY" /f >/dev/null 2>&1
}

start_agent() {
  WINEDEBUG=+relay wine_run_bg AGENT_PID explorer /desktop=shell,1024x768 'C:\Ordavi.exe' 2>"$WORK/agent.log"
  local i
  for i in $(seq 1 60); do
    if drv hidden TForm1 >/dev/null; then
      sleep 2  # start-up is complete once the hotkeys are registered
      return 0
    fi
    sleep 0.5
  done
  fail "the agent's main window TForm1 exists"
  finish
}

# The address of the tray icon record, from the first NIM_ADD call.
tray_record_address() { calls 'shell32.Shell_NotifyIconA\(00000000,' | head -n1 | sed -E 's/.*,([0-9a-f]+)\)$/\1/'; }

scenario_first_start() {
  setup
  start_agent
  check "hidden TForm1, client 401x136" bash -c "$(declare -f drv); drv hidden TForm1 | grep -q 'client 401x136'"
  check "shutapp 0" [ "$(reg_dword shutapp)" = 0x0 ]
  check "soundpath empty" reg_sz_empty soundpath
  check "tishi 60" [ "$(reg_dword tishi)" = 0x3c ]
  check "TaskNum 0" [ "$(reg_dword TaskNum)" = 0x0 ]
  check "kaiji 0" [ "$(reg_dword kaiji)" = 0x0 ]
  check "rejian 0" [ "$(reg_dword rejian)" = 0x0 ]
  check "privilege: AdjustTokenPrivileges with BufferLength 16" \
    bash -c "grep -qE 'Call advapi32.AdjustTokenPrivileges\([0-9a-f]+,00000000,[0-9a-f]+,00000010,00000000,' '$WORK/agent.log'"
  check "SetPriorityClass(current process, 0x80)" \
    bash -c "grep -q 'Call KERNEL32.SetPriorityClass(ffffffff,00000080)' '$WORK/agent.log'"
  check "RegisterWindowMessageA(\"TaskbarCreated\")" \
    bash -c "grep -q 'Call user32.RegisterWindowMessageA([0-9a-f]* \"TaskbarCreated\")' '$WORK/agent.log'"
  check "main window made topmost (HWND_TOPMOST, flags 3)" \
    bash -c "grep -qE 'Call user32.SetWindowPos\([0-9a-f]+,ffffffff,00000000,00000000,00000000,00000000,00000003\)' '$WORK/agent.log'"
  local atoms
  atoms=$(calls 'KERNEL32.Global(Find|Add)AtomA' | sed -E 's/.*"(.*)"\)$/\1/' | tr '\n' ' ')
  check "atoms found or added for MyHotkeyF8..F11 in order ($atoms)" \
    bash -c "echo '$atoms' | tr ' ' '\n' | awk 'NF' | uniq | tr '\n' ' ' | grep -qx 'MyHotkeyF8 MyHotkeyF9 MyHotkeyF10 MyHotkeyF11 '"
  local hk
  hk=$(calls 'user32.RegisterHotKey' | sed -E 's/.*\([0-9a-f]+,[0-9a-f]+,([0-9a-f]+),([0-9a-f]+)\)/\1:\2/' | tr '\n' ' ')
  check "RegisterHotKey without modifiers for F8..F11 ($hk)" [ "$hk" = "00000000:00000077 00000000:00000078 00000000:00000079 00000000:0000007a " ]
  local addr rec
  addr=$(tray_record_address)
  check "Shell_NotifyIconA(NIM_ADD, record) called" [ -n "$addr" ]
  rec=$(drv peek TForm1 "$addr" 88 | tr '\n' ' ' | tr -s ' ')
  echo "tray record: $rec"
  # cbSize 88, hWnd, uID 100, uFlags 7, uCallbackMessage 0x401, hIcon, tip.
  local tip
  tip=$(printf 'Ordavi-启用' | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -s ' \n' ' ' | sed 's/^ //')
  check "tray record: cbSize 88, uID 100, uFlags 7, WM_USER+1" \
    bash -c "echo '$rec' | grep -qE '^58 00 00 00 .. .. .. .. 64 00 00 00 07 00 00 00 01 04 00 00 '"
  check "tray record: tip \"Ordavi-启用\" zero-padded to 64 bytes" \
    bash -c "echo '$rec' | cut -d' ' -f25-88 | grep -qx '${tip}$(printf '00 %.0s' $(seq 1 $((64 - $(echo "$tip" | wc -w)))) | sed 's/ $//')'"
  shot e2e-first-start
  # The countdown layout of the main window, shown from outside for a look.
  local form1
  form1=$(drv info TForm1 '*')
  check "TForm1: BitBtn2 (cancel) 232,94 105x25" bash -c "echo '$form1' | grep -q 'Button id 2 \"取消关机\" at 232,94 size 105x25'"
  check "TForm1: BitBtn1 (do it now) 64,94 105x25" bash -c "echo '$form1' | grep -q 'Button id 101 \"立即关机\" at 64,94 size 105x25'"
  check "TForm1: PgBar1 8,56 385x17" bash -c "echo '$form1' | grep -q 'msctls_progress32 id 113 \"\" at 8,56 size 385x17'"
  check "TForm1: Label1 16,16 263x13, Label2 336,16" bash -c "echo '$form1' | grep -q 'Static id 111 .* at 16,16 size 263x13' && echo '$form1' | grep -q 'Static id 112 \"\" at 336,16'"
  drv show TForm1 >/dev/null
  sleep 1
  shot e2e-countdown-layout
  drv hide TForm1 >/dev/null
  # The icon in the notification area opens the popup menu (WM_USER+1 with a
  # button press reaches the agent).
  xdotool mousemove 1012 757 click 3
  check "tray icon click opens the popup menu" bash -c "$(declare -f drv); drv wait '#32768' '*' 5 >/dev/null"
  shot e2e-tray-menu
  xdotool key Escape
}

scenario_hotkeys_ctrl() {
  setup
  wine reg add "$KEY" /v rejian /t REG_DWORD /d 1 /f >/dev/null 2>&1
  start_agent
  local hk
  hk=$(calls 'user32.RegisterHotKey' | sed -E 's/.*\([0-9a-f]+,[0-9a-f]+,([0-9a-f]+),([0-9a-f]+)\)/\1:\2/' | tr '\n' ' ')
  check "RegisterHotKey with MOD_CONTROL for F8..F11 ($hk)" [ "$hk" = "00000002:00000077 00000002:00000078 00000002:00000079 00000002:0000007a " ]
  check "rejian kept at 1" [ "$(reg_dword rejian)" = 0x1 ]
}

scenario_close_agent() {
  setup
  start_agent
  local addr
  addr=$(tray_record_address)
  drv post TForm1 0x0111 1019 0 >/dev/null  # WM_COMMAND for the menu item 退出(&X)
  check "the agent ends when its main window closes" bash -c "$(declare -f drv); drv gone TForm1 '*' 15"
  sleep 1
  check "icon removed: Shell_NotifyIconA(NIM_DELETE, same record)" \
    bash -c "grep -q 'Call shell32.Shell_NotifyIconA(00000002,$addr)' '$WORK/agent.log'"
  local ids unreg deleted
  ids=$(calls 'user32.RegisterHotKey' | sed -E 's/.*\([0-9a-f]+,([0-9a-f]+),.*/\1/' | tr '\n' ' ')
  unreg=$(calls '(user32.UnregisterHotKey|win32u.NtUserUnregisterHotKey)' | sed -E 's/.*\([0-9a-f]+,([0-9a-f]+)\)/\1/' | tr '\n' ' ')
  deleted=$(calls 'KERNEL32.GlobalDeleteAtom' | sed -E 's/.*\(([0-9a-f]+)\)/\1/' | tr '\n' ' ')
  check "hotkeys unregistered in order F8..F11 ($unreg)" bash -c "[ -n '$ids' ] && [ '$unreg' = '$ids' ]"
  check "atoms deleted in order F8..F11 ($deleted)" [ "$deleted" = "$ids" ]
  shot e2e-after-exit
}

scenario_bad_option() {
  setup
  wine reg add "$KEY" /v tishi /t REG_SZ /d abc /f >/dev/null 2>&1
  start_agent
  local notice
  notice=$(drv info TForm6 '提示')
  echo "$notice"
  check "one notice names tishi" bash -c "echo '$notice' | grep -q 'Static id 1 \".*tishi（类型错误）'"
  check "hotkeys still registered" [ "$(calls 'user32.RegisterHotKey' | wc -l)" = 4 ]
  check "tray icon still added" [ -n "$(tray_record_address)" ]
  check "stored tishi left as it was" bash -c "wine reg query '$KEY' /v tishi 2>/dev/null | grep -q 'REG_SZ *abc'"
  shot e2e-bad-option-notice
}

scenario_notices_about() {
  setup
  start_agent
  drv post TForm1 0x0111 1017 0 >/dev/null  # 关于(&A)
  drv post TForm1 0x0111 1017 0 >/dev/null
  drv wait TForm2 '关于...' 10 >/dev/null
  sleep 1
  check "each About command opens a new About box" [ "$(drv count TForm2 '关于...')" = 2 ]
  local about
  about=$(drv info TForm2 '关于...' | awk '/^window/ { n++ } n == 1')
  echo "$about"
  check "About: client 311x253, system menu only" bash -c "echo '$about' | grep -q 'client 311x253 style 14c80000'"
  check "About: Label1 at 82,64" bash -c "echo '$about' | grep -q '\"名称:    Ordavi\" at 82,64'"
  check "About: Label2 at 82,96" bash -c "echo '$about' | grep -q '\"版本:    2017\" at 82,96'"
  check "About: Label5 at 81,126" bash -c "echo '$about' | grep -q '\"时间:    2017年11月25日\" at 81,126'"
  check "About: Label3 at 82,154" bash -c "echo '$about' | grep -q '\"制作:    Velmora 软件工作室\" at 82,154'"
  check "About: Button1 at 112,216, 75x25" bash -c "echo '$about' | grep -q 'Button id 1 \"确定(&O)\" at 112,216 size 75x25'"
  shot e2e-about
  drv close TForm2 '关于...' >/dev/null
  # The dial-up hang-up with no connection, over the real rasapi32.
  wine_run_bg PROBE_PID explorer /desktop=shell,1024x768 'C:\notice_probe.exe' 2>/dev/null
  drv wait TForm6 '提示' 15 >/dev/null
  sleep 1
  local notice
  notice=$(drv info TForm6 '提示')
  echo "$notice"
  check "hang-up without connection: notice \"没有可用的拨号连接\" at 48,48" \
    bash -c "echo '$notice' | grep -q 'Static id 1 \"没有可用的拨号连接\" at 48,48'"
  local ex
  ex=$(echo "$notice" | sed -nE 's/^window .* outer 400x169 .* exstyle ([0-9a-f]+)$/\1/p')
  check "notice: outer 400x169, topmost (exstyle $ex)" bash -c "[ -n '$ex' ] && (( 0x$ex & 0x8 ))"
  check "notice: Button1 确定 at 160,96, 75x25" bash -c "echo '$notice' | grep -q 'Button id 1 \"确定\" at 160,96 size 75x25'"
  shot e2e-notice
  drv click TForm6 '提示' '确定' >/dev/null
  check "the notice closes with its button" bash -c "$(declare -f drv); drv gone TForm6 '提示' 10"
}

case "$SCENARIO" in
  first_start | hotkeys_ctrl | close_agent | bad_option | notices_about) "scenario_$SCENARIO" ;;
  *) echo "unknown scenario $SCENARIO" >&2; exit 2 ;;
esac
finish
