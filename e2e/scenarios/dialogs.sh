# The settings dialog and the task editor, their files, daily use, high DPI
# and the README's pictures.
# (Sourced by e2e/scenarios.sh, which runs one of them; the helpers are in
# e2e/lib.sh.)
SCENARIOS+=(settings_tasks settings_options settings_file daily_use high_dpi readme_pictures)

WAKE_BOX='唤醒计算机运行此任务'
# wake_timer_set: the agent's last SetWaitableTimer call: no period, no
# completion routine, and fResume, so the timer wakes a sleeping PC.
wake_timer_set() {
  calls '(kernel32|kernelbase).SetWaitableTimer\(' | tail -n1 | grep -qE ',00000000,00000000,00000000,00000001\)$'
}

# sz_bytes NAME: the value's bytes as RegQueryValueExA gives them, and its type.
sz_bytes() { drv getsz "$1"; }

# set_time N HH MM: the N-th time picker of the editor (from 0, DateTimePicker2
# being #1) set by clicking its hour and typing, as a user does.
set_time() {
  local at
  at=$(drv ctl TForm5 '*' SysDateTimePick32 "#$1" | sed -nE 's/.* screen ([0-9]+),([0-9]+) .*/\1 \2/p')
  # shellcheck disable=SC2086
  set -- $at "$2" "$3"
  xdotool mousemove $(($1 + 10)) $(($2 + 10)) click 1
  xdotool type "$3"
  xdotool key Right
  xdotool type "$4"
}

