; The installer of Ordavi: installs Ordavi.exe, QLLJ.bat and Ordavi.CHM into
; one folder under Program Files (or another folder, which it makes one that
; only administrators can change), with Start-menu shortcuts, an entry in the
; list of installed programs and an uninstaller.
;
; makensis -INPUTCHARSET UTF8 -DVERSION=x.y.z -DFILES=<folder with the three
;   files> -DICON=<mainicon.ico> -DOUTFILE=<installer path> Ordavi.nsi
;
; Both run silently with /S. The uninstaller keeps the tasks, the options and
; the autostart value unless the user agrees to remove them (silently: only
; with /REMOVEDATA).
;
; Ordavi is a 32-bit program and so is this installer: on 64-bit Windows both
; see the same (32-bit) view of HKEY_LOCAL_MACHINE\Software, so the uninstaller
; finds the program's key where the program wrote it. The tests also build a
; 64-bit installer of the 64-bit build (-DTARGET=amd64-unicode), for machines
; that run no 32-bit program; it is not shipped.

!ifdef TARGET
Target ${TARGET}
!endif
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include WordFunc.nsh

!define PRODUCT "Ordavi"
!define PUBLISHER "Velmora 软件工作室"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ordavi"
!define DATA_KEY "Software\Velmora\Ordavi"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define STARTMENU "$SMPROGRAMS\Ordavi"

Name "Ordavi 定时任务 ${VERSION}"
Caption "Ordavi 定时任务 ${VERSION} 安装"
UninstallCaption "Ordavi 定时任务 卸载"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Ordavi"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Ordavi ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "Ordavi 定时任务"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "Ordavi 定时任务 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "版权所有 (C) ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "将要安装 Ordavi 定时任务 ${VERSION}。$\r$\n$\r$\nOrdavi 常驻任务栏通知区域，按您设定的时间或空闲时间自动提醒、打开文件、关闭程序、关机、重启、休眠、清理垃圾、禁用或启用网卡。$\r$\n$\r$\n正在运行的 Ordavi 会先被关闭。点击“下一步”继续。"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Ordavi.exe"
!define MUI_FINISHPAGE_RUN_TEXT "立即运行 Ordavi"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Ordavi.CHM"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "查看帮助"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE InstallFolderLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; Asks every running Ordavi started from $INSTDIR to close, the way the tray
; menu's 退出 does, and waits for all of them to end, in every desktop and
; every user session:
; - the event Global\Ordavi-Close:<folder> is set (and stays set until the
;   files are in place, so an Ordavi started meanwhile ends at once); every
;   agent started from <folder> waits on it and then ends as 退出 does;
; - a process whose program is $INSTDIR\Ordavi.exe, in any session, still
;   runs (the mutex Global\Ordavi-Running:<folder> the agents hold is not
;   asked: any user can hold it open for ever);
; - an Ordavi of an earlier version only has its main window (class TForm1)
;   on this desktop: it gets WM_CLOSE when the window's process is
;   $INSTDIR\Ordavi.exe.
; <folder> is $INSTDIR in lower case with "/" for "\", as the agent names it.
; Aborts when one does not end, so no file, shortcut or uninstall entry is
; removed or replaced while an agent runs.
Var CloseEvent
!if ${NSIS_PTR_SIZE} > 4
  !define SECURITY_ATTRIBUTES_SIZE 24
!else
  !define SECURITY_ATTRIBUTES_SIZE 12
