# The command line.
# (Sourced by e2e/scenarios.sh, which runs one of them; the helpers are in
# e2e/lib.sh.)
SCENARIOS+=(command_line list_never command_line_cancel)

# cli ARGS...: Ordavi.exe run with ARGS as a script runs it, its standard
# output redirected to a file: the output (UTF-8, CR removed) in CLI_OUT,
# the exit code in CLI_RC and returned.
cli() {
  WINEDEBUG=-all wine 'C:\Ordavi.exe' "$@" >"$WORK/cli.out" 2>"$WORK/cli.err"
  CLI_RC=$?
  CLI_OUT=$(tr -d '\r' <"$WORK/cli.out")
  printf 'Ordavi.exe %s -> %s\n%s\n' "$*" "$CLI_RC" "$CLI_OUT"
  # The program writes nothing on stderr; Wine does when the start failed.
  [ -s "$WORK/cli.err" ] && { echo "stderr:"; head -n 20 "$WORK/cli.err"; }
  return "$CLI_RC"
}
# said RC TEXT: the last cli ended with RC and its output holds TEXT.
said() { [ "$CLI_RC" = "$1" ] && has_text "$CLI_OUT" "$2"; }
# key_export FILE: the program's key as `reg export` writes it.
key_export() { wine_do reg export "$KEY" "$(wine winepath -w "$1" 2>/dev/null)" /y; }
short_date() { wine_do reg add 'HKCU\Control Panel\International' /v sShortDate /t REG_SZ /d "$1" /f; }

