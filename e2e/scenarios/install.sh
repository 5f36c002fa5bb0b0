# The installer and the uninstaller.
# (Sourced by e2e/scenarios.sh, which runs one of them; the helpers are in
# e2e/lib.sh.)
SCENARIOS+=(install)

# The installer and the uninstaller as an administrator uses them: a silent
# install (files, Start-menu shortcuts, the entry in the installed programs),
# the program started from its shortcut, a silent uninstall that ends it and
# keeps the tasks and the autostart value, and one asked to remove them.
# On a machine that runs no 32-bit program, the 64-bit build's installer
# (the same script for the 64-bit files; not shipped) is run instead.
scenario_install() {
  setup
  local version installer dir menu entry
  local uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ordavi'
  local run='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
  local shortcut='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Ordavi\Ordavi.lnk'
  version=$(cat "$ROOT/VERSION")
  installer="Ordavi-Setup-$version.exe"
  dir="$WINEPREFIX/drive_c/Program Files/Ordavi"
  menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Ordavi"
  cp "$BUILD/dist/$installer" "$WINEPREFIX/drive_c/" || { fail "the installer was built"; finish; }

  # The first page, as a user sees it, then the installer is left.
  local pages
  wine_run_bg pages explorer "$(desktop)" "C:\\$installer" 2>/dev/null
  check "the installer opens its welcome page" eventually 30 quiet drv where '#32770' "Ordavi 定时任务 $version 安装" '下一步(&N) >'
  shot_window readme/installer "$(drv info '#32770' "Ordavi 定时任务 $version 安装")"
  quiet wine taskkill /f /im "$installer"

  quiet wine "C:\\$installer" /S
  check "silent install: program, junk script, help file and uninstaller in Program Files\\Ordavi" \
    eventually 30 eval '[ -f "$dir/Ordavi.exe" ] && [ -f "$dir/QLLJ.bat" ] && [ -f "$dir/Ordavi.CHM" ] && [ -f "$dir/uninst.exe" ]'
  check "the installed program is the build's" cmp -s "$dir/Ordavi.exe" "$BUILD/app/win32/Ordavi.exe"
  check "Start-menu shortcuts: the program, its help, the uninstaller" \
    eval '[ -f "$menu/Ordavi.lnk" ] && [ -f "$menu/Ordavi 帮助.lnk" ] && [ -f "$menu/卸载 Ordavi.lnk" ]'
  check "the program's shortcut asks for administrator rights" \
    eval '[ $((0x$(od -An -tx1 -j21 -N1 "$menu/Ordavi.lnk" | tr -d " ") & 0x20)) -ne 0 ]'
  entry=$(wine_reg_query "$uninstall")
  echo "$entry"
  check "installed programs: name, version, publisher, size in KB, silent uninstall" eval \
    'has "$entry" "DisplayName +REG_SZ +Ordavi 定时任务$" && has "$entry" "DisplayVersion +REG_SZ +$version$" &&
     has "$entry" "Publisher +REG_SZ +Velmora 软件工作室$" && has "$entry" "EstimatedSize +REG_DWORD +0x[0-9a-f]{3,}$" &&
     has_text "$entry" "\"C:\\Program Files\\Ordavi\\uninst.exe\" /S"'

  AGENT_WINEDEBUG=-all start_agent start.exe "$shortcut"
  check "started from its shortcut, the agent made its key" [ "$(reg_dword TaskNum)" = 0x0 ]
  wine_do reg add "$run" /v Ormile /t REG_SZ /d 'C:\Program Files\Ordavi\Ordavi.exe' /f
  shot e2e-install-running

  quiet wine explorer "$(desktop)" "C:\\Program Files\\Ordavi\\uninst.exe" /S
  check "the silent uninstall ends the running agent" quiet drv gone TForm1 '*' 30
  # It removes the files and folder, then the shortcuts, then its entry: with
  # the entry gone, it has done the rest.
  check "its entry in the installed programs is removed" eventually 30 not quiet wine_reg_query "$uninstall"
  check "its files and folder are removed" not test -e "$dir"
  check "its shortcuts are removed" not test -e "$menu"
  check "the tasks and options are kept" [ "$(reg_dword TaskNum)" = 0x0 ]
  check "the autostart value is kept" quiet wine_reg_query "$run" Ormile

  quiet wine "C:\\$installer" /S
  eventually 30 test -f "$dir/uninst.exe"
  quiet wine "C:\\Program Files\\Ordavi\\uninst.exe" /S /REMOVEDATA
  check "asked to, the uninstaller removes the program's key and the autostart value" \
    eventually 30 eval '! quiet wine_reg_query "$KEY" && ! quiet wine_reg_query "$run" Ormile && ! test -e "$dir"'

  # A folder of the user's choice: a drive's root and a folder holding other
  # files are refused (their rights would change too); a new folder is given
  # the rights of Program Files (Wine's icacls only says it did so).
  local c="$WINEPREFIX/drive_c" code
  mkdir -p "$c/Shared"
  echo mine >"$c/Shared/notes.txt"
  # (NSIS itself refuses a root; the installer's own check is a second guard.)
  quiet wine "C:\\$installer" /S '/D=C:\'
  check "silent install into a drive's root installs nothing" [ ! -e "$c/uninst.exe" ]
  wine "C:\\$installer" /S '/D=C:\Shared' >/dev/null 2>&1
  code=$?
  check "silent install into a folder with other files refused (exit $code)" \
    eval '[ "$code" = 2 ] && [ ! -e "$c/Shared/Ordavi.exe" ] && [ "$(cat "$c/Shared/notes.txt")" = mine ]'
  wine "C:\\$installer" /S '/D=C:\Tools\Ordavi' >/dev/null 2>&1
  check "silent install into a new folder of one's own" eventually 30 test -f "$c/Tools/Ordavi/uninst.exe"

  # A folder another user may have prepared is refused, each with its own
  # exit code, and nothing is written: one that is a link (to the folder
  # just installed, which holds only an earlier Ordavi's files) or holds a
  # link or a folder (3), one whose owner is not the administrators (4).
  # What a folder holds is weighed before its owner: this Wine keeps no
  # owner of its own on a file, so every existing folder is the user's
  # here, and a folder the installer made cannot be shown to be taken again.
  local t="$c/Tools/Ordavi"
  mkdir -p "$c/Prepared" "$c/Elsewhere"
  ln -sfn "$t" "$c/Linked"
  wine "C:\\$installer" /S '/D=C:\Prepared' >/dev/null 2>&1
  code=$?
  check "a folder not owned by the administrators refused (exit $code), nothing written" \
    eval '[ "$code" = 4 ] && [ -z "$(ls -A "$c/Prepared")" ]'
  wine "C:\\$installer" /S '/D=C:\Linked' >/dev/null 2>&1
  code=$?
  check "a folder that is a link refused (exit $code)" [ "$code" = 3 ]
  rm -f "$t/QLLJ.bat"
  ln -sfn "$c/Elsewhere" "$t/QLLJ.bat"
  wine "C:\\$installer" /S '/D=C:\Tools\Ordavi' >/dev/null 2>&1
  code=$?
  check "a folder holding a link refused (exit $code), nothing written where it points" \
    eval '[ "$code" = 3 ] && [ -z "$(ls -A "$c/Elsewhere")" ]'
  rm -f "$t/QLLJ.bat"
  mkdir "$t/QLLJ.bat"
  wine "C:\\$installer" /S '/D=C:\Tools\Ordavi' >/dev/null 2>&1
  code=$?
  check "a folder holding a folder in a file's place refused (exit $code)" [ "$code" = 3 ]
}