# Tasks through the settings dialog and the editor, with real clicks and keys:
# the list as stored, a disabled task modified (it stays disabled and moves to
# the bottom), a delete in the middle (store and rows renumbered alike), the
# state combo over a row, a daily task added (its exact bytes, its row at the
# bottom), and the task tick held while the dialog is open.
scenario_settings_tasks() {
  setup
  plant_task 1 "每天8时30分" 提醒 "该喝水了"
  plant_task 2 "每周7日22时0分" 关闭计算机 ""
  drv setsz D2 禁用
  plant_task 3 "每月1日9时0分" 提醒 "交房租"
  plant_task 4 "空闲15分钟" 关闭程序 'C:\Tools\tool.exe'
  drv setdword TaskNum 4
  # Wine plays Windows 10 here; only a program whose manifest names Windows 10
  # is told so (others read 6.2).
  wine_do reg add 'HKCU\Software\Wine' /v Version /d win10 /f
  start_agent
  check "设置(&S) in the tray menu opens the settings dialog" open_settings
  local dlg lv
  dlg=$(drv info TForm3 '设置')
  check "TForm3 \"设置\": client 628x349, caption and close box only" \
    has "$dlg" '^window TForm3 "设置" .* client 628x349 style 14c80000'
  check "取消(&C) has the focus" has "$(drv ctl TForm3 '*' Button '取消(&C)')" ' focus$'
  check "the task tick stopped when the dialog opened" has "$(last_timer1_call)" 'KillTimer'
  lv=$(drv lv TForm3 '*')
  check "list: report view, one row at a time, grid lines, whole-row selection" \
    has "$lv" '^listview report 1 singlesel 1 gridlines 1 fullrow 1$'
  check "columns 序号 40, 时间 120, 任务 90, 任务属性 130, 是否启用 70, 下次运行 170" [ "$(echo "$lv" | grep '^column' | tr '\n' ';')" = \
    'column 0 "序号" width 40;column 1 "时间" width 120;column 2 "任务" width 90;column 3 "任务属性" width 130;column 4 "是否启用" width 70;column 5 "下次运行" width 170;' ]
  check "rows as stored" [ "$(rows)" = "1|每天8时30分|提醒|该喝水了|启用
2|每周7日22时0分|关闭计算机||禁用
3|每月1日9时0分|提醒|交房租|启用
4|空闲15分钟|关闭程序|C:\\Tools\\tool.exe|启用" ]
  check "下次运行: 8:30 today or tomorrow, not for the disabled task, after idle minutes" \
    has "$(next_runs | tr '\n' ';')" '^(今天|明天) 08:30;不会运行（未启用）;[^;]+ 09:00;空闲15分钟后;$'
  shot e2e-settings-dialog

  # Modify the disabled task 2 without changing it: Sunday shows as 0.
  click_cell 1 1
  press TForm3 '*' '修改(&M)'
  check "修改(&M) opens the task editor" eventually 10 quiet drv wait TForm5 '任务' 1
  local ed
  ed=$(drv info TForm5 '任务')
  check "TForm5 \"任务\": client 722x354" has "$ed" '^window TForm5 "任务" .* client 722x354 style 14c80000'
  check "每周 selected" has "$(drv ctl TForm5 '*' Button '每周')" 'checked 1'
  check "the weekday box shows 0 for the stored 7" has "$(drv ctl TForm5 '*' ComboBox '#0')" '"0"'
  check "type 关闭计算机 selected" has "$(drv ctl TForm5 '*' ComboBox '#4')" '"关闭计算机"'
  check "parameter caption 属性：" quiet drv ctl TForm5 '*' Static '属性：'
  shot e2e-task-editor-modify
  press TForm5 '*' '确定(&O)'
  check "OK closes the editor" eventually 5 quiet drv gone TForm5 '*' 1
  check "task 2 stays disabled, Sunday stored as 0" [ "$(stored 2)" = "2|每周0日22时0分|关闭计算机||禁用" ]
  check "its row moved to the bottom" [ "$(rows | tr '\n' ';')" = \
    "1|每天8时30分|提醒|该喝水了|启用;3|每月1日9时0分|提醒|交房租|启用;4|空闲15分钟|关闭程序|C:\\Tools\\tool.exe|启用;2|每周0日22时0分|关闭计算机||禁用;" ]

  # Delete the middle row, task 3: task 4 becomes 3.
  click_cell 1 1
  press TForm3 '*' '删除(&D)'
  sleep 1
  check "TaskNum 3" [ "$(reg_dword TaskNum)" = 0x3 ]
  check "A4 to D4 gone" not has "$(wine_reg_query "$KEY")" ' [ABCD]4 '
  check "rows renumbered with the store" [ "$(rows | tr '\n' ';')" = \
    "1|每天8时30分|提醒|该喝水了|启用;3|空闲15分钟|关闭程序|C:\\Tools\\tool.exe|启用;2|每周0日22时0分|关闭计算机||禁用;" ]
  local r label
  while read -r r; do
    label=${r%%|*}
    check "row $label matches task $label in the store" [ "$r" = "$(stored "$label")" ]
  done < <(rows)

  # The state combo over task 2's "是否启用" cell (row 2): enable, then disable.
  click_cell 2 4
  local combo
  combo=$(drv ctl TForm3 '*' ComboBox '#0')
  check "the state combo covers the cell, showing 禁用" has "$combo" '"禁用" .*visible 1'
  check "it sits on the cell" [ "$(echo "$combo" | sed -E 's/.* center ([0-9]+),([0-9]+).*/\1 \2/')" = \
    "$(drv lvcell TForm3 '*' 2 4 | sed -E 's/.* center ([0-9]+),([0-9]+).*/\1 \2/')" ]
  click_at "$combo"
  sleep 0.5
  shot e2e-settings-state-combo
  xdotool key Up Return
  sleep 0.5
  check "启用 stored for task 2 and shown at once" \
    [ "$(stored 2)|$(rows | sed -n 3p)" = "2|每周0日22时0分|关闭计算机||启用|2|每周0日22时0分|关闭计算机||启用" ]
  click_at "$(drv ctl TForm3 '*' ComboBox '#0')"
  sleep 0.5
  xdotool key Down Return
  sleep 0.5
  check "禁用 stored and shown" [ "$(stored 2)|$(rows | sed -n 3p)" = "2|每周0日22时0分|关闭计算机||禁用|2|每周0日22时0分|关闭计算机||禁用" ]

  # Add a daily task at 22:30 that shuts the computer down.
  press TForm3 '*' '添加(&A)'
  check "添加(&A) opens an empty task editor" eventually 10 quiet drv wait TForm5 '任务' 1
  check "uptime text 已开机时间:H时M分S秒" has "$(drv info TForm5 '任务')" 'Static id [0-9]+ "已开机时间:[0-9]+时[0-9]+分[0-9]+秒"'
  check "no kind chosen yet" has "$(drv ctl TForm5 '*' Button '每天')" 'checked 0'
  check "唤醒计算机运行此任务: off until a kind with a clock time is chosen" \
    has "$(drv ctl TForm5 '*' Button "$WAKE_BOX")" 'checked 0 visible 1 enabled 0'
  click_ctl TForm5 '*' Edit '#0'
  xdotool type 'a-5'
  check "the idle-minutes box takes digits only" has "$(drv ctl TForm5 '*' Edit '#0')" '"5"'
  xdotool key BackSpace
  check "Backspace still deletes" has "$(drv ctl TForm5 '*' Edit '#0')" 'Edit id [0-9]+ "" '
  press TForm5 '*' '空闲'
  check "空闲 has no clock time: the wake box stays off" has "$(drv ctl TForm5 '*' Button "$WAKE_BOX")" 'enabled 0'
  press TForm5 '*' '每天'
  check "每天 enables the wake box" has "$(drv ctl TForm5 '*' Button "$WAKE_BOX")" 'enabled 1'
  click_ctl TForm5 '*' Button "$WAKE_BOX"
  set_time 2 22 30
  pick_type 13  # 禁用网卡: the adapter names are offered
  check "禁用网卡 offers 本地连接 and 以太网" [ "$(drv items TForm5 '*' ComboBox '#5' | tr '\n' ' ')" = "本地连接 以太网 " ]
  check "以太网 suggested: the agent read version 10" has "$(drv ctl TForm5 '*' ComboBox '#5')" '"以太网"'
  pick_type 9  # 关闭计算机
  check "关闭计算机 leaves the parameter empty" has "$(drv ctl TForm5 '*' ComboBox '#5')" 'ComboBox id [0-9]+ "" '
  shot e2e-task-editor-add
  press TForm5 '*' '确定(&O)'
  check "OK closes the editor" eventually 5 quiet drv gone TForm5 '*' 1
  check "TaskNum 4" [ "$(reg_dword TaskNum)" = 0x4 ]
  check "A4 is exactly 每天22时30分 in GBK with one NUL, REG_SZ" [ "$(sz_bytes A4)" = "$(gbk_hex '每天22时30分') 00 type 1" ]
  check "task 4 stored enabled" [ "$(stored 4)" = "4|每天22时30分|关闭计算机||启用" ]
  check "the wake box stored as W4, REG_DWORD 1" [ "$(reg_dword W4)" = 0x1 ]
  check "its row at the bottom" [ "$(rows | tail -n1)" = "4|每天22时30分|关闭计算机||启用" ]
  check "下次运行 marks it as waking the PC" has "$(next_runs | tail -n1)" '^(今天|明天) 22:30（唤醒）$'
  shot e2e-settings-after-add

  # Reopened, the box is still ticked; the editor with it is a help picture.
  click_cell 3 1
  press TForm3 '*' '修改(&M)'
  eventually 10 quiet drv wait TForm5 '任务' 1
  check "reopened: the wake box is still ticked" has "$(drv ctl TForm5 '*' Button "$WAKE_BOX")" 'checked 1 visible 1 enabled 1'
  shot_window e2e-task-editor-wake "$(drv info TForm5 '任务')"
  press TForm5 '*' '取消(&C)'
  eventually 5 quiet drv gone TForm5 '*' 1

  press TForm3 '*' '取消(&C)'
  check "取消(&C) closes the dialog" eventually 5 quiet drv gone TForm3 '*' 1
  check "the task tick runs again (SetTimer id 1)" has "$(last_timer1_call)" "$TICK_SET_TIMER"
  # The due time lies behind a pointer the trace does not show; the wine_app
  # test checks it (a minute before the task's local minute, in UTC).
  check "the next pass sets the wake timer with resume (SetWaitableTimer ..., 0, no routine, fResume 1)" \
    eventually 30 wake_timer_set
  menu_command "$MENU_MONITORING"
  check "monitoring off cancels the wake timer" \
    eventually 5 eval "calls '(kernel32|kernelbase).CancelWaitableTimer\\(' | grep -q ."
}

# The options: Enter right after opening cancels; 1.5 minutes and autostart
# stored on OK and shown again; autostart cleared deletes Ormile; with
# monitoring off, closing the dialog leaves the tick off. Also the refusals:
# a delete with no row selected, an editor's OK with no kind chosen; and an
# editor closes with its dialog.
scenario_settings_options() {
  setup
  start_agent
  local run='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
  open_settings
  xdotool key Return
  check "Enter right after opening closes the dialog" eventually 5 quiet drv gone TForm3 '*' 1
  check "nothing stored: tishi 60" [ "$(reg_dword tishi)" = 0x3c ]
  check "nothing stored: no Ormile" not has "$(wine_reg_query "$run" Ormile)" Ormile

  open_settings
  press TForm3 '*' '删除(&D)'
  check "删除 with no row selected: the box 错误 \"请选择要删除的任务\"" eventually 5 box_says 错误 请选择要删除的任务
  press '#32770' '错误' '确定'
  check "确定 closes the box 错误" eventually 5 quiet drv gone '#32770' '错误' 1
  press TForm3 '*' '添加(&A)'
  eventually 10 quiet drv wait TForm5 '任务' 1
  press TForm5 '*' '确定(&O)'
  check "OK with no kind chosen: the box 提示 \"请选择时间\"" eventually 5 box_says 提示 请选择时间
  shot e2e-task-editor-no-kind
  press '#32770' '提示' '确定'
  check "确定 closes the box 提示" eventually 5 quiet drv gone '#32770' '提示' 1
  check "the editor stays open" quiet drv wait TForm5 '任务' 1
  check "nothing stored: TaskNum 0" [ "$(reg_dword TaskNum)" = 0x0 ]
  menu_command "$MENU_SETTINGS"
  sleep 1
  check "设置 again: still one settings dialog and one editor" \
    eval '[ "$(drv count TForm3 "*")" = 1 ] && [ "$(drv count TForm5 "*")" = 1 ]'
  quiet drv close TForm3 '设置'
  check "closing the dialog closes its editor" eventually 5 quiet drv gone TForm5 '*' 1

  open_settings
  check "the wait box shows 1 (minutes)" has "$(drv ctl TForm3 '*' Edit '#1')" '"1"'
  click_ctl TForm3 '*' Edit '#1'
  xdotool key ctrl+a BackSpace
  xdotool type 'x-1.5'  # the box takes digits and "." only
  check "the wait box shows 1.5" has "$(drv ctl TForm3 '*' Edit '#1')" '"1.5"'
  click_ctl TForm3 '*' Button '开机启动Ordavi(&S)'
  click_ctl TForm3 '*' Button '待机前关闭所有程序(&P)'
  press TForm3 '*' '浏览'
  check "浏览 opens the file dialog 声音提示选择" eventually 10 quiet drv wait '#32770' '声音提示选择' 1
  shot e2e-settings-sound-file
  xdotool key Escape
  eventually 5 quiet drv gone '#32770' '声音提示选择' 1
  shot e2e-settings-options
  press TForm3 '*' '确定(&O)'
  check "OK closes the dialog" eventually 5 quiet drv gone TForm3 '*' 1
  check "tishi 90" [ "$(reg_dword tishi)" = 0x5a ]
  check "shutapp 1" [ "$(reg_dword shutapp)" = 0x1 ]
  check "Ormile under Run holds the executable's path in double quotes" \
    has "$(wine_reg_query "$run" Ormile)" '^ +Ormile +REG_SZ +"C:\\Ordavi\.exe"$'
  open_settings
  check "shown again: 1.5" has "$(drv ctl TForm3 '*' Edit '#1')" '"1.5"'
  check "shown again: autostart checked" has "$(drv ctl TForm3 '*' Button '开机启动Ordavi(&S)')" 'checked 1'
  click_ctl TForm3 '*' Button '开机启动Ordavi(&S)'
  press TForm3 '*' '确定(&O)'
  eventually 5 quiet drv gone TForm3 '*' 1
  check "autostart cleared: Ormile deleted" not has "$(wine_reg_query "$run" Ormile)" Ormile

  # Monitoring off before opening: closing the dialog keeps the tick off.
  menu_command "$MENU_MONITORING"
  sleep 1
  open_settings
  press TForm3 '*' '取消(&C)'
  eventually 5 quiet drv gone TForm3 '*' 1
  sleep 1
  check "monitoring off stays off: the tick is not restarted ($(last_timer1_call))" has "$(last_timer1_call)" 'KillTimer'
  check "the icon stays DISSHUT" [ "$(last_icon)" = DISSHUT ]
}

# save_as CAPTION PATH: the file dialog with that caption gets PATH typed into
# its name box and confirmed, as a user does.
save_as() {
  eventually 10 quiet drv wait '#32770' "$1" 1 || return 1
  sleep 0.5
  xdotool type --delay 20 "$2"
  xdotool key Return
  eventually 10 quiet drv gone '#32770' "$1" 1
}

# The settings dialog's 导出(&E)… and 导入(&I)…: the tasks and options to a
# task file and back, as a user backs them up and restores them: replace
# brings the list back as it was, add appends the file's tasks, and a file
# with a bad line changes nothing and names the line.
scenario_settings_file() {
  setup
  plant_task 1 "每天8时30分" 提醒 "该喝水了"
  plant_task 2 "每周7日22时0分" 关闭计算机 ""
  drv setsz D2 禁用
  drv setdword TaskNum 2
  drv setdword tishi 30
  start_agent
  check "the settings dialog opens" open_settings
  local before file="$WINEPREFIX/drive_c/backup/ordavi.txt"
  mkdir -p "$WINEPREFIX/drive_c/backup"
  before=$(rows)
  press TForm3 '*' '导出(&E)…'
  check "导出 saves through the file dialog" save_as 导出任务 'C:\backup\ordavi.txt'
  check "and says what it saved" eventually 5 box_says 提示 '已导出2个任务和选项。'
  quiet drv close '#32770' 提示
  check "the file: UTF-8 with BOM, the tasks and the options" \
    eval '[ "$(head -c 3 "$file" | od -An -tx1 | tr -d " ")" = efbbbf ] && grep -q "每周7日22时0分" "$file" && grep -q "^tishi=30" "$file"'
  echo "--- $(basename "$file")"; tr -d '\r' <"$file" | head -n 20

  # The list changed, then the file imported in place of it.
  click_cell 0 1
  press TForm3 '*' '删除(&D)'
  sleep 1
  check "one task left" [ "$(rows | wc -l)" = 1 ]
  press TForm3 '*' '导入(&I)…'
  save_as 导入任务 'C:\backup\ordavi.txt'
  check "the question offers replace or add" eventually 5 box_says 导入任务 \
    "文件中有2个任务。

是：用文件中的2个任务和选项替换现有的全部任务和选项
否：把2个任务添加到现有任务之后（选项不变）
取消：不导入"
  shot e2e-settings-import-question
  xdotool key y
  check "replaced: the rows as they were" eventually 5 eval '[ "$(rows)" = "$before" ]'
  check "and says so" eventually 5 box_says 提示 '已用文件中的2个任务替换全部任务，并导入了选项。'
  quiet drv close '#32770' 提示

  # Added after the existing tasks.
  press TForm3 '*' '导入(&I)…'
  save_as 导入任务 'C:\backup\ordavi.txt'
  eventually 5 quiet drv wait '#32770' 导入任务 1
  xdotool key n
  check "added: four rows, the file's two at the bottom" eventually 5 eval '[ "$(rows | cut -d"|" -f2- | tr "\n" ";")" = \
    "每天8时30分|提醒|该喝水了|启用;每周7日22时0分|关闭计算机||禁用;每天8时30分|提醒|该喝水了|启用;每周7日22时0分|关闭计算机||禁用;" ]'
  check "and says which numbers they got" eventually 5 box_says 提示 '已添加2个任务（第3到4个）。'
  quiet drv close '#32770' 提示

  # A bad line: nothing imported, the line named.
  printf '\xef\xbb\xbfOrdavi 任务文件 版本 1\r\n\r\n[任务]\r\n时间=每天9时0分\r\n乱码\r\n' >"$WINEPREFIX/drive_c/backup/bad.txt"
  press TForm3 '*' '导入(&I)…'
  save_as 导入任务 'C:\backup\bad.txt'
  check "a bad line is named and nothing imported" eventually 5 eval 'has_text "$(drv info "#32770" 提示)" "未导入任何内容：第"'
  shot e2e-settings-import-bad-line
  quiet drv close '#32770' 提示
  check "still four rows" [ "$(rows | wc -l)" = 4 ]
  check "TaskNum 4" [ "$(reg_dword TaskNum)" = 0x4 ]

  # Another program adds a task that starts a program while the dialog is
  # open: 导出 writes it and counts it, and importing that file names the
  # program before anything is chosen; 取消 imports nothing.
  plant_task 5 "每天23时0分" 打开文件 'C:\tools\sync.exe'
  drv setdword TaskNum 5
  press TForm3 '*' '导出(&E)…'
  save_as 导出任务 'C:\backup\ordavi5.txt'
  check "导出 writes the task added since the dialog opened" eventually 5 box_says 提示 '已导出5个任务和选项。'
  quiet drv close '#32770' 提示
  press TForm3 '*' '导入(&I)…'
  save_as 导入任务 'C:\backup\ordavi5.txt'
  check "the question names what the file would start" eventually 5 eval \
    'has_text "$(drv info "#32770" 导入任务)" "其中会打开文件、关闭程序或清理垃圾的任务：" &&
     has_text "$(drv info "#32770" 导入任务)" "每天23时0分  打开文件  “C:" &&
     has_text "$(drv info "#32770" 导入任务)" "sync.exe”"'
  shot e2e-settings-import-lists-programs
  xdotool key Escape
  eventually 5 quiet drv gone '#32770' 导入任务 1
  check "取消 imports nothing" [ "$(reg_dword TaskNum)" = 0x5 ]
}

# --- Daily use

# As a new user meets it: the hotkeys need Ctrl from the first start, so a
# bare F11 (full screen in a browser) or F10 powers nothing off; a second
# start (autostart plus the Start-menu shortcut) leaves one agent and one
# tray icon and brings up the running agent's settings dialog; a task added
# with `reg` while the agent runs is run at its minute, and a task added
# afterwards through the editor gets the next number instead of overwriting
# it; the editor asks before storing a once task in the past and stores a
# weekday typed as 07 without its zero.
scenario_daily_use() {
  setup
  start_agent
  check "first start: rejian 1" [ "$(reg_dword rejian)" = 0x1 ]
  check "the hotkeys are registered with Ctrl" \
    [ "$(calls 'user32.RegisterHotKey' | grep -c ',00000002,0000007[7-9a]')" = 4 ]
  # Bare F11 and F10, then Ctrl+F11, whose fast shutdown (a call that leaves
  # the Wine session running) shows that the keys before it were handled.
  xdotool search --name ' - Wine desktop$' windowfocus --sync >/dev/null 2>&1
  xdotool key F11 F10 ctrl+F11
  local power
  eventually 20 eval '[ -n "$(power_trace)" ]'
  power=$(power_trace)
  check "Ctrl+F11 makes its fast shutdown, a bare F11 or F10 no power call ($power)" \
    [ "$power" = "Call ntdll.NtShutdownSystem(00000002)" ]
  check "the agent still runs" quiet drv hidden TForm1

  # A second start with the same rights.
  local second
  WINEDEBUG=-all wine_run_bg second explorer "$(desktop)" 'C:\Ordavi.exe' 2>/dev/null
  # (A program's start under Wine can take a minute on a busy machine.)
  check "the second start brings up the running agent's settings dialog" eventually 90 quiet drv wait TForm3 '设置' 1
  check "the second start ends by itself" eventually 60 eval '[ "$(agents)" = 1 ]'
  check "one main window" [ "$(drv info TForm1 '*' | grep -c '^window TForm1')" = 1 ]
  check "one tray icon: the first agent added it once" [ "$(calls shell32.Shell_NotifyIconW | grep -c '(00000000,')" = 1 ]
  sleep 1
  shot e2e-second-start
  press TForm3 '*' '取消(&C)'
  eventually 5 quiet drv gone TForm3 '*' 1

  # A task added with reg while the agent runs, due at the coming minute.
  coming_minute 30
  wine_do reg add "$KEY" /v A1 /t REG_SZ /d "每天${DUE_H}时${DUE_M}分" /f
  wine_do reg add "$KEY" /v B1 /t REG_SZ /d 提醒 /f
  wine_do reg add "$KEY" /v C1 /t REG_SZ /d 导入的任务到点了 /f
  wine_do reg add "$KEY" /v D1 /t REG_SZ /d 启用 /f
  wine_do reg add "$KEY" /v TaskNum /t REG_DWORD /d 1 /f
  sleep "$DUE_WAIT"
  check "the task added with reg runs at its minute" eventually 20 quiet drv wait TForm6 '提示' 1
  check "its reminder text" has_text "$(drv info TForm6 '提示')" '"导入的任务到点了"'
  quiet drv close TForm6 '提示'

  # Then a task through the editor.
  open_settings
  check "the list shows the task added with reg" [ "$(rows)" = "1|每天${DUE_H}时${DUE_M}分|提醒|导入的任务到点了|启用" ]
  press TForm3 '*' '添加(&A)'
  eventually 10 quiet drv wait TForm5 '任务' 1
  press TForm5 '*' '一次'
  set_time 1 0 0  # today 00:00, already past
  pick_type 0
  press TForm5 '*' '确定(&O)'
  check "a once task in the past: one question" eventually 5 box_says 提示 '该“一次”任务的日期和时间已经过去，永远不会执行。仍然保存吗？'
  shot e2e-once-in-the-past
  xdotool key Return  # 否, the default
  check "否 stores nothing and the editor stays open" \
    eval 'eventually 5 quiet drv gone "#32770" 提示 1 && [ "$(reg_dword TaskNum)" = 0x1 ] && quiet drv wait TForm5 任务 1'
  press TForm5 '*' '每周'
  click_ctl TForm5 '*' ComboBox '#0'
  xdotool key ctrl+a
  xdotool type 07
  xdotool key Tab
  press TForm5 '*' '确定(&O)'
  check "OK closes the editor" eventually 5 quiet drv gone TForm5 '*' 1
  check "the editor's task is number 2" [ "$(reg_dword TaskNum)" = 0x2 ]
  check "the task added with reg is kept" [ "$(stored 1)" = "1|每天${DUE_H}时${DUE_M}分|提醒|导入的任务到点了|启用" ]
  check "weekday 07 stored as 7" [ "$(stored 2)" = "2|每周7日0时0分|提醒|下班时间到。|启用" ]
  shot e2e-daily-use-list
  press TForm3 '*' '取消(&C)'
}

# --- High DPI

# px N: a 96-DPI length N in pixels at $DPI, rounded to the nearest as the
# agent rounds.
px() { echo $((($1 * DPI + 48) / 96)); }
# sized INFO WHICH W H: the window's client or outer size (WHICH) is W x H at
# 96 DPI scaled to $DPI, within 2 pixels.
sized() {
  echo "$1" | sed -nE "1s/^window .* $2 ([0-9]+)x([0-9]+) .*/\1 \2/p" | awk -v w="$(px "$3")" -v h="$(px "$4")" \
    'NF { found = 1; ok = ($1 - w) ^ 2 <= 4 && ($2 - h) ^ 2 <= 4 } END { exit !(found && ok) }'
}
# placed INFO TEXT X Y W H: the control with that text has the place and
# size of X,Y W x H at 96 DPI scaled to $DPI (its edges scaled).
placed() {
  local x y
  x=$(px "$3") y=$(px "$4")
  has_text "$1" "\"$2\" at $x,$y size $(($(px $(($3 + $5))) - x))x$(($(px $(($4 + $6))) - y))"
}
# laid_out WHAT INFO: a check that every control of the window has its own
# place inside it; the faults are listed when there are any.
laid_out() {
  local faults
  faults=$(layout_faults "$2")
  check "$1: every control inside the window, none covering another" [ -z "$faults" ]
  [ -z "$faults" ] || echo "$faults"
}

# The windows as a user with a display of 96, 144 and 192 DPI sees them:
# the countdown, a notice, the About box, the settings dialog and the task
# editor keep their 96-DPI proportions, their text grows with the DPI, and
# every control keeps its own place. Each DPI has its own agent start, on a
# desktop of 1024x768 scaled alike, as a screen of that pixel density has.
# Two tasks due whenever the user has been idle less than a minute bring up
# a notice and the countdown at the first pass. Screenshots dpi<N>-*.png.
scenario_high_dpi() {
  ORDAVI_WINE_SCREEN=2048x1536x24
  setup
  local info lv name name96="" combo cell
  for DPI in 96 144 192; do
    echo "--- $DPI DPI"
    wine_do reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$DPI" /f
    plant_due_at_first_pass 该喝水了，起来走一走
    # Each size is a first start: an agent remembers which tasks ran in the
    # minute its last life ended in and does not run them again in it.
    find "$WINEPREFIX/drive_c/users" -path '*/Ordavi/last-pass.txt' -delete 2>/dev/null
    E2E_DESKTOP="$(px 1024)x$(px 768)" AGENT_WINEDEBUG=-all start_agent
    not_idle

    check "$DPI: the countdown opens at the first pass" quiet drv wait TForm1 'Windows 正在准备关机...' 60
    sleep 1
    info=$(drv info TForm1 '*')
    check "$DPI: countdown client 401x159 scaled" sized "$info" client 401 159
    check "$DPI: 取消关机 at 232,94 105x25 scaled" placed "$info" 取消关机 232 94 105 25
    check "$DPI: 推迟(&P) at 232,126 105x25 scaled" placed "$info" '推迟(&P)' 232 126 105 25
    laid_out "$DPI: countdown" "$info"
    shot_window "dpi$DPI-countdown" "$info"
    press TForm1 'Windows 正在准备关机...' '取消关机'

    check "$DPI: the notice is open" quiet drv wait TForm6 '提示' 5
    info=$(drv info TForm6 '提示')
    check "$DPI: notice outer 400x169 scaled" sized "$info" outer 400 169
    check "$DPI: notice 确定 at 160,96 75x25 scaled" placed "$info" 确定 160 96 75 25
    laid_out "$DPI: notice" "$info"
    shot_window "dpi$DPI-notice" "$info"
    quiet drv close TForm6 '提示'

    menu_command "$MENU_ABOUT"
    quiet drv wait TForm2 '关于...' 10
    sleep 0.5
    info=$(drv info TForm2 '关于...')
    check "$DPI: About client 311x253 scaled" sized "$info" client 311 253
    check "$DPI: About 确定(&O) at 112,216 75x25 scaled" placed "$info" '确定(&O)' 112 216 75 25
    laid_out "$DPI: About" "$info"
    # The text grows with the DPI: the fitted 名称 label, measured at 96 DPI.
    name=$(echo "$info" | sed -nE 's/.*"名称: +Ordavi" at [0-9]+,[0-9]+ size ([0-9]+)x([0-9]+).*/\1 \2/p')
    [ "$DPI" = 96 ] && name96=$name
    check "$DPI: About text scaled: 名称 label $name, at 96 DPI $name96" \
      awk -v a="$name" -v b="$name96" -v s="$DPI" 'BEGIN { split(a, g); split(b, w); f = s / 96
        exit !(g[1] >= w[1] * f * 0.9 && g[1] <= w[1] * f * 1.1 && g[2] >= w[2] * f * 0.9 && g[2] <= w[2] * f * 1.1) }'
    shot_window "dpi$DPI-about" "$info"
    quiet drv close TForm2 '关于...'

    menu_command "$MENU_SETTINGS"
    quiet drv wait TForm3 '设置' 10
    sleep 0.5
    info=$(drv info TForm3 '设置')
    check "$DPI: settings client 628x349 scaled" sized "$info" client 628 349
    lv=$(drv lv TForm3 '*' | grep '^column' | sed -E 's/.* width ([0-9]+)$/\1/' | tr '\n' ' ')
    check "$DPI: list columns 40 120 90 130 70 170 scaled ($lv)" \
      [ "$lv" = "$(px 40) $(px 120) $(px 90) $(px 130) $(px 70) $(px 170) " ]
    laid_out "$DPI: settings" "$info"
    # The state combo over the first row's "是否启用" cell.
    click_cell 0 4
    sleep 0.5
    combo=$(drv ctl TForm3 '*' ComboBox '#0' | sed -nE 's/.* center ([0-9]+),([0-9]+) .*visible 1.*/\1 \2/p')
    cell=$(drv lvcell TForm3 '*' 0 4 | sed -E 's/.* center ([0-9]+),([0-9]+).*/\1 \2/')
    check "$DPI: the state combo shows on its cell (centres $combo and $cell)" eval '[ -n "$combo" ] && [ "$combo" = "$cell" ]'
    shot_window "dpi$DPI-settings" "$info"

    press TForm3 '*' '添加(&A)'
    quiet drv wait TForm5 '任务' 10
    sleep 0.5
    info=$(drv info TForm5 '任务')
    check "$DPI: task editor client 722x354 scaled" sized "$info" client 722 354
    laid_out "$DPI: task editor" "$info"
    shot_window "dpi$DPI-editor" "$info"
    shot "dpi$DPI-desktop"  # with the taskbar and the tray icon
    press TForm5 '*' '取消(&C)'
    quiet drv close TForm3 '设置'

    menu_command "$MENU_EXIT"
    check "$DPI: the agent ends" quiet drv gone TForm1 '*' 10
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
  done
}