!endif
!macro END_RUNNING_ORDAVI PREFIX
Function ${PREFIX}EndRunningOrdavi
  StrCpy $R2 "$INSTDIR"
  System::Call 'user32::CharLowerW(w R2 R2)'
  ${WordReplace} "$R2" "\" "/" "+" $R2
  StrCpy $R2 $R2 200
  ; Owned by administrators, whatever the system's default owner for an
  ; administrator's objects: the agents trust no other owner's close event.
  ; Everyone may wait on it and read its owner; only the system and
  ; administrators may set it.
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00120000;;;WD)S:(ML;;NW;;;LW)", i 1, *p .R4, p 0) i .r0'
  System::Call '*(i ${SECURITY_ATTRIBUTES_SIZE}, p R4, i 0) p .R5'
  System::Call 'kernel32::CreateEventW(p R5, i 1, i 0, w "Global\Ordavi-Close:$R2") p .R3'
  System::Free $R5
  System::Call 'kernel32::LocalFree(p R4)'
  StrCpy $CloseEvent $R3
  System::Call 'kernel32::SetEvent(p R3)'
  StrCpy $R9 0
  ${Do}
    StrCpy $R1 0
    System::Alloc 16384
    Pop $R5
    System::Call 'kernel32::K32EnumProcesses(p R5, i 16384, *i .R6) i .r0'
    ${If} $0 = 0
      StrCpy $R6 0
    ${EndIf}
    IntOp $R6 $R6 / 4
    StrCpy $R7 0
    ${While} $R7 < $R6
      IntOp $R8 $R7 * 4
      IntOp $R8 $R5 + $R8
      System::Call '*$R8(i .r1)'
      System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r1) p .r2'
      ${If} $2 != 0
        System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN})'
        System::Call 'kernel32::CloseHandle(p r2)'
        ${If} $3 == "$INSTDIR\Ordavi.exe"
          StrCpy $R1 1
        ${EndIf}
      ${EndIf}
      IntOp $R7 $R7 + 1
    ${EndWhile}
    System::Free $R5
    StrCpy $R0 0
    ${Do}
      System::Call 'user32::FindWindowExW(p 0, p R0, w "TForm1", p 0) p .R0'
      ${If} $R0 = 0
        ${Break}
      ${EndIf}
      System::Call 'user32::GetWindowThreadProcessId(p R0, *i .r1)'
      System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r1) p .r2'
      ${If} $2 != 0
        System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN})'
        System::Call 'kernel32::CloseHandle(p r2)'
        ${If} $3 == "$INSTDIR\Ordavi.exe"
          StrCpy $R1 1
          ${If} $R9 = 0
            System::Call 'user32::PostMessageW(p R0, i 0x10, p 0, p 0)'
          ${EndIf}
        ${EndIf}
      ${EndIf}
    ${Loop}
    ${If} $R1 = 0
      ${Break}
    ${EndIf}
    IntOp $R9 $R9 + 1
    ${If} $R9 > 40
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Ordavi 仍在运行，无法继续。$\r$\n请在托盘菜单中选择“退出”（其他用户的 Ordavi 也要退出），然后点击“重试”。" /SD IDCANCEL IDRETRY retry
      Abort "Ordavi 仍在运行"
      retry:
      StrCpy $R9 0
    ${EndIf}
    Sleep 250
  ${Loop}
FunctionEnd

; The files are in place: Ordavi may start again.
Function ${PREFIX}AllowOrdavi
  System::Call 'kernel32::ResetEvent(p $CloseEvent)'
  System::Call 'kernel32::CloseHandle(p $CloseEvent)'
  StrCpy $CloseEvent 0
FunctionEnd
!macroend
!insertmacro END_RUNNING_ORDAVI ""
!insertmacro END_RUNNING_ORDAVI "un."

; The agent usually runs with administrator rights and runs or opens the files
; beside it, so its folder must be one that only administrators and the
; system can change. Program Files is such a folder and keeps its own rights.
; Any other folder is given the same rights (administrators and the system
; full control, users read and run, owned by the administrators); a drive's
; root, or a folder that already holds files other than an earlier Ordavi's,
; is refused instead, since changing its rights would change theirs too.
; So is a folder another user may have prepared: one that is a link
; (junction, symbolic link, mount point) or holds one, or holds a folder, or
; whose owner is neither the administrators nor SYSTEM (its owner may change
; its rights at any time, and a handle opened before keeps what it was
; given). ".." and "." resolved, so "Program Files\..\x" is not taken for
; Program Files, and the agents ended are those of the folder installed to.
; Called before anything looks at $INSTDIR, also under /S, where no page is
; shown.
Function MakeInstallFolderFull
  System::Call 'kernel32::GetFullPathNameW(w "$INSTDIR", i ${NSIS_MAX_STRLEN}, w .R7, p 0) i .r0'
  ${If} $0 > 0
    StrCpy $INSTDIR $R7
  ${EndIf}
