# The agent's start and end: what a first start sets up (stored defaults,
# DLL search, hotkeys, the tray icon), what an exit takes down again, and the
# windows it opens from the start (About, a notice, the help).
# (Sourced by e2e/scenarios.sh, which runs one of them; the helpers are in
# e2e/lib.sh.)
SCENARIOS+=(first_start notices_about)

scenario_first_start() {
  setup
  start_agent
  check "hidden TForm1, client 401x159" has "$(drv hidden TForm1)" 'client 401x159'
  check "shutapp 0" [ "$(reg_dword shutapp)" = 0x0 ]
  check "soundpath empty" reg_sz_empty soundpath
  check "tishi 60" [ "$(reg_dword tishi)" = 0x3c ]
  check "TaskNum 0" [ "$(reg_dword TaskNum)" = 0x0 ]
  check "kaiji 0" [ "$(reg_dword kaiji)" = 0x0 ]
  check "rejian 1: the hotkeys need Ctrl" [ "$(reg_dword rejian)" = 0x1 ]
  # Before anything else: DLLs from the system directory only, and the
  # current directory moved there.
  local search
  search=$(calls '(kernel32|kernelbase)\.(SetDllDirectoryA|SetDefaultDllDirectories|SetCurrentDirectoryA)' | head -n 3)
  echo "$search"
  check "first: SetDllDirectoryA(\"\")" has "$(echo "$search" | sed -n 1p)" 'SetDllDirectoryA\([0-9a-f]+ ""\)'
  check "then: SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)" \
    has "$(echo "$search" | sed -n 2p)" 'SetDefaultDllDirectories\(00000800\)'
  check "then: the current directory is the system directory" \
    has "$(echo "$search" | sed -n 3p)" 'SetCurrentDirectoryA\([0-9a-f]+ "C:\\\\windows\\\\system32"\)'
  check "privilege: AdjustTokenPrivileges with BufferLength 16" \
    has "$(calls advapi32.AdjustTokenPrivileges)" '\([0-9a-f]+,00000000,[0-9a-f]+,00000010,00000000,'
  check "SetPriorityClass(current process, 0x80)" has "$(calls kernel32.SetPriorityClass)" '\(ffffffff,00000080\)'
  check "RegisterWindowMessageW(\"TaskbarCreated\")" \
    has "$(calls user32.RegisterWindowMessageW)" '\([0-9a-f]+ L"TaskbarCreated"\)'
  check "main window made topmost (HWND_TOPMOST, flags 3)" \
    has "$(calls user32.SetWindowPos)" '\([0-9a-f]+,ffffffff,00000000,00000000,00000000,00000000,00000003\)'
  local atoms
  atoms=$(calls 'kernel32.Global(Find|Add)AtomA' | sed -E 's/.*"(.*)"\)$/\1/' | uniq | tr '\n' ' ')
  check "atoms found or added for MyHotkeyF8..F11 in order ($atoms)" \
    [ "$atoms" = "MyHotkeyF8 MyHotkeyF9 MyHotkeyF10 MyHotkeyF11 " ]
  local hk
  hk=$(calls 'user32.RegisterHotKey' | sed -E 's/.*\([0-9a-f]+,[0-9a-f]+,([0-9a-f]+),([0-9a-f]+)\)/\1:\2/' | tr '\n' ' ')
  check "RegisterHotKey with MOD_CONTROL for F8..F11 ($hk)" [ "$hk" = "00000002:00000077 00000002:00000078 00000002:00000079 00000002:0000007a " ]
  local addr rec
  addr=$(tray_record_address)
  check "Shell_NotifyIconW(NIM_ADD, record) called" [ -n "$addr" ]
  rec=$(tray_record "$addr")
  echo "tray record: $rec"
  check "tray record: cbSize $TRAY_SIZE, uID 100, uFlags 7, WM_USER+1" has "$rec" "$TRAY_HEAD"
  check "tray record: tip \"Ordavi-启用\" in UTF-16, zero-padded to 64 units" [ "$(tray_tip "$rec")" = "$(tip_bytes 'Ordavi-启用')" ]
  shot e2e-first-start
  # The countdown layout of the main window, shown from outside for a look.
  local form1
  form1=$(drv info TForm1 '*')
  check "TForm1: BitBtn2 (cancel) 232,94 105x25" has_text "$form1" 'Button id 2 "取消关机" at 232,94 size 105x25'
  check "TForm1: BitBtn1 (do it now) 64,94 105x25" has_text "$form1" 'Button id 101 "立即关机" at 64,94 size 105x25'
  check "TForm1: PgBar1 8,56 385x17" has_text "$form1" 'msctls_progress32 id 113 "" at 8,56 size 385x17'
  check "TForm1: Label1 16,16 263x13, Label2 336,16" \
    eval 'has "$form1" "Static id 111 .* at 16,16 size 263x13" && has_text "$form1" "Static id 112 \"\" at 336,16"'
  quiet drv show TForm1
  sleep 1
  shot e2e-countdown-layout
  quiet drv hide TForm1
  # The icon in the notification area opens the popup menu (WM_USER+1 with a
  # button press reaches the agent).
  xdotool mousemove 1012 757 click 3
  check "tray icon click opens the popup menu" quiet drv wait '#32768' '*' 5
  shot e2e-tray-menu
  check "a click elsewhere closes it" click_off_menu
  # The exit takes down what the start set up.
  menu_command "$MENU_EXIT"
  check "the agent ends when its main window closes" \
    eval 'quiet drv gone TForm1 "*" 15 && eventually 10 eval "[ \"\$(agents)\" = 0 ]"'
  check "icon removed: Shell_NotifyIconW(NIM_DELETE, same record)" \
    has "$(calls shell32.Shell_NotifyIconW)" "\\(00000002,0*${addr: -8}\\)"
  local ids unreg deleted
  ids=$(calls 'user32.RegisterHotKey' | sed -E 's/.*\([0-9a-f]+,([0-9a-f]+),.*/\1/' | tr '\n' ' ')
  unreg=$(calls '(user32.UnregisterHotKey|win32u.NtUserUnregisterHotKey)' | sed -E 's/.*\([0-9a-f]+,([0-9a-f]+)\)/\1/' | tr '\n' ' ')
  deleted=$(calls 'kernel32.GlobalDeleteAtom' | sed -E 's/.*\(([0-9a-f]+)\)/\1/' | tr '\n' ' ')
  check "hotkeys unregistered in order F8..F11 ($unreg)" eval '[ -n "$ids" ] && [ "$unreg" = "$ids" ]'
  check "atoms deleted in order F8..F11 ($deleted)" [ "$deleted" = "$ids" ]
}