# The pictures of the README, from the real program: a reminder and the
# countdown (two tasks due while the user is not idle), then, with a task
# list such as a user keeps, the tray menu opened by a click on the icon, the
# settings dialog, the task editor with a task to modify, and the About box.
# tools/readme-pictures.sh copies them from build/screenshots/readme/.
scenario_readme_pictures() {
  setup
  local info
  plant_due_at_first_pass 该休息一下了，起来走一走。
  AGENT_WINEDEBUG=-all start_agent
  not_idle
  check "the countdown opens" quiet drv wait TForm1 'Windows 正在准备关机...' 60
  sleep 2
  shot_window readme/countdown "$(drv info TForm1 '*')"
  press TForm1 'Windows 正在准备关机...' '取消关机'
  check "the reminder opens" quiet drv wait TForm6 '提示' 5
  shot_window readme/notice "$(drv info TForm6 '提示')"
  quiet drv close TForm6 '提示'
  menu_command "$MENU_EXIT"
  quiet drv gone TForm1 '*' 10

  quiet drv settasks 1 1 每天22时30分 关闭计算机 ""
  quiet drv settasks 2 2 每周5日17时30分 提醒 周报写好了吗？
  quiet drv settasks 3 3 空闲30分钟 待机计算机 ""
  quiet drv settasks 4 4 每月1日9时0分 清理系统垃圾 ""
  quiet drv settasks 5 5 开机0时5分 打开文件 'C:\Users\Public\Music\早安.mp3'
  quiet drv setsz D3 禁用
  drv setdword W2 1  # the weekly reminder wakes the PC: the editor's picture shows the box ticked
  drv setdword TaskNum 5
  # A user name as on a Windows PC rather than the Linux "root": Wine takes
  # $USER when its server starts. (Wine's GetUserNameA cuts a Chinese name
  # to its first character, which Windows does not, so the name is ASCII.)
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  export USER=zhangwei LOGNAME=zhangwei
  AGENT_WINEDEBUG=-all start_agent
  xdotool mousemove 1012 757 click 1  # the clock icon in the notification area
  check "a click on the icon opens the menu" eventually 5 menu_open
  xdotool mousemove 700 500  # off the icon, so its tooltip does not cover the menu
  sleep 1.5
  import -window root -crop 170x401+854+367 +repage "$SHOTS/readme/tray-menu.png"
  check "a click elsewhere closes the menu" click_off_menu

  menu_command "$MENU_SETTINGS"
  check "the settings dialog opens" quiet drv wait TForm3 '设置' 10
  sleep 0.5
  check "it lists the five tasks" [ "$(rows | wc -l)" = 5 ]
  click_cell 1 1
  sleep 0.5
  shot_window readme/settings "$(drv info TForm3 '设置')"
  press TForm3 '*' '修改(&M)'
  check "the task editor opens on the weekly reminder" quiet drv wait TForm5 '任务' 10
  sleep 0.5
  shot_window readme/task-editor "$(drv info TForm5 '任务')"
  press TForm5 '*' '取消(&C)'
  quiet drv close TForm3 '设置'

  menu_command "$MENU_ABOUT"
  quiet drv wait TForm2 '关于...' 10
  sleep 0.5
  shot_window readme/about "$(drv info TForm2 '关于...')"
  quiet drv close TForm2 '关于...'
}
