# Due tasks and countdowns: the tick runs each kind of task at its minute,
# a shutdown counts down and can be cancelled or postponed, and the soak
# keeps it all going for minutes.
# (Sourced by e2e/scenarios.sh, which runs one of them; the helpers are in
# e2e/lib.sh.)
SCENARIOS+=(due_tasks countdown_shutdown countdown_cancel countdown_postpone soak)

# --- Tasks run by the tick. Tasks are planted in the agent's key once it
# runs, for a minute far enough ahead; the first one is read back to make
# sure of its bytes.

check_planted_bytes() {  # check_planted_bytes NAME TEXT
  local got
  got=$(drv getsz "$1")
  check "$1 stored as GBK bytes of \"$2\" ($got)" [ "$got" = "$(gbk_hex "$2") 00 type 1" ]
}

scenario_due_tasks() {
  setup
  cp "$BUILD/app/win32/QLLJ.bat" "$WINEPREFIX/drive_c/" || exit 1
  cp "$BUILD/e2e/e2e_driver.exe" "$WINEPREFIX/drive_c/SleepyTool.exe" || exit 1
  local temp
  # The user's TEMP folder (C:\users\<name>\Temp in Wine) gets a junk file.
  temp=$(find "$WINEPREFIX/drive_c/users" -mindepth 2 -maxdepth 2 -type d -name Temp | head -n1)
  [ -n "$temp" ] && echo junk >"$temp/ordavi-e2e-junk.tmp"
  # A document whose type's program (the command interpreter here) marks
  # that it ran: the desktop's shell opens it, not the agent.
  echo doc >"$WINEPREFIX/drive_c/报告.ordavitest"
  wine_do reg add 'HKCR\.ordavitest' /ve /d ordavitestfile /f
  wine_do reg add 'HKCR\ordavitestfile\shell\open\command' /ve /d 'C:\windows\system32\cmd.exe /D /c echo opened> C:\doc-opened.txt' /f
  # The tasks are added once the agent runs (each pass reads the store), so
  # their minute does not depend on how long a start takes.
  start_agent
  wine_run_bg TOOL_PID 'C:\SleepyTool.exe' wait NoSuchWindowClass '*' 300 >/dev/null 2>&1
  check "the test program SleepyTool.exe runs" eventually 60 drv running SleepyTool.exe
  plant_task 1 "" 提醒 "该喝水了"
  # The program's name in another ASCII case than the running executable's.
  plant_task 2 "" 关闭程序 'C:\Tools\sleepytool.EXE'
  plant_task 3 "" 清理系统垃圾 ""
  plant_task 4 "" 禁用网卡 "本地连接 2"
  plant_task 5 "" 打开文件 'C:\报告.ordavitest'
  # A program named without a folder, which the user's own App Paths name:
  # an elevated agent (this Wine runs every program with administrator
  # rights) does not look there, and runs nothing of that name.
  cp "$BUILD/e2e/e2e_driver.exe" "$WINEPREFIX/drive_c/planted-tool.exe" || exit 1
  wine_do reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\App Paths\ordavi-planted.exe' /ve /d 'C:\planted-tool.exe' /f
  plant_task 6 "" 打开文件 'ordavi-planted.exe'
  due_at_coming_minute 6
  check_planted_bytes A1 "每天${DUE_H}时${DUE_M}分"
  check_planted_bytes B1 提醒
  if [ "$(drv now | cut -d' ' -f5)" != "$DUE_M" ]; then
    check "no notice before the minute" [ "$(drv count TForm6 '提示')" = 0 ]
  fi
  local seen at
  seen=$(drv wait TForm6 '提示' $((DUE_WAIT + 20)))
  check "a notice opens in the minute" has_text "$seen" 'window TForm6'
  # The tick keeps to the clock's ten-second marks: the pass that opens the
  # notice comes at the minute's start, not up to ten seconds into it. `at`:
  # the seconds into the due minute it was seen at, empty in another minute.
  at=$(echo "$seen" | sed -nE "s/^seen at $DUE_H:$DUE_M:([0-9]+\.[0-9]+)$/\1/p")
  check "the notice opened in the first two seconds of its minute ($(echo "$seen" | grep '^seen at'))" \
    eval '[ -n "$at" ] && awk -v t="$at" "BEGIN { exit !(t + 0 <= 2) }"'
  local notice
  notice=$(drv info TForm6 '提示')
  echo "$notice"
  check "notice text \"该喝水了\" at 48,48" has_text "$notice" 'Static id 1 "该喝水了" at 48,48'
  check "notice: outer 400x169, Button1 确定 at 160,96 75x25" \
    eval 'has_text "$notice" "outer 400x169" && has_text "$notice" "Button id 1 \"确定\" at 160,96 size 75x25"'
  check "the close-program task ended SleepyTool.exe" eventually 60 not drv running SleepyTool.exe
  # The cleaning runs after the other two tasks, in the same pass. Its log is
  # named by the time the cleaning started, which after a pass late in the
  # minute is the next minute: any log of the day is this one.
  local logs=() until=$(($(date +%s) + 120))
  while [ "$(date +%s)" -lt "$until" ]; do
    logs=("$WINEPREFIX"/drive_c/清理系统垃圾列表"${DUE_YMD}_"*.txt)
    # The script's last line: the cleaning has ended and the agent runs again.
    [ -e "${logs[0]}" ] && grep -q '^Finished' "${logs[0]}" && break
    sleep 1
  done
  check "junk log beside Ordavi.exe: $(basename "${logs[0]}")" [ -s "${logs[0]}" ]
  # Where nothing was cleaned, the run history says why.
  [ -s "${logs[0]}" ] || { echo "--- run history"; history_lines; }
  local cp
  cp=$(calls 'kernel32.CreateProcessW' | grep -F 'QLLJ.bat')
  echo "$cp"
  check "CreateProcessW runs QLLJ.bat beside Ordavi.exe through cmd.exe's full path with /D, at idle priority (0x40)" \
    eval 'has_text "$cp" "C:\\\\QLLJ.bat" && has_text "$cp" "cmd.exe\\\" /D" && has "$cp" ",00000040,"'
  # The adapter task: netsh.exe of the system directory by its full path,
  # the name converted from GBK (本地连接 2), hidden, no console.
  # It runs after the cleaning has returned, a moment after the log's end.
  local netsh
  eventually 10 eval "calls 'kernel32.CreateProcessW' | grep -qF netsh"
  netsh=$(calls 'kernel32.CreateProcessW' | grep -F 'netsh')
  echo "$netsh"
  check "CreateProcessW names C:\\windows\\system32\\netsh.exe as the program" \
    has_text "$netsh" ' L"C:\\windows\\system32\\netsh.exe",'
  check "its command line: the quoted full path, int set int name=\"本地连接 2\" admin=disable" \
    has_text "$netsh" ' L"\"C:\\windows\\system32\\netsh.exe\" int set int name=\"\672c\5730\8fde\63a5 2\" admin=disable",'
  check "CREATE_NO_WINDOW, in the Windows directory" has "$netsh" ',08000000,00000000,[0-9a-f]+ L"C:\\\\windows",'
  if [ -n "$temp" ]; then
    check "the log lists the removed temporary file" grep -qi 'ordavi-e2e-junk.tmp' "${logs[0]}"
    check "the temporary file is gone" [ ! -e "$temp/ordavi-e2e-junk.tmp" ]
  fi
  echo "--- junk log"; iconv -f GBK -t UTF-8 "${logs[0]}" 2>/dev/null | tr -d '\r' | head -n 12
  check "the open-file task's document was opened" eventually 10 eval '[ -e "$WINEPREFIX/drive_c/doc-opened.txt" ]'
  local opened
  opened=$(history_lines | grep -F '任务5')
  echo "$opened"
  check "the history says the desktop opened it at the user's rights" has_text "$opened" '已运行：已交桌面以用户的普通权限打开'
  local bare
  bare=$(history_lines | grep -F '任务6')
  echo "$bare"
  check "the program named without a folder did not run, and the history says why" \
    eval 'has_text "$bare" "未运行（程序未写文件夹，系统文件夹中也没有" && ! calls kernel32.CreateProcessW | grep -qiF planted-tool'
  sleep 1  # the notice paints once the pass is over
  shot e2e-due-tasks
  # The tick pauses after the pass until the minute's end: no second notice
  # in the same minute, nor in the next minute's first pass (the pause's end
  # switches the tick on again, then the pass begins, then the next).
  check "the tick goes on after the minute" whole_passes 2 90
  local notices
  notices=$(drv info TForm6 '提示' | sed -nE 's/^child Static id 1 "(.*)" at .*/\1/p')
  echo "notices after the minute:"; echo "$notices"
  check "exactly one notice after the minute" [ "$(echo "$notices" | grep -c .)" = 1 ]
  shot e2e-reminder-one-notice
}

