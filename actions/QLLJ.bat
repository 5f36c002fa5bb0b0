@echo off
rem QLLJ.bat - junk cleaning for Ordavi.
rem
rem Removes the contents of the temporary-file folders and nothing else: the
rem user's TEMP and TMP, LOCALAPPDATA\Temp, the older "Local Settings\Temp"
rem and the system's Windows\Temp. Each folder is checked before anything in
rem it is removed (see :clean). Files in use stay where they are. The script
rem never waits for input, and lists what it removes on its standard output,
rem which the agent keeps as the cleaning log.

setlocal EnableExtensions DisableDelayedExpansion
set "QLLJ_HERE=%~dp0"
set "QLLJ_DONE=;"
set /a QLLJ_FILES=0
set /a QLLJ_DIRS=0
set /a QLLJ_KEPT=0

echo Ordavi junk cleaning, started %DATE% %TIME%
call :clean TEMP ""
call :clean TMP ""
call :clean LOCALAPPDATA "\Temp"
call :clean USERPROFILE "\Local Settings\Temp"
call :clean SystemRoot "\Temp"
echo.
echo Removed: %QLLJ_FILES% files, %QLLJ_DIRS% folders. Kept because in use: %QLLJ_KEPT%.
echo Finished %DATE% %TIME%
endlocal
exit /b 0


rem :clean VARIABLE SUBPATH
rem Empties the folder named by the environment variable VARIABLE followed by
rem SUBPATH. The folder is skipped unless all of these hold:
rem   - the variable is set (an unset variable must never leave a path that
rem     points at the current folder or a drive's root);
rem   - the folder is a full local path (X:\...) and, with ".." resolved,
rem     not a drive's root;
rem   - one of its path components is "Temp" or "Tmp";
rem   - Ordavi itself does not lie inside it;
rem   - it was not cleaned already in this run, and it exists.
:clean
echo.
set "QLLJ_WHY=%~1 is not set"
if not defined %~1 goto skip
call set "QLLJ_DIR=%%%~1%%%~2"
echo Folder "%QLLJ_DIR%"
set "QLLJ_WHY=not a full local path"
if not "%QLLJ_DIR:~1,2%"==":\" goto skip
rem The full form of the path: "..", "." and "/" resolved, so that the checks
rem below see the folder that would really be cleaned.
for /f "eol=: delims=" %%I in ("%QLLJ_DIR%") do set "QLLJ_DIR=%%~fI"
if "%QLLJ_DIR:~-1%"=="\" set "QLLJ_DIR=%QLLJ_DIR:~0,-1%"
if not "%QLLJ_DIR:~1,2%"==":\" goto skip
echo   full path "%QLLJ_DIR%"
set "QLLJ_WHY=a drive's root folder"
if "%QLLJ_DIR:~3%"=="" goto skip

set "QLLJ_WHY=not a temporary-file folder"
set "QLLJ_P=%QLLJ_DIR%\"
call set "QLLJ_Q=%%QLLJ_P:\temp\=%%"
if "%QLLJ_Q%"=="%QLLJ_P%" call set "QLLJ_Q=%%QLLJ_P:\tmp\=%%"
if "%QLLJ_Q%"=="%QLLJ_P%" goto skip

set "QLLJ_WHY=Ordavi itself lies in this folder"
call set "QLLJ_Q=%%QLLJ_HERE:%QLLJ_DIR%\=%%"
if not "%QLLJ_Q%"=="%QLLJ_HERE%" goto skip

set "QLLJ_WHY=already cleaned"
call set "QLLJ_Q=%%QLLJ_DONE:;%QLLJ_DIR%;=%%"
if not "%QLLJ_Q%"=="%QLLJ_DONE%" goto skip

set "QLLJ_WHY=no such folder"
if not exist "%QLLJ_DIR%\" goto skip
set "QLLJ_DONE=%QLLJ_DONE%%QLLJ_DIR%;"

rem Files first (hidden and read-only ones too), then the subfolders. Each
rem name goes through a variable, so that no character in it is expanded or
rem parsed again.
for /f "eol=: delims=" %%F in ('dir /b /a-d "%QLLJ_DIR%" 2^>nul') do (
  set "QLLJ_NAME=%%F"
  call :file
)
for /f "eol=: delims=" %%D in ('dir /b /ad "%QLLJ_DIR%" 2^>nul') do (
  set "QLLJ_NAME=%%D"
  call :folder
)
goto :eof

:file
if not exist "%QLLJ_DIR%\%QLLJ_NAME%" goto name_unusable
del /f /q /a "%QLLJ_DIR%\%QLLJ_NAME%" >nul 2>nul
if exist "%QLLJ_DIR%\%QLLJ_NAME%" goto file_kept
set /a QLLJ_FILES+=1
echo   removed: "%QLLJ_NAME%"
goto :eof
:file_kept
set /a QLLJ_KEPT+=1
echo   kept, in use: "%QLLJ_NAME%"
goto :eof

rem A linked folder (junction or symbolic link, attribute "l") is left alone,
rem so that nothing outside the temporary folder is reached through it; so is
rem a folder whose attributes cannot be read.
:folder
if not exist "%QLLJ_DIR%\%QLLJ_NAME%\" goto name_unusable
set "QLLJ_ATTR="
for %%A in ("%QLLJ_DIR%\%QLLJ_NAME%") do set "QLLJ_ATTR=%%~aA"
if "%QLLJ_ATTR%"=="" goto folder_unknown
if not "%QLLJ_ATTR:l=%"=="%QLLJ_ATTR%" goto folder_linked
rd /s /q "%QLLJ_DIR%\%QLLJ_NAME%" >nul 2>nul
if exist "%QLLJ_DIR%\%QLLJ_NAME%\" goto folder_kept
set /a QLLJ_DIRS+=1
echo   removed folder: "%QLLJ_NAME%\"
goto :eof
:folder_kept
set /a QLLJ_KEPT+=1
echo   kept in part, in use: "%QLLJ_NAME%\"
goto :eof
:folder_linked
echo   linked folder, left alone: "%QLLJ_NAME%\"
goto :eof
:name_unusable
echo   name not usable here, left alone: "%QLLJ_NAME%"
goto :eof
:folder_unknown
echo   attributes unreadable, left alone: "%QLLJ_NAME%\"
goto :eof

:skip
echo   skipped: %QLLJ_WHY%
goto :eof
