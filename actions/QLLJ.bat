@echo off
rem QLLJ.bat - your own steps for Ordavi's junk cleaning.
rem
rem Ordavi empties the temporary-file folders itself (TEMP, TMP,
rem LOCALAPPDATA\Temp and Windows\Temp) and lists what it removed in the
rem cleaning log beside Ordavi.exe. Afterwards it runs this script, hidden and
rem at idle priority, and adds what the script prints to the end of that log.
rem
rem Lines you add below run with Ordavi's rights, usually an administrator's,
rem so keep this folder one that only administrators can change (such as
rem Program Files). The script must end by itself: Ordavi waits for it.
rem Example:
rem   del /q "D:\Downloads\*.part"