# A "关闭计算机" task with a countdown of `tishi` seconds. COUNTDOWN_END is
# when it ends at the latest (seconds since the epoch).
countdown_task() {
  drv setdword tishi "$1"
  AGENT_WINEDEBUG=+timestamp,+relay start_agent
  plant_task 1 "" 关闭计算机 ""  # added to the running agent, as in due_tasks
  due_at_coming_minute 1
  check "the countdown window opens in the minute" quiet drv wait TForm1 'Windows 正在准备关机...' $((DUE_WAIT + 20))
  COUNTDOWN_END=$(($(date +%s) + $1))
}
# past_countdown_end: sleeps until the countdown's end and one tick interval
# more have passed.
past_countdown_end() {
  local left=$((COUNTDOWN_END + 11 - $(date +%s)))
  [ "$left" -gt 0 ] && sleep "$left"
  return 0
}

# The Timer2 starts (SetTimer with id 2, 1000 ms) in a timed trace.
timer2_starts() { timed_calls '(user32.SetTimer|win32u.NtUserSetTimer)\([0-9a-f]+,00000002,000003e8,'; }

# The window is centred on the 1024x768 screen: "window ... at X,Y outer WxH".
centred() {
  echo "$1" | sed -nE 's/^window TForm1 .* at ([0-9]+),([0-9]+) outer ([0-9]+)x([0-9]+) .*/\1 \2 \3 \4/p' |
    awk 'NF { found = 1; ok = ($1 == int((1024 - $3) / 2) && $2 == int((768 - $4) / 2)) } END { exit !(found && ok) }'
}
topmost() {
  local ex
  ex=$(echo "$1" | sed -nE 's/^window TForm1 .* exstyle ([0-9a-f]+)$/\1/p')
  [ -n "$ex" ] && (( 0x$ex & 0x8 ))
}

