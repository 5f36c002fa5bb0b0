# Windows of other languages.
# (Sourced by e2e/scenarios.sh, which runs one of them; the helpers are in
# e2e/lib.sh.)
SCENARIOS+=(languages_en_US languages_ja_JP)

# The key as a Chinese Windows leaves it (GBK through code page 936), with the
# agent run on a Windows whose ANSI code page is another: every due task kind
# runs at its minute (the due-tasks scenario of due_tasks.sh), the notice, the tray tip, the
# tray menu and the settings dialog show their Chinese texts (read back as
# UTF-16), Chinese typed into the editor as an input method hands it over is
# stored with the GBK bytes a Chinese Windows stores, and a character GBK
# cannot hold is refused with a message naming its box.
languages_scenario() {
  export ORDAVI_WINE_LOCALE="$1"
  AGENT_WINEDEBUG=+relay,trace+menu scenario_due_tasks
  check "the agent ran under code page $2" [ "$(drv acp)" = "$2" ]
  quiet drv close TForm6 '提示'
  local addr
  addr=$(tray_record_address)
  # The tip's second line names the soonest task: the reminder, tomorrow.
  # (The tip is worked out after a pass; the minute's pause after the run may
  # still hold the tick.)
  local tip_start
  tip_start=$(printf 'Ordavi-启用\n下一个：明天 ' | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')
  check "tray tip \"Ordavi-启用\" and \"下一个：明天 …\" in UTF-16" \
    eventually 70 eval 'has_text "$(tray_tip "$(tray_record "$addr")")" "$tip_start"'
  xdotool mousemove 1012 757  # over the icon: its tooltip
  sleep 2
  shot "e2e-languages-$1-tray-tip"
  xdotool mousemove 700 500
  quiet drv post TForm1 $WM_TRAY 0 0x0204
  eventually 5 menu_open
  sleep 0.5
  # The items as the menu got them, from Wine's menu trace (\uXXXX units).
  local menu
  menu=$(grep -a 'trace:menu:InsertMenuW' "$WORK/agent.log")
  check "tray menu items 设置(&S) and 退出(&X) in UTF-16" \
    eval 'has_text "$menu" "str L\"\\8bbe\\7f6e(&S)\"" && has_text "$menu" "str L\"\\9000\\51fa(&X)\""'
  shot "e2e-languages-$1-tray-menu"
  check "Esc closes the menu" close_menu

  menu_command "$MENU_SETTINGS"
  check "the settings dialog opens with its caption 设置" quiet drv wait TForm3 '设置' 10
  local dlg
  dlg=$(drv info TForm3 '设置')
  check "its buttons and options in Chinese" eval 'has_text "$dlg" "\"添加(&A)\"" && has_text "$dlg" "\"开机启动Ordavi(&S)\"" && has_text "$dlg" "\"关机前声音提示:\""'
  check "its columns in Chinese" has "$(drv lv TForm3 '*')" '^column 3 "任务属性"'
  check "its rows as stored" has "$(drv lv TForm3 '*')" '"1\|每天[0-9]+时[0-9]+分\|提醒\|该喝水了\|启用\|明天 [0-9:]+"'
  shot "e2e-languages-$1-settings"

  # A daily reminder typed in Chinese: stored as the task after those the
  # due-tasks pass planted.
  local count="" try
  for try in 1 2 3; do  # a read that can come back empty on a busy machine is asked again
    count=$(reg_dword TaskNum)
    [ -n "$count" ] && break
    sleep 1
  done
  local n=$((count + 1))
  press TForm3 '*' '添加(&A)'
  check "the task editor opens" eventually 30 quiet drv wait TForm5 '任务' 1
  press TForm5 '*' '每天'
  pick_type 0
  clear_param_box
  quiet drv type TForm5 '*' ComboBox '#5' '下班前记得关窗户'
  sleep 0.5
  check "the text box shows what was typed" has "$(drv ctl TForm5 '*' ComboBox '#5')" '"下班前记得关窗户"'
  shot "e2e-languages-$1-editor"
  press TForm5 '*' '确定(&O)'
  check "OK stores the task and closes the editor" eventually 5 quiet drv gone TForm5 '*' 1
  check "TaskNum $n" [ "$(reg_dword TaskNum)" = "$(printf '0x%x' "$n")" ]
  check "C$n holds the GBK bytes of 下班前记得关窗户" [ "$(drv getsz "C$n")" = "$(gbk_hex 下班前记得关窗户) 00 type 1" ]
  check "B$n holds the GBK bytes of 提醒" [ "$(drv getsz "B$n")" = "$(gbk_hex 提醒) 00 type 1" ]

  # A character GBK cannot hold (Hangul 한, U+D55C) is refused, naming the box.
  press TForm3 '*' '添加(&A)'
  eventually 10 quiet drv wait TForm5 '任务' 1
  press TForm5 '*' '每天'
  pick_type 0
  clear_param_box
  quiet drv type TForm5 '*' ComboBox '#5' '见\uD55C'
  sleep 0.5
  press TForm5 '*' '确定(&O)'
  check "a message names the box 提醒语" eventually 5 box_says 提示 \
    '“提醒语”中有无法保存的字符（简体中文 GBK 字符集以外的字符），请修改后再试。'
  shot "e2e-languages-$1-refused"
  quiet drv close '#32770' 提示
  check "nothing was stored: TaskNum $n" [ "$(reg_dword TaskNum)" = "$(printf '0x%x' "$n")" ]
  check "the editor stays open" quiet drv wait TForm5 '任务' 2
  press TForm5 '*' '取消(&C)'
  quiet drv close TForm3 '设置'
}
scenario_languages_en_US() { languages_scenario en_US.UTF-8 1252; }
scenario_languages_ja_JP() { languages_scenario ja_JP.UTF-8 932; }
