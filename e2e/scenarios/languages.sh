# Windows of other languages.
# (Sourced by e2e/scenarios.sh, which runs one of them; the helpers are in
# e2e/lib.sh.)
SCENARIOS+=(languages_en_US languages_ja_JP)

# The key as a Chinese Windows leaves it (GBK through code page 936), the
# agent on a Windows of another ANSI code page, and what that can break:
# each kind of clock schedule text read and run at its minute, Chinese in
# the notices, a document whose path holds Chinese opened, the tray tip, menu
# and settings dialog in Chinese (read back as UTF-16), Chinese typed into
# the editor stored as the GBK bytes a Chinese Windows stores, a character
# GBK cannot hold refused naming its box. (due_tasks runs the countdown.)
languages_scenario() {
  export ORDAVI_WINE_LOCALE="$1"
  setup
  echo doc >"$WINEPREFIX/drive_c/报告.ordavitest"
  wine_do reg add 'HKCR\.ordavitest' /ve /d ordavitestfile /f
  wine_do reg add 'HKCR\ordavitestfile\shell\open\command' /ve /d 'C:\windows\system32\cmd.exe /D /c echo opened> C:\doc-opened.txt' /f
  AGENT_WINEDEBUG=+relay,trace+menu start_agent
  check "the agent runs under code page $2" [ "$(drv acp)" = "$2" ]
  local addr
  addr=$(tray_record_address)
  # Tasks 1 to 5 planted while TaskNum is 0, then shown to the agent.
  coming_minute 20
  local at=$(printf '%s时%s分' "$DUE_H" "$DUE_M") weekday day month
  read -r weekday day month < <(date -d "@$(($(date +%s) + DUE_WAIT))" '+%u %-d %-m')
  plant_task 1 "每天$at" 提醒 该喝水了
  plant_task 2 "每周${weekday}日$at" 提醒 周报写好了吗？
  plant_task 3 "每月${day}日$at" 提醒 交房租
  plant_task 4 "每年${month}月${day}日$at" 提醒 生日快乐
  plant_task 5 "每天$at" 打开文件 'C:\报告.ordavitest'
  drv setdword TaskNum 5
  check "the four reminders open at their minute" \
    eventually $((DUE_WAIT + 20)) eval '[ "$(drv count TForm6 "提示")" = 4 ]'
  # The tip's second line names the soonest task, read again in a pass of a
  # new minute: after the run, tomorrow's reminder.
  check "tray tip \"Ordavi-启用\" and \"下一个：明天 $(printf '%02d:%02d' "$DUE_H" "$DUE_M") 提醒\" in UTF-16" \
    eventually 70 eval 'tip_starts "$(tray_record "$addr")" "$(printf "Ordavi-启用\n下一个：明天 %02d:%02d 提醒" "$DUE_H" "$DUE_M")"'
  xdotool mousemove 1012 757  # over the icon: its tooltip
  sleep 2
  shot "e2e-languages-$1-tray-tip"
  xdotool mousemove 700 500
  local texts
  texts=$(drv info TForm6 '提示' | sed -nE 's/^child Static id 1 "(.*)" at .*/\1/p' | LC_ALL=C sort | tr '\n' '|')
  check "their texts in Chinese ($texts)" \
    [ "$texts" = "$(printf '%s\n' 该喝水了 周报写好了吗？ 交房租 生日快乐 | LC_ALL=C sort | tr '\n' '|')" ]
  check "the document whose path holds Chinese was opened" eventually 20 eval '[ -e "$WINEPREFIX/drive_c/doc-opened.txt" ]'
  check "the history says the desktop opened it" \
    has_text "$(history_lines | grep -F 任务5)" '已运行：已交桌面以用户的普通权限打开'
  shot "e2e-languages-$1-notices"
  quiet drv close TForm6 '提示'
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
  check "its rows as stored" has "$(drv lv TForm3 '*')" '"2\|每周[1-7]日[0-9]+时[0-9]+分\|提醒\|周报写好了吗？\|启用\|'
  shot "e2e-languages-$1-settings"

  # A daily reminder typed in Chinese: stored as task 6.
  local n=6
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