scenario_countdown_shutdown() {
  setup
  countdown_task 5
  sleep 1.5
  local form1
  form1=$(drv info TForm1 '*')
  echo "$form1"
  check "no power action while the countdown runs" [ -z "$(power_calls)" ]
  check "client 401x159 (a row added for 推迟), centred on the 1024x768 screen" \
    eval 'has "$form1" "^window TForm1 .* client 401x159" && centred "$form1"'
  check "topmost" topmost "$form1"
  check "buttons 立即关机 at 64,94 and 取消关机 at 232,94, 105x25" \
    eval 'has_text "$form1" "Button id 101 \"立即关机\" at 64,94 size 105x25" && has_text "$form1" "Button id 2 \"取消关机\" at 232,94 size 105x25"'
  check "推迟(&P) below 取消关机 at 232,126, 105x25" has_text "$form1" 'Button id 102 "推迟(&P)" at 232,126 size 105x25'
  check "Label1 \"要想取消关机，请按下<取消关机>按钮:剩余\" at 16,16" \
    has_text "$form1" 'Static id 111 "要想取消关机，请按下<取消关机>按钮:剩余" at 16,16'
  check "Label2 counts the seconds left at 336,16" has "$form1" 'Static id 112 "[0-9] 秒" at 336,16'
  check "PgBar1 at 8,56, 385x17" has_text "$form1" 'msctls_progress32 id 113 "" at 8,56 size 385x17'
  shot e2e-countdown-shutdown
  # The countdown's five seconds end in a power call; on a machine busy with
  # other tests its one-second timer may come late, never early.
  eventually 30 eval '[ -n "$(power_calls)" ]'
  sleep 2  # a second power call would come right after the first
  local started power
  started=$(timer2_starts | tail -n1)
  power=$(power_calls)
  echo "countdown started: $started"
  echo "power calls: $power"
  check "one power call: ExitWindowsEx(0xC, 0)" \
    eval '[ "$(echo "$power" | grep -c .)" = 1 ] && has "$power" "Call user32.ExitWindowsEx\(0000000c,00000000\)"'
  # Never before the five seconds are up; the upper bound only tells a
  # countdown that ends from one that runs on (a late timer adds seconds).
  check "ExitWindowsEx at the countdown's end: 5 s or more after it started" \
    awk -v a="$(echo "$started" | stamp)" -v b="$(echo "$power" | stamp)" \
    'BEGIN { d = b - a; print "after " d " s"; exit !(a != "" && d >= 4.9 && d < 20) }'
}