# Moving tasks to a PC with another short date format, as an administrator
# does it with the command line: the usage; the tasks listed and exported
# (a relative file name lands where the command was started) on a PC whose
# short date format is yyyy/M/d while the agent runs; the agent ended with
# /quit; on a "PC" with yyyy-MM-dd (the same prefix, the key deleted and
# another task stored) a file with one bad line changes nothing and names
# the line, the good file replaces every task and the options, exporting and
# importing again leaves the key byte for byte; the agent's settings list
# shows the same rows as before (the once-date in the new format) and a once
# task of this format, moved to the coming minute, runs at its minute.
scenario_command_line() {
  setup
  cli '/?'
  check "/? prints the usage, exit 0" eval 'said 0 "用法：Ordavi.exe [命令]" && has_text "$CLI_OUT" "/import 文件名 /replace"'
  cli /导出 a.txt
  check "an unknown switch: the reason, then the usage, exit 2" \
    eval 'said 2 "不认识的参数：“/导出”" && has_text "$CLI_OUT" "用法：Ordavi.exe"'
  check "a bad command starts no agent" not quiet drv hidden TForm1

  local y mo d h mi s when slash iso
  read -r y mo d h mi s < <(drv now)
  read -r slash iso when <<<"$(minutes_after "$y" "$mo" "$d" "$h" "$mi" 1440 '+%Y/%-m/%-d %Y-%m-%d %-H时%-M分')"
  echo "once task: ${slash}日$when"
  quiet drv settasks 1 1 每天22时30分 关闭计算机 ""
  quiet drv settasks 2 2 每周5日17时30分 提醒 周报写好了吗？
  quiet drv settasks 3 3 "一次${slash}日$when" 提醒 换了日期格式也准时
  quiet drv settasks 4 4 空闲30分钟 待机计算机 ""
  quiet drv setsz D4 禁用
  quiet drv settasks 5 5 开机0时5分 打开文件 'C:\Users\Public\Music\早安.mp3'
  drv setdword TaskNum 5
  drv setdword tishi 30

  AGENT_WINEDEBUG=-all start_agent
  open_settings
  eventually 5 eval '[ "$(rows | grep -c .)" = 5 ]'
  local before
  before=$(rows)
  echo "$before"
  check "the list shows the five tasks" [ "$(echo "$before" | grep -c .)" = 5 ]
  shot_window e2e-command-line-list-before "$(drv info TForm3 '设置')"
  press TForm3 '*' '取消(&C)'
  eventually 5 quiet drv gone TForm3 '*' 1

  cli /list
  check "/list: the five tasks with their next run, exit 0" \
    eval 'said 0 "1  启用  每天22时30分  关闭计算机  下次运行：" && [ "$(echo "$CLI_OUT" | grep -c .)" = 5 ]'
  check "/list: the once task's next run is its minute" has_text "$CLI_OUT" "一次${slash}日$when  提醒  换了日期格式也准时  下次运行："
  check "/list: the disabled task says so" has_text "$CLI_OUT" "4  禁用  空闲30分钟  待机计算机  （未启用）"
  rm -f "$WORK/tasks.txt"
  pushd "$WORK" >/dev/null && cli /export tasks.txt
  popd >/dev/null
  check "/export while the agent runs: exit 0, the file" eval 'said 0 "已导出5个任务和选项。" && [ -f "$WORK/tasks.txt" ]'
  check "a relative file name is written where the command was started" \
    [ ! -e "$WINEPREFIX/drive_c/windows/system32/tasks.txt" ]
  check "the file: UTF-8 with BOM, the once-date as yyyy-mm-dd, the options" \
    eval '[ "$(head -c3 "$WORK/tasks.txt" | od -An -tx1 | tr -d " ")" = efbbbf ] &&
          grep -q "^时间=一次${iso}日$when"$'"'"'\r$'"'"' "$WORK/tasks.txt" && grep -q "^tishi=30" "$WORK/tasks.txt"'

  cli /quit
  check "/quit ends the agent, exit 0" eval 'said 0 "Ordavi 已退出。" && eventually 10 eval "[ \"\$(agents)\" = 0 ]"'
  cli /quit
  check "/quit with no agent: exit 1 and why" said 1 "Ordavi 没有运行。"

  # The other PC: another short date format, and a task of its own.
  short_date yyyy-MM-dd
  wine_do reg delete "$KEY" /f
  quiet drv settasks 1 1 每天8时0分 提醒 这台电脑原有的任务
  drv setdword TaskNum 1

  local bad line
  line=$(grep -n '^类型=关闭计算机' "$WORK/tasks.txt" | head -n1 | cut -d: -f1)
  sed "${line}s/关闭计算机/关机/" "$WORK/tasks.txt" >"$WORK/bad.txt"
  key_export "$WORK/key-before.reg"
  cli /import "$(wine winepath -w "$WORK/bad.txt")" /replace
  key_export "$WORK/key-after.reg"
  check "a file with one bad line: exit 1, its line number" said 1 "未导入任何内容：第${line}行"
  check "... and the key is unchanged" cmp -s "$WORK/key-before.reg" "$WORK/key-after.reg"

  cli /import "$(wine winepath -w "$WORK/tasks.txt")" /replace
  check "/import /replace: exit 0" said 0 "已用文件中的5个任务替换全部任务，并导入了选项。"
  check "... and names the task that opens a file" has_text "$CLI_OUT" "开机0时5分  打开文件  “C:\Users\Public\Music\早安.mp3”"
  check "the once-date is stored in this PC's format" [ "$(stored 3)" = "3|一次${iso}日$when|提醒|换了日期格式也准时|启用" ]
  check "the options came along" [ "$(reg_dword tishi)" = 0x1e ]
  key_export "$WORK/key-1.reg"
  echo 'an older backup' >"$WINEPREFIX/drive_c/again.txt"
  cli /export 'C:\again.txt'
  cli /import 'C:\again.txt' /replace
  key_export "$WORK/key-2.reg"
  check "/export then /import /replace leaves the key byte for byte" cmp "$WORK/key-1.reg" "$WORK/key-2.reg"
  check "... and exports the same file again over an older one, leaving nothing beside it" \
    eval 'cmp "$WORK/tasks.txt" "$WINEPREFIX/drive_c/again.txt" && [ ! -e "$WINEPREFIX/drive_c/again.txt.part" ]'

  AGENT_WINEDEBUG=-all start_agent
  open_settings
  eventually 5 eval '[ "$(rows | grep -c .)" = 5 ]'
  local after
  after=$(rows)
  echo "$after"
  check "the settings list is the same row by row, its dates in this PC's format" \
    [ "$after" = "$(echo "$before" | perl -pe 's{(\d{4})/(\d{1,2})/(\d{1,2})}{sprintf "%04d-%02d-%02d", $1, $2, $3}ge')" ]
  shot_window e2e-command-line-list-after "$(drv info TForm3 '设置')"
  press TForm3 '*' '取消(&C)'
  eventually 5 quiet drv gone TForm3 '*' 1

  coming_minute 15
  drv setsz A3 "一次$(date -d "@$(($(date +%s) + DUE_WAIT))" +%Y-%m-%d)日${DUE_H}时${DUE_M}分"
  local seen
  seen=$(drv wait TForm6 '提示' $((DUE_WAIT + 20)))
  check "the once task runs at its minute ($(echo "$seen" | grep '^seen at')), with its text" \
    eval 'has "$seen" "^seen at $DUE_H:$DUE_M:" && has_text "$(drv info TForm6 "提示")" "\"换了日期格式也准时\""'
  shot e2e-command-line-once-task
  quiet drv close TForm6 '提示'
}

