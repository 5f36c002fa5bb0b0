# The tray icon, its menu and the hotkeys.
# (Sourced by e2e/scenarios.sh, which runs one of them; the helpers are in
# e2e/lib.sh.)
SCENARIOS+=(tray_menu power_menu keep_awake)

nim_adds() { calls shell32.Shell_NotifyIconW | grep -c '(00000000,'; }

# tray_shows ADDRESS ICON TIP: the icon last loaded and the tip in the record.
tray_shows() { [ "$(last_icon)" = "$2" ] && [ "$(tray_tip "$(tray_record "$1")")" = "$(tip_bytes "$3")" ]; }

# The icon's callback opens the menu on a button press only; the device
# commands and the power items that leave the session running act with
# their exact arguments, with monitoring on or off; monitoring off and on
# swap the icon and the tip and stop and restart the tick; a restarted
# taskbar gets the icon back as it is. A stored rejian 0 (an earlier
# version's first start) is kept: the hotkeys are bare keys.
scenario_tray_menu() {
  setup
  wine_do reg add "$KEY" /v rejian /t REG_DWORD /d 0 /f
  start_agent
  local addr main hk
  addr=$(tray_record_address)
  main=$(main_window)
  hk=$(calls 'user32.RegisterHotKey' | sed -E 's/.*\([0-9a-f]+,[0-9a-f]+,([0-9a-f]+),([0-9a-f]+)\)/\1:\2/' | tr '\n' ' ')
  check "RegisterHotKey without modifiers for F8..F11 ($hk)" [ "$hk" = "00000000:00000077 00000000:00000078 00000000:00000079 00000000:0000007a " ]
  check "rejian kept at 0" [ "$(reg_dword rejian)" = 0x0 ]
  check "TaskbarCreated let through the message filter of the main window" \
    has "$(calls user32.ChangeWindowMessageFilterEx)" "\\($main,0000c[0-9a-f]{3},00000001,00000000\\)"

  xdotool mousemove 560 200
  # A mouse move over the icon, then the left button: the menus opened are
  # counted below.
  quiet drv post TForm1 $WM_TRAY 0 0x0200
  quiet drv post TForm1 $WM_TRAY 0 0x0201
  check "the left button opens the menu" eventually 5 menu_open
  sleep 0.5
  shot e2e-tray-menu-open
  check "Esc closes it" close_menu
  quiet drv post TForm1 $WM_TRAY 0 0x0204  # right button down
  check "the right button opens the menu" eventually 5 menu_open
  check "Esc closes it" close_menu
  check "two menus opened, at the cursor (TrackPopupMenu twice), none for the mouse move" \
    [ "$(calls user32.TrackPopupMenu | wc -l)" = 2 ]

  # Device commands with monitoring on.
  menu_command "$MENU_OPEN_CD"
  menu_command "$MENU_OPEN_CD"  # a door already open gets the same command again
  menu_command "$MENU_CLOSE_CD"
  menu_command "$MENU_MONITOR_OFF"
  eventually 10 eval 'calls user32.SendMessageTimeoutA | grep -q "(0000ffff,00000112,0000f170,"'
  local mci
  mci=$(calls winmm.mciSendStringA | sed -E 's/\([0-9a-f]+ /(/')
  echo "$mci"
  check "CD door: open, open, closed; no reply buffer; the main window as callback window" [ "$mci" = \
"Call winmm.mciSendStringA(\"Set cdaudio door open wait\",00000000,00000000,$main)
Call winmm.mciSendStringA(\"Set cdaudio door open wait\",00000000,00000000,$main)
Call winmm.mciSendStringA(\"Set cdaudio door closed wait\",00000000,00000000,$main)" ]
  check "monitor off: WM_SYSCOMMAND SC_MONITORPOWER 2 to HWND_BROADCAST, abort if hung, 3 s" \
    has "$(calls user32.SendMessageTimeoutA)" '\(0000ffff,00000112,0000f170,00000002,00000002,00000bb8,'

  # Monitoring off: DISSHUT, "Ordavi-禁用", the tick stopped.
  menu_command "$MENU_MONITORING"
  check "monitoring off: icon DISSHUT, tip \"Ordavi-禁用\"" eventually 10 tray_shows "$addr" DISSHUT 'Ordavi-禁用'
  check "monitoring off: the icon modified (NIM_MODIFY on the record)" \
    has "$(calls shell32.Shell_NotifyIconW)" "\\(00000001,0*${addr: -8}\\)"
  check "monitoring off: the tick stopped ($(last_timer1_call))" eventually 5 eval 'has "$(last_timer1_call)" KillTimer'
  # The device commands were handled before that (one at a time, in order).
  check "no notice and no error box from the device commands" \
    eval '[ "$(drv count TForm6 "*")" = 0 ] && [ "$(drv count "#32770" "*")" = 0 ]'
  quiet drv post TForm1 $WM_TRAY 0 0x0204
  eventually 5 menu_open
  sleep 0.5
  shot e2e-tray-menu-monitoring-off
  check "Esc closes it" close_menu

  # The taskbar restarts while monitoring is off.
  quiet drv post TForm1 TaskbarCreated 0 0
  check "TaskbarCreated: the icon added again (NIM_ADD)" eventually 10 eval '[ "$(nim_adds)" = 2 ]'
  check "TaskbarCreated: still DISSHUT with \"Ordavi-禁用\"" tray_shows "$addr" DISSHUT 'Ordavi-禁用'
  shot e2e-monitoring-off

  # Power items with monitoring off; the ones that end the Wine session are
  # in power_menu.
  menu_command "$MENU_STANDBY"
  menu_command "$MENU_HIBERNATE"
  menu_command "$MENU_FAST_RESTART"
  menu_command "$MENU_FAST_SHUTDOWN"
  local power
  eventually 10 eval '[ "$(power_trace | wc -l)" -ge 4 ]'
  power=$(power_trace)
  echo "$power"
  check "standby, hibernate, fast restart, fast shutdown: exactly their calls" [ "$power" = \
"Call kernel32.SetSystemPowerState(ffffffff,ffffffff)
Call kernel32.SetSystemPowerState(00000000,ffffffff)
Call ntdll.NtShutdownSystem(00000001)
Call ntdll.NtShutdownSystem(00000002)" ]
  check "the tick still off after the power items" has "$(last_timer1_call)" 'KillTimer'

  # Monitoring on again: ENASHUT (not MAINICON), "Ordavi-启用", the tick runs.
  menu_command "$MENU_MONITORING"
  check "monitoring on: icon ENASHUT, tip \"Ordavi-启用\"" eventually 10 tray_shows "$addr" ENASHUT 'Ordavi-启用'
  check "monitoring on: the tick runs again" eventually 5 eval 'has "$(last_timer1_call)" "$TICK_SET_TIMER"'
  shot e2e-monitoring-on
}

# The power items that end the Wine session (log off, shut down, restart):
# one agent each, each making exactly its call. Restart comes last: after it
# the prefix goes through a reboot and the agent would not come up again in
# time.
scenario_power_menu() {
  setup
  local item power
  for item in "$MENU_LOG_OFF 00000004" "$MENU_SHUT_DOWN 0000000c" "$MENU_RESTART 00000006"; do
    set -- $item
    start_agent
    menu_command "$1"
    # The session's end also ends a driver started while it runs: asked again
    # until one answers that the agent's window is gone.
    check "menu item $1 ends the session, and the agent with it" eventually 90 quiet drv gone TForm1 '*' 2
    power=$(power_trace)
    check "menu item $1: exactly ExitWindowsEx($2,00000000) ($power)" [ "$power" = "Call user32.ExitWindowsEx($2,00000000)" ]
  done
}

# Keeping the PC awake as a user does it: the menu with its submenu; 1 小时
# makes a power request whose reason names the end, which the tip shows too,
# and 取消保持唤醒 clears it; /awake 30 and /awake off act on the running
# agent and answer 0, /list says it meanwhile, a second /awake off 1; a task of 1 minute ends by
# itself, one bound to a program when the program ends, each with its lines
# in the run history.
scenario_keep_awake() {
  setup
  cp "$BUILD/e2e/e2e_driver.exe" "$WINEPREFIX/drive_c/backup.exe" || exit 1
  start_agent
  local addr reason until
  addr=$(tray_record_address)
  xdotool mousemove 560 200
  quiet drv post TForm1 $WM_TRAY 0 0x0201
  check "the tray menu opens" eventually 5 menu_open
  xdotool key k  # 保持唤醒(&K)
  check "its access key opens the submenu" eventually 5 eval '[ "$(drv count "#32768" "*")" -ge 2 ]'
  sleep 0.5
  shot e2e-keep-awake-menu
  xdotool key Escape
  click_off_menu

  menu_command "$MENU_AWAKE_HOUR"
  check "1 小时: the PC is kept awake" eventually 10 kept_awake
  reason=$(request_reason)
  echo "the request's reason: $reason"
  check "its reason names the end: Ordavi：保持唤醒到 hh:mm" has "$reason" '^Ordavi：保持唤醒到 [0-9]{2}:[0-9]{2}$'
  until=${reason#Ordavi：}
  [ -n "$until" ] || until=保持唤醒到
  local tip="Ordavi-启用"$'\n'"$until"
  check "the tip's second line says it: $until" eventually 10 eval '[ "$(tip_text "$(tray_record "$addr")")" = "$tip" ]'
  echo "the tip: $(tip_text "$(tray_record "$addr")")"
  menu_command "$MENU_AWAKE_CANCEL"
  check "取消保持唤醒 lets the PC go" eventually 10 not kept_awake
  check "the tip no longer says it" eventually 5 eval '! has_text "$(tray_tip "$(tray_record "$addr")")" "$(utf16_hex 保持唤醒)"'

  cli /awake 30
  check "/awake 30: exit 0" said 0 "已开始保持唤醒。"
  check "... a request of its own" eventually 5 eval 'kept_awake && has "$(request_reason)" "^Ordavi：保持唤醒到 "'
  cli /list
  check "/list says so after the tasks" eval 'said 0 "当前：保持唤醒到 "'
  cli /awake off
  check "/awake off: exit 0" said 0 "已结束保持唤醒。"
  cli /awake off
  check "a second /awake off: nothing to end, exit 1" said 1 "没有正在进行的保持唤醒。"

  # A task for backup.exe at the coming minute, which backup.exe runs 30 s
  # into; a task of one minute at the next minute.
  coming_minute 20
  local next=$(((DUE_H * 60 + DUE_M + 1) % 1440))
  plant_task 1 "每天${DUE_H}时${DUE_M}分" 保持唤醒 backup.exe
  plant_task 2 "每天$((next / 60))时$((next % 60))分" 保持唤醒 1
  drv setdword TaskNum 2
  wine_run_bg BACKUP_PID 'C:\backup.exe' wait NoSuchWindowClass '*' $((DUE_WAIT + 30)) >/dev/null 2>&1
  check "the program's task starts while backup.exe runs" eventually $((DUE_WAIT + 30)) eval 'history_lines | grep -q "任务1.*开始保持唤醒：backup.exe 运行中"'
  check "... and ends when it ends" eventually 60 eval 'history_lines | grep -q "任务1.*保持唤醒结束（程序已结束）"'
  check "the next minute's task starts: 开始保持唤醒到" eventually 60 eval 'history_lines | grep -q "任务2.*开始保持唤醒到"'
  check "... and ends by itself a minute later" eventually 90 eval 'history_lines | grep -q "任务2.*保持唤醒结束（已到时间）"'
  echo "--- run history"; history_lines
  echo "--- power requests"; calls "$AWAKE_CALLS"
  check "the PC is let go at the end" not kept_awake

  # The settings dialog's battery level, and the editor with the new type.
  open_settings || fail "the settings dialog opens"
  check "the battery level shows its default, 20" quiet drv ctl TForm3 '*' Edit '20'
  shot e2e-keep-awake-settings
  click_ctl TForm3 '*' Button '添加(&A)'
  check "添加 opens the editor" eventually 10 quiet drv wait TForm5 '任务' 1
  pick_type 15
  check "保持唤醒 picked: its parameter caption" quiet drv ctl TForm5 '*' Static '分钟或程序：'
  shot e2e-keep-awake-editor
  finish
}