# 取消关机 and, on a second countdown, the window's close box mean "no": the
# window hidden, no power call at the countdown's end, monitoring off (the
# tick and the countdown's timer stopped, the tip "Ordavi-禁用" on the icon,
# which stays), the run history says which; the tray menu's exit still ends
# the agent.
scenario_countdown_cancel() {
  setup
  countdown_task 30  # long enough to reach the button on a busy machine
  local addr at how n=0 schedule="每天${DUE_H}时${DUE_M}分"
  addr=$(tray_record_address)
  sleep 1
  shot e2e-countdown-before-cancel
  press TForm1 'Windows 正在准备关机...' '取消关机'
  for how in 取消按钮或Esc 关闭框; do
    n=$((n + 1))
    check "the countdown window is hidden" eventually 10 eval '[ "$(drv count TForm1 "*")" = 0 ]'
    shot "e2e-countdown-$([ $n = 1 ] && echo cancelled || echo closed)"
    past_countdown_end
    check "no power action after $how" [ -z "$(power_calls)" ]
    check "the tick stays off" has "$(last_timer1_call)" 'KillTimer'
    check "Timer2 stopped" [ "$(calls '(user32.KillTimer|win32u.NtUserKillTimer)\([0-9a-f]+,00000002\)' | wc -l)" -ge $n ]
    check "tray tip \"Ordavi-禁用\" on the same record (NIM_MODIFY), never removed (NIM_DELETE)" eval \
      '[ "$(tray_tip "$(tray_record "$addr")")" = "$(tip_bytes Ordavi-禁用)" ] &&
       has "$(calls shell32.Shell_NotifyIconW)" "\\(00000001,0*${addr: -8}\\)" && ! has "$(calls shell32.Shell_NotifyIconW)" "\\(00000002,"'
    check "the run history lists the countdown cancelled: $how" \
      has_text "$(history_lines)" "关闭计算机	$schedule		倒计时已取消（$how）"
    [ "$how" = 关闭框 ] && break
    # The second: a task due at once, at the pass after monitoring is on.
    schedule=空闲0分钟
    plant_task 2 "$schedule" 关闭计算机 ""
    drv setdword TaskNum 2
    menu_command "$MENU_MONITORING"
    not_idle
    check "the second countdown opens" quiet drv wait TForm1 'Windows 正在准备关机...' 30
    COUNTDOWN_END=$(($(date +%s) + 30))
    sleep 1
    # The close box sits at the right end of the title bar.
    at=$(drv info TForm1 'Windows 正在准备关机...' |
      sed -nE 's/^window TForm1 .* at ([0-9]+),([0-9]+) outer ([0-9]+)x([0-9]+) .*/\1 \2 \3/p' |
      awk '{ print $1 + $3 - 14, $2 + 12 }')
    # shellcheck disable=SC2086
    xdotool mousemove $at click 1
  done
  menu_command "$MENU_EXIT"
  check "the tray menu's exit still ends the agent" quiet drv gone TForm1 '*' 15
}

