# Tasks that wait for a condition: a reminder after a program ends runs in
# the pass after the end and not before, the editor adds a task of each
# condition kind that the settings list shows waiting, and a reminder for a
# quiet processor comes after a load has ended and the minute has passed.
# (Sourced by e2e/scenarios.sh, which runs one of them; the helpers are in
# e2e/lib.sh.)
SCENARIOS+=(conditions processor_quiet)

scenario_conditions() {
  setup
  cp "$BUILD/e2e/e2e_driver.exe" "$WINEPREFIX/drive_c/DlTool.exe" || exit 1
  start_agent
  # The "download": a program that ends by itself after 50 s.
  wine_run_bg TOOL_PID 'C:\DlTool.exe' wait NoSuchWindowClass '*' 50 >/dev/null 2>&1
  check "the download program DlTool.exe runs" eventually 60 drv running DlTool.exe
  # Its name in another ASCII case than the running executable's.
  quiet drv settasks 1 1 '程序结束后：dltool.exe' 提醒 '下载完成'
  drv setdword TaskNum 1
  whole_passes 2  # two passes see the program running
  if drv running DlTool.exe; then
    check "no notice while the program runs" [ "$(drv count TForm6 '提示')" = 0 ]
  else
    fail "DlTool.exe ended before the passes that had to see it running"
  fi
  check "the program ends" eventually 60 not drv running DlTool.exe
  local ended waited
  ended=$(date +%s)
  check "a notice opens within a tick of the end" quiet drv wait TForm6 '提示' 14
  waited=$(($(date +%s) - ended))
  echo "notice ${waited} s after the end was seen"
  check "the notice says 下载完成" has_text "$(drv info TForm6 '提示')" '"下载完成"'
  shot e2e-condition-program-ended
  quiet drv close TForm6 '提示'
  # Past the minute's pause that follows a run (its end switches the tick on
  # again) and a whole pass more.
  check "the tick goes on after the minute" whole_passes 2 90
  check "one notice for one end" [ "$(drv count TForm6 '提示')" = 0 ]
  echo "--- run history"; history_lines
  check "the run history has the task's run" has_text "$(history_lines)" '任务1'

  # The editor: each condition kind added as a user adds it, its boxes
  # reached with Tab from its radio button.
  open_settings || fail "the settings dialog opens"
  add_condition_task '处理器低于' '1a0' '1' '电脑空下来了' e2e-condition-editor
  add_condition_task '网速低于' '50' '3' '下载完成后关机'
  add_condition_task '程序结束后：' 'thunder.exe' '' '迅雷下载完成'
  local expected=(
    "2|处理器低于10%持续1分钟|提醒|电脑空下来了|启用"
    "3|网速低于50KB/s持续3分钟|提醒|下载完成后关机|启用"
    "4|程序结束后：thunder.exe|提醒|迅雷下载完成|启用"
  )
  local n got
  for n in 2 3 4; do
    got=$(stored "$n")
    [ "$got" = "${expected[n - 2]}" ] || echo "task $n read from the registry: $got"
    check "task $n stored as ${expected[n - 2]}" [ "$got" = "${expected[n - 2]}" ]
    check "its row in the list" [ "$(rows | sed -n "${n}p")" = "${expected[n - 2]}" ]
  done
  next_runs
  check "the next runs: waiting for each condition" \
    [ "$(next_runs | tail -n3 | tr '\n' '|')" = "等待：处理器低于10%持续1分钟|等待：网速低于50KB/s持续3分钟|等待：thunder.exe结束|" ]
  shot e2e-condition-settings
}

# add_condition_task RADIO FIRST SECOND REMINDER [SHOT]: 添加(&A), the condition
# chosen, its boxes typed (the digits boxes drop any other key), a reminder.
add_condition_task() {
  press TForm3 '*' '添加(&A)'
  check "添加(&A) opens the task editor for $1" eventually 10 quiet drv wait TForm5 '任务' 1
  check "the editor: client 722x354" has "$(drv info TForm5 '任务')" ' client 722x354 '
  press TForm5 '*' '每天'
  press TForm5 '*' "$1"
  check "choosing $1 clears 每天" has "$(drv ctl TForm5 '*' Button '每天')" 'checked 0'
  xdotool key Tab
  xdotool type "$2"
  if [ -n "$3" ]; then
    xdotool key Tab
    xdotool type "$3"
  fi
  pick_type 0  # 提醒
  clear_param_box
  quiet drv type TForm5 '*' ComboBox '#5' "$4"
  sleep 0.5
  [ -n "${5:-}" ] && shot_window "$5" "$(drv info TForm5 '任务')"
  press TForm5 '*' '确定(&O)'
  check "OK stores the task and closes the editor" eventually 5 quiet drv gone TForm5 '*' 1
}

# A task for a quiet processor, as a user who waits for a long computation:
# "处理器低于80%持续1分钟". A load on every core for 25 s (two passes or more
# measure it) is the rise the task waits for; the reminder does not come
# while it runs, nor in the first 40 s after it, and comes once each pass
# has found the processor below 80 % for the minute. The load is the
# scenario's own: the test run runs it alone.
scenario_processor_quiet() {
  setup
  AGENT_WINEDEBUG=-all start_agent
  quiet drv settasks 1 1 '处理器低于80%持续1分钟' 提醒 '电脑空下来了'
  drv setdword TaskNum 1
  sleep 12  # the task is armed by the next pass
  local loads=() k
  for k in $(seq 1 "$(nproc)"); do
    (while :; do :; done) &
    loads+=($!)
  done
  sleep 25
  kill "${loads[@]}"
  wait "${loads[@]}" 2>/dev/null
  local stopped
  stopped=$(date +%s)
  check "no notice while the processor was busy" [ "$(drv count TForm6 '提示')" = 0 ]
  open_settings || fail "the settings dialog opens"
  next_runs
  check "the settings list: the task waits for the processor" \
    has "$(next_runs | sed -n 1p)" '^等待：处理器低于80%(持续1分钟|已持续0分钟（需1分钟）)$'
  shot_window e2e-condition-processor "$(drv info TForm3 '设置')"
  quiet drv close TForm3 '设置'
  sleep $((stopped + 40 - $(date +%s)))
  check "no notice in the first 40 s after the load" [ "$(drv count TForm6 '提示')" = 0 ]
  check "a notice opens once the processor has been quiet a minute" quiet drv wait TForm6 '提示' 70
  echo "notice $(($(date +%s) - stopped)) s after the load ended"
  check "the notice says 电脑空下来了" has_text "$(drv info TForm6 '提示')" '"电脑空下来了"'
  check "the run history has the task's run" has_text "$(history_lines)" $'任务1\t提醒\t处理器低于80%持续1分钟'
}