# /list says what the tick will do with texts no minute matches: a weekday
# written 07 (only 7 is Sunday) and an after-boot total past the uptime
# counter's last minute are 不会运行, a weekday 7 runs; export and import keep
# the two as stored, marked in the file, and never turn 07 into Sunday.
scenario_list_never() {
  setup
  quiet drv settasks 1 1 每周07日22时30分 提醒 没有这一天
  quiet drv settasks 2 2 开机1200时0分 提醒 开机计时到不了
  quiet drv settasks 3 3 每周7日22时30分 提醒 星期日
  drv setdword TaskNum 3
  cli /list
  line() { printf '%s\n' "$CLI_OUT" | grep -F -- "$1"; }
  check "/list: the weekday 07 never runs" has_text "$(line 每周07日)" "下次运行：不会运行（时间不存在）"
  check "/list: the boot total past the counter never runs" \
    has_text "$(line 开机1200时0分)" "下次运行：不会运行（超过开机计时的上限）"
  check "/list: the weekday 7 runs on a date" \
    eval 'has_text "$(line 每周7日)" "下次运行：" && ! has_text "$(line 每周7日)" "不会运行"'
  cli /export 'C:\never.txt'
  check "/export carries all three, the two as stored with the reason" \
    eval 'said 0 "已导出3个任务和选项。" && grep -q "^原样时间=每周07日22时30分" "$WINEPREFIX/drive_c/never.txt" &&
          grep -q "^; 这个任务不会运行（超过开机计时的上限）" "$WINEPREFIX/drive_c/never.txt"'
  cli /import 'C:\never.txt' /replace
  check "/import /replace keeps them as stored" \
    eval 'said 0 "替换全部任务" && [ "$(stored 1)" = "1|每周07日22时30分|提醒|没有这一天|启用" ] &&
          [ "$(stored 2)" = "2|开机1200时0分|提醒|开机计时到不了|启用" ]'
}

# /cancel during a countdown: before any agent it says there is none; while
# the countdown of a due shutdown runs it cancels it as 取消关机 does (the
# window hidden when the command returns, monitoring off, no power call after
# the countdown's end); a second /cancel finds nothing to cancel.
scenario_command_line_cancel() {
  setup
  quiet drv settasks 1 1 空闲0分钟 关闭计算机 ""
  drv setdword TaskNum 1
  drv setdword tishi 30  # long enough for /cancel to start on a busy machine
  AGENT_WINEDEBUG=+timestamp,+relay start_agent
  not_idle
  check "the countdown window opens" quiet drv wait TForm1 'Windows 正在准备关机...' 60
  local ends=$(($(date +%s) + 30))
  local addr
  addr=$(tray_record_address)
  shot e2e-command-line-countdown
  local started=$(date +%s.%N)
  cli /cancel
  local took
  took=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
  echo "/cancel returned after $took s (Wine's start of the program included)"
  check "/cancel: exit 0, cancelled" said 0 "已取消关机倒计时。"
  check "the countdown window is hidden when /cancel returns" [ "$(drv count TForm1 '*')" = 0 ]
  check "the run history says how it ended: 倒计时已取消（命令行/cancel）" \
    has_text "$(history_lines)" "任务1	关闭计算机	空闲0分钟		倒计时已取消（命令行/cancel）"
  local left=$((ends + 2 - $(date +%s)))
  [ "$left" -gt 0 ] && sleep "$left"  # past the countdown's end
  check "no power action after the cancel" [ -z "$(power_calls)" ]
  check "monitoring is off: tray tip \"Ordavi-禁用\"" [ "$(tray_tip "$(tray_record "$addr")")" = "$(tip_bytes 'Ordavi-禁用')" ]
  shot e2e-command-line-cancelled
  cli /cancel
  check "a second /cancel: nothing to cancel, exit 1" said 1 "没有正在进行的关机倒计时。"
  check "the agent runs on" quiet drv hidden TForm1
  # With no agent. (Run before the agent's start, its end now and then took
  # the desktop the agent was starting on with it under Wine: the agent died
  # in its DLLs' start-up, before any of its own code ran.)
  cli /quit
  quiet drv gone TForm1 '*' 15
  cli /cancel
  check "/cancel with no agent: exit 1 and why" said 1 "Ordavi 没有运行，没有可取消的关机倒计时。"
}