# postpone_by N: 推迟(&P) pressed and the Nth delay of its menu chosen.
postpone_by() {
  press TForm1 'Windows 正在准备关机...' '推迟(&P)'
  eventually 10 menu_open || return 1
  [ "${2:-}" = shot ] && { sleep 0.5; shot e2e-countdown-postpone-menu; }
  local k
  for k in $(seq 1 "$1"); do xdotool key Down; done
  xdotool key Return
}

# 推迟 on a countdown, its minutes shortened to 2 s each for the test
# (ORDAVI_TEST_MINUTE_MS, read only by the test build OrdaviTestHooks.exe,
# run here as C:\Ordavi.exe): the window closes, the tray tip names the held
# action, no power call comes at the countdown's end, the countdown comes back
# after the 10 "minutes"; postponed again (1 小时, 120 s here), the tray menu
# ends with the item that cancels it, /cancel drops the held action, and
# the run history says each step.
scenario_countdown_postpone() {
  setup
  quiet drv settasks 1 1 空闲0分钟 关闭计算机 ""
  drv setdword TaskNum 1
  drv setdword tishi 30
  export ORDAVI_TEST_MINUTE_MS=2000
  cp "$BUILD/app/win32/OrdaviTestHooks.exe" "$WINEPREFIX/drive_c/Ordavi.exe" || exit 1
  AGENT_WINEDEBUG=+timestamp,+relay start_agent
  not_idle
  check "the countdown window opens" quiet drv wait TForm1 'Windows 正在准备关机...' 60
  local ends=$(($(date +%s) + 30)) addr
  drv setsz D1 禁用  # the idle task is not due again in the next minute
  addr=$(tray_record_address)
  sleep 1
  shot e2e-countdown-postpone
  postpone_by 1 shot
  check "推迟 → 10 分钟 closes the countdown" eventually 10 eval '[ "$(drv count TForm1 "*")" = 0 ]'
  local held=$(date +%s)
  check "the tray tip names the held action: 推迟的关闭计算机：hh:mm" \
    eventually 5 eval 'tip_starts "$(tray_record "$addr")" "Ordavi-启用
推迟的关闭计算机："'
  check "the countdown comes back after 10 × 2 s" quiet drv wait TForm1 'Windows 正在准备关机...' 40
  local back=$(($(date +%s) - held))
  echo "back after $back s"
  check "... not before its time (about 20 s)" [ "$back" -ge 17 ]
  check "no power call meanwhile" [ -z "$(power_calls)" ]
  check "the tip no longer names it" [ "$(tray_tip "$(tray_record "$addr")")" = "$(tip_bytes "Ordavi-启用")" ]
  postpone_by 3
  check "推迟 → 1 小时 closes it again" eventually 10 eval '[ "$(drv count TForm1 "*")" = 0 ]'
  quiet drv post TForm1 $WM_TRAY 0 0x0204  # the tray menu, its last item the held action's cancel
  check "the tray menu opens" eventually 5 menu_open
  sleep 0.5
  shot e2e-tray-menu-postponed
  xdotool mousemove 100 100 click 1  # a click beside the menu closes it
  check "the tray menu closes" eventually 5 not menu_open
  cli /cancel
  check "/cancel cancels the held action: exit 0" said 0 "已取消关机倒计时。"
  check "the Postponed timer (id 4) is off" has "$(calls '(user32.KillTimer|win32u.NtUserKillTimer)')" '\([0-9a-f]+,00000004\)'
  check "the tray tip no longer names it, and monitoring is off as after 取消关机" \
    eventually 5 eval '[ "$(tray_tip "$(tray_record "$addr")")" = "$(tip_bytes "Ordavi-禁用")" ]'
  local left=$((ends + 2 - $(date +%s)))
  [ "$left" -gt 0 ] && sleep "$left"  # past the first countdown's end
  check "no power call at all" [ -z "$(power_calls)" ]
  local lines
  lines=$(history_lines)
  echo "$lines"
  check "the run history: postponed, back, postponed again, cancelled by /cancel" eval '
    has "$lines" "任务1	关闭计算机	空闲0分钟		已推迟到 [0-9]{2}:[0-9]{2}" &&
    has_text "$lines" "任务1	关闭计算机	空闲0分钟		倒计时开始（推迟之后）" &&
    has_text "$lines" "任务1	关闭计算机	空闲0分钟		推迟的操作已取消（命令行/cancel）" &&
    [ "$(echo "$lines" | grep -c "已推迟到")" = 2 ]'
  unset ORDAVI_TEST_MINUTE_MS
}