scenario_notices_about() {
  setup
  start_agent
  menu_command "$MENU_ABOUT"
  menu_command "$MENU_ABOUT"
  check "each About command opens a new About box" eventually 10 eval '[ "$(drv count TForm2 "关于...")" = 2 ]'
  local about
  about=$(drv info TForm2 '关于...' | awk '/^window/ { n++ } n == 1')
  echo "$about"
  check "About: client 311x253, system menu only" has_text "$about" 'client 311x253 style 14c80000'
  check "About: Label1 at 82,64" has_text "$about" '"名称:    Ordavi" at 82,64'
  check "About: Label2 at 82,96" has_text "$about" '"版本:    2017" at 82,96'
  check "About: Label5 at 81,126" has_text "$about" '"时间:    2017年11月25日" at 81,126'
  check "About: Label3 at 82,154" has_text "$about" '"制作:    Velmora 软件工作室" at 82,154'
  check "About: Button1 at 112,216, 75x25" has_text "$about" 'Button id 1 "确定(&O)" at 112,216 size 75x25'
  shot e2e-about
  quiet drv close TForm2 '关于...'
  # The dial-up hang-up with no connection, over the real rasapi32.
  wine_run_bg PROBE_PID explorer "$(desktop)" 'C:\notice_probe.exe' 2>/dev/null
  quiet drv wait TForm6 '提示' 60
  sleep 1
  local notice
  notice=$(drv info TForm6 '提示')
  echo "$notice"
  check "hang-up without connection: notice \"没有可用的拨号连接\" at 48,48" \
    has_text "$notice" 'Static id 1 "没有可用的拨号连接" at 48,48'
  local ex
  ex=$(echo "$notice" | sed -nE 's/^window .* outer 400x169 .* exstyle ([0-9a-f]+)$/\1/p')
  check "notice: outer 400x169, topmost (exstyle $ex)" eval '[ -n "$ex" ] && (( 0x$ex & 0x8 ))'
  check "notice: Button1 确定 at 160,96, 75x25" has_text "$notice" 'Button id 1 "确定" at 160,96 size 75x25'
  shot e2e-notice
  press TForm6 '提示' '确定'
  check "the notice closes with its button" quiet drv gone TForm6 '提示' 10
  # The help file opens in the help viewer of the Windows directory, named
  # by its full path (not the program a .chm association names).
  cp "$BUILD/app/win32/Ordavi.CHM" "$WINEPREFIX/drive_c/" || exit 1
  menu_command "$MENU_HELP"
  local hh
  eventually 30 eval "calls kernel32.CreateProcessW | grep -qF hh.exe"
  hh=$(calls 'kernel32.CreateProcessW' | grep -F 'hh.exe')
  echo "$hh"
  check "the help starts C:\windows\hh.exe by its full path" has_text "$hh" ' L"C:\\windows\\hh.exe",'
  check "with the help file beside Ordavi.exe" has_text "$hh" 'hh.exe\" \"C:\\Ordavi.CHM\"",'
  shot e2e-help
}