FunctionEnd

!define FILE_ATTRIBUTE_DIRECTORY 0x10
!define FILE_ATTRIBUTE_REPARSE_POINT 0x400
!define WinLocalSystemSid 22
!define WinBuiltinAdministratorsSid 26

; Why a folder is refused, as the silent installer's exit code tells it:
; 2 a drive's root, other files in it, or its rights cannot be set (as
; before); 3 it is a link, or holds a link or a folder; 4 its owner is
; neither the administrators nor SYSTEM.
Var RefusalCode

; FolderEntriesProblem leaves in $R0 the reason to refuse what $INSTDIR
; holds, or "", and its code in $RefusalCode: only an earlier Ordavi's files
; (and its cleaning logs) may be there, each a plain file. $EarlierFiles is 1
; when there is one.
Var EarlierFiles
Function FolderEntriesProblem
  StrCpy $R0 ""
  StrCpy $EarlierFiles 0
  FindFirst $R6 $R5 "$INSTDIR\*.*"
  ${DoWhile} $R5 != ""
    ${If} $R5 != "."
    ${AndIf} $R5 != ".."
      StrCpy $R7 $R5 8
      System::Call 'kernel32::GetFileAttributesW(w "$INSTDIR\$R5") i .r0'
      IntOp $1 $0 & ${FILE_ATTRIBUTE_REPARSE_POINT}
      IntOp $2 $0 & ${FILE_ATTRIBUTE_DIRECTORY}
      ${If} $0 = -1
      ${OrIf} $1 <> 0
      ${OrIf} $2 <> 0
        StrCpy $R0 "所选文件夹中有链接或子文件夹（$R5），可能是他人预先准备的。请选择一个新的文件夹，或使用默认位置。"
        StrCpy $RefusalCode 3
        ${Break}
      ${EndIf}
      ${If} $R5 != "Ordavi.exe"
      ${AndIf} $R5 != "QLLJ.bat"
      ${AndIf} $R5 != "Ordavi.CHM"
      ${AndIf} $R5 != "uninst.exe"
      ${AndIf} $R7 != "清理系统垃圾列表"
        StrCpy $R0 "所选文件夹中已有其他文件。Ordavi 会把安装文件夹设为只有管理员能修改，请选择一个新的或空的文件夹，或使用默认位置。"
        StrCpy $RefusalCode 2
        ${Break}
      ${EndIf}
      StrCpy $EarlierFiles 1
    ${EndIf}
    FindNext $R6 $R5
  ${Loop}
  FindClose $R6
FunctionEnd