# 1000 stored tasks and SOAK_MINUTES (3; 30 for the long run) minutes of
# agent time: a reminder due in each minute (each notice closed), a
# countdown started and cancelled (monitoring off, switched on again late in
# the minute) in the first and every fifth. Every reminder appears exactly
# once, every countdown is seen and cancelled; handles, windows and memory
# stay flat from the end of the first minute's countdown to the end of the
# last minute.
scenario_soak() {
  local minutes=${SOAK_MINUTES:-3}
  setup
  copy_probe
  drv setdword tishi 20
  local h
  h=$((($(drv now | cut -d' ' -f4) + 12) % 24))
  drv settasks 1 1000 "每天${h}时0分" 提醒 "从不"
  drv setdword TaskNum 1000
  AGENT_WINEDEBUG=-all start_agent
  local pid fp0 p0 r0
  pid=$(unix_pid Ordavi.exe)
  # The minutes are planted into the running agent (over the first tasks),
  # so the first comes after its start however long a busy machine took.
  plant_minutes 1 "$minutes"
  # The first notice and countdown take some handles once; they stay the
  # same over every later one, so the flat part is measured from the end of
  # that countdown on.
  while [ "$COUNTDOWNS" -lt 1 ] && [ "$(date +%s)" -lt $((PLANTED_END - 60 * minutes + 90)) ]; do
    keep_agent_going $(($(date +%s) + 2))
  done
  check "the first minute's reminder and countdown came, the countdown was cancelled" \
    eval '[ "$COUNTDOWNS" = 1 ] && has_text "$NOTICES_SEEN" 提醒1'
  fp0=$(probe footprint TForm1); p0=$(private_kb "$pid"); r0=$(rss_kb "$pid")
  echo "after the first countdown: private $p0 KB, resident $r0 KB, $fp0"
  keep_agent_going $((PLANTED_END + 5))  # a pass of the minute after the last
  local fp1 p1 r1
  fp1=$(probe footprint TForm1); p1=$(private_kb "$pid"); r1=$(rss_kb "$pid")
  echo "end:   private $p1 KB, resident $r1 KB, $fp1"
  echo "notices seen:"; echo "$NOTICES_SEEN" | grep . | sort | uniq -c
  local k missing=""
  for k in $(seq 1 "$minutes"); do
    [ "$(echo "$NOTICES_SEEN" | grep -cx "提醒$k")" = 1 ] || missing+=" 提醒$k"
  done
  check "every reminder of the $minutes minutes appeared exactly once${missing:+ (not:$missing)}" [ -z "$missing" ]
  check "no other notice" [ -z "$(echo "$NOTICES_SEEN" | grep . | grep -v '^提醒[0-9]*$')" ]
  check "every countdown was cancelled ($COUNTDOWNS of $((1 + minutes / 5)))" [ "$COUNTDOWNS" = $((1 + minutes / 5)) ]
  check "no countdown window left open" [ "$(drv count TForm1 '*')" = 0 ]
  check "handles flat ($(field handles "$fp0") → $(field handles "$fp1"))" [ "$(field handles "$fp1")" = "$(field handles "$fp0")" ]
  check "windows flat ($(field windows "$fp0") → $(field windows "$fp1"))" [ "$(field windows "$fp1")" = "$(field windows "$fp0")" ]
  # Wine's heap moves by up to about 2 MB over minutes with no leak (the
  # memory rows of BENCHMARKS.md).
  check "private memory flat within 2 MB (+$((p1 - p0)) KB)" [ $((p1 - p0)) -le 2048 ]
  check "the agent still runs" quiet drv hidden TForm1
}