; InstallFolderProblem leaves in $R0 the reason to refuse $INSTDIR, or "",
; and its code in $RefusalCode. $R1 is 1 when $INSTDIR lies below Program
; Files. What it holds is weighed before its owner, so each refusal says
; its own reason.
Function InstallFolderProblem
  StrCpy $R0 ""
  StrCpy $RefusalCode 2
  StrCpy $R1 0
  StrCpy $EarlierFiles 0
  Call MakeInstallFolderFull
  ${ForEach} $R2 1 2 + 1
    ${If} $R2 == 1
      StrCpy $R3 "$PROGRAMFILES\"
    ${Else}
      StrCpy $R3 "$PROGRAMFILES64\"
    ${EndIf}
    StrLen $R4 $R3
    StrCpy $R5 $INSTDIR $R4
    ${If} $R5 == $R3  ; case-blind, as file names are
      StrCpy $R1 1
    ${EndIf}
  ${Next}
  ${If} $R1 == 1
    Return
  ${EndIf}
  StrLen $R4 $INSTDIR
  ${If} $R4 <= 3
    StrCpy $R0 "请选择一个单独的文件夹，不要直接安装到磁盘的根目录。"
    Return
  ${EndIf}
  System::Call 'kernel32::GetFileAttributesW(w "$INSTDIR") i .r0'
  ${If} $0 = -1
    Return  ; made new, with its rights, when the files are installed
  ${EndIf}
  IntOp $1 $0 & ${FILE_ATTRIBUTE_REPARSE_POINT}
  IntOp $2 $0 & ${FILE_ATTRIBUTE_DIRECTORY}
  ${If} $1 <> 0
  ${OrIf} $2 = 0
    StrCpy $R0 "所选位置是一个链接（联接点、符号链接或挂载点）或文件，不是普通文件夹。请选择一个新的文件夹，或使用默认位置。"
    StrCpy $RefusalCode 3
    Return
  ${EndIf}
  Call FolderEntriesProblem
  ${If} $R0 != ""
    Return
  ${EndIf}
  ; The owner, read from the folder itself (no link, see above).
  StrCpy $3 0
  System::Call 'advapi32::GetNamedSecurityInfoW(w "$INSTDIR", i 1, i 1, *p .r4, p 0, p 0, p 0, *p .r5) i .r0'
  ${If} $0 = 0
    System::Call 'advapi32::IsWellKnownSid(p r4, i ${WinBuiltinAdministratorsSid}) i .r6'
    System::Call 'advapi32::IsWellKnownSid(p r4, i ${WinLocalSystemSid}) i .r7'
    IntOp $3 $6 | $7
    System::Call 'kernel32::LocalFree(p r5)'
  ${EndIf}
  ${If} $3 = 0
    StrCpy $R0 "所选文件夹已经存在，且不属于管理员（可能是其他用户预先创建的，他可以随时改动其中的文件）。请选择一个新的文件夹，或使用默认位置。"
    StrCpy $RefusalCode 4
  ${EndIf}
FunctionEnd

Function InstallFolderLeave
  Call InstallFolderProblem
  ${If} $R0 != ""
    MessageBox MB_OK|MB_ICONSTOP $R0
    Abort
  ${EndIf}
FunctionEnd

; Marks a shortcut "run as administrator" (SLDF_RUNAS_USER, bit 0x20 of the
; link flags' second byte at offset 0x15), so that Explorer asks for
; elevation when it is opened.
!macro SHORTCUT_RUNS_AS_ADMINISTRATOR LINK
  FileOpen $0 "${LINK}" a
  FileSeek $0 0x15 SET
  FileReadByte $0 $1
  IntOp $1 $1 | 0x20
  FileSeek $0 0x15 SET
  FileWriteByte $0 $1
  FileClose $0
!macroend

Section "Ordavi" SecMain
  SectionIn RO
  ; The folder is checked (and made full) before any agent is ended.
  Call InstallFolderProblem
  ${If} $R0 != ""
    MessageBox MB_OK|MB_ICONSTOP $R0 /SD IDOK
    SetErrorLevel $RefusalCode
    Quit
  ${EndIf}
  Call EndRunningOrdavi
  ${If} $R1 != 1
    ; A new folder is made with its final rights at once, so nobody can open
    ; it in between. Its parents are made as usual (the agent weighs them).
    System::Call 'kernel32::GetFileAttributesW(w "$INSTDIR") i .r0'
    ${If} $0 = -1
      ${GetParent} "$INSTDIR" $R2
      CreateDirectory "$R2"
      System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)", i 1, *p .R4, p 0) i .r0'
      System::Call '*(i ${SECURITY_ATTRIBUTES_SIZE}, p R4, i 0) p .R5'
      System::Call 'kernel32::CreateDirectoryW(w "$INSTDIR", p R5) i .r0'
      System::Free $R5
      System::Call 'kernel32::LocalFree(p R4)'
    ${EndIf}
    ; The owner of the folder and of everything in it (an earlier Ordavi's
    ; files that someone else may have replaced) becomes administrators, the
    ; folder's list is set, and every file in it gets that list only. Each
    ; step stops at its first failure (no /C), and any failure stops the
    ; installation before a file is written. /L: a link met on the way is
    ; changed itself, never what it points to.
    nsExec::Exec '"$SYSDIR\icacls.exe" "$INSTDIR" /setowner *S-1-5-32-544 /T /L /Q'
    Pop $R2
    nsExec::Exec '"$SYSDIR\icacls.exe" "$INSTDIR" /inheritance:r /grant:r *S-1-5-18:(OI)(CI)F *S-1-5-32-544:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX /L /Q'
    Pop $R3
    ${If} $R2 != 0
    ${OrIf} $R3 != 0
      MessageBox MB_OK|MB_ICONSTOP "无法把 $INSTDIR 设为只有管理员能修改（例如它在 FAT 格式的磁盘上），请选择其他位置。" /SD IDOK
      RMDir "$INSTDIR"
      SetErrorLevel 2
      Quit
    ${EndIf}
    ; Only administrators can add to the folder now: what it holds is looked
    ; at again, in case something was put there since the first look.
    Call FolderEntriesProblem
    ${If} $R0 != ""
      MessageBox MB_OK|MB_ICONSTOP $R0 /SD IDOK
      SetErrorLevel $RefusalCode
      Quit
    ${EndIf}
    ; An empty folder has nothing to reset (icacls would fail on "*").
    ${If} $EarlierFiles == 1
      nsExec::Exec '"$SYSDIR\icacls.exe" "$INSTDIR\*" /reset /T /L /Q'
      Pop $R4
      ${If} $R4 != 0
        MessageBox MB_OK|MB_ICONSTOP "无法重设 $INSTDIR 中已有文件的所有者和权限（错误 $R4），安装已停止，未写入任何文件。请删除该文件夹中的旧文件后重试，或使用默认位置。" /SD IDOK
        SetErrorLevel 2
        Quit
      ${EndIf}
    ${EndIf}
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${FILES}\Ordavi.exe"
  File "${FILES}\QLLJ.bat"
  File "${FILES}\Ordavi.CHM"
  WriteUninstaller "$INSTDIR\uninst.exe"

  SetShellVarContext all
  CreateDirectory "${STARTMENU}"
  CreateShortCut "${STARTMENU}\Ordavi.lnk" "$INSTDIR\Ordavi.exe" "" "$INSTDIR\Ordavi.exe" 0 SW_SHOWNORMAL "" "Ordavi 定时任务（以管理员身份运行）"
  !insertmacro SHORTCUT_RUNS_AS_ADMINISTRATOR "${STARTMENU}\Ordavi.lnk"
  CreateShortCut "${STARTMENU}\Ordavi 帮助.lnk" "$INSTDIR\Ordavi.CHM"
  CreateShortCut "${STARTMENU}\卸载 Ordavi.lnk" "$INSTDIR\uninst.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Ordavi 定时任务"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Ordavi.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "HelpLink" "$INSTDIR\Ordavi.CHM"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninst.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninst.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  Call AllowOrdavi
SectionEnd

Section "Uninstall"
  Call un.EndRunningOrdavi
  Delete "$INSTDIR\Ordavi.exe"
  Delete "$INSTDIR\QLLJ.bat"
  Delete "$INSTDIR\Ordavi.CHM"
  Delete "$INSTDIR\uninst.exe"
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "${STARTMENU}\Ordavi.lnk"
  Delete "${STARTMENU}\Ordavi 帮助.lnk"
  Delete "${STARTMENU}\卸载 Ordavi.lnk"
  RMDir "${STARTMENU}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The tasks and options stay for a later installation unless the user asks
  ; for them to go (silently: /REMOVEDATA).
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  ${IfNot} ${Errors}
    Goto remove_data
  ${EndIf}
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "是否同时删除 Ordavi 的全部任务、选项和开机自动运行设置？$\r$\n$\r$\n选择“否”将保留它们，重新安装后仍可使用。" /SD IDNO IDYES remove_data
  Goto done
  remove_data:
  DeleteRegKey HKLM "${DATA_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Velmora"
  DeleteRegValue HKLM "${RUN_KEY}" "Ormile"
  done:
  Call un.AllowOrdavi
SectionEnd
