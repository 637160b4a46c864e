@echo off
rem Unregisters both builds of Kestrune.dll: x64\Kestrune.dll with the 64-bit regsvr32,
rem x86\Kestrune.dll with the 32-bit one; on 32-bit Windows only x86\Kestrune.dll.
rem Unregistering a build that is not registered is harmless.
rem Exit code: 0 when every build was unregistered, 1 without administrator rights,
rem 2 when a build could not be unregistered or the switch is unknown.
setlocal EnableExtensions DisableDelayedExpansion
set "here=%~dp0"

rem Asking for help on a live server must not unregister anything.
if "%~1"=="" goto uninstall
if not "%~2"=="" goto unknown_switch
if "%~1"=="/?" goto usage
if "%~1"=="-h" goto usage
if "%~1"=="--help" goto usage
:unknown_switch
>&2 echo uninstall.cmd: unknown switch %*. Nothing was unregistered.
call :print_usage
exit /b 2
:usage
call :print_usage
exit /b 0

:uninstall
call :require_admin
if errorlevel 1 exit /b 1
call :find_regsvr32

set "failed="
if defined regsvr64 call :unregister 64 x64 "%regsvr64%"
call :unregister 32 x86 "%regsvr32%"

if defined failed echo Some of Kestrune's registration is still in place: see above.
if defined failed exit /b 2
echo Kestrune.Tessock is no longer registered. Run iisreset before deleting this folder.
exit /b 0

:unregister BITS FOLDER REGSVR32
rem No parenthesised blocks below: a folder such as "Program Files (x86)" would end them.
set "bits=%~1"
set "dir=%here%%~2"
set "regsvr=%~3"
if not exist "%dir%\Kestrune.dll" goto unregister_no_dll
if not exist "%regsvr%" goto unregister_no_regsvr32
"%regsvr%" /s /u "%dir%\Kestrune.dll"
set "code=%errorlevel%"
if not "%code%"=="0" goto unregister_failed
echo Unregistered %bits%-bit Kestrune.dll from %dir%.
exit /b 0
:unregister_no_dll
echo FAILED to unregister %bits%-bit Kestrune.dll: %dir%\Kestrune.dll does not exist, and regsvr32 needs it.
set "failed=yes"
exit /b 1
:unregister_no_regsvr32
echo FAILED to unregister %bits%-bit Kestrune.dll from %dir%: %regsvr% does not exist, so this Windows cannot run %bits%-bit programs.
set "failed=yes"
exit /b 1
:unregister_failed
call :explain_regsvr32 %code%
echo FAILED to unregister %bits%-bit Kestrune.dll from %dir%: %regsvr% ended with exit code %code% (%reason%).
set "failed=yes"
exit /b 1

:explain_regsvr32 CODE
set "reason=unknown failure"
if "%~1"=="3" set "reason=the DLL could not be loaded: blocked, damaged, or the wrong bitness"
if "%~1"=="4" set "reason=the DLL has no DllUnregisterServer"
if "%~1"=="5" set "reason=DllUnregisterServer failed: is the prompt elevated?"
if "%~1"=="9009" set "reason=it could not be started"
exit /b 0

:print_usage
echo Usage: uninstall.cmd
echo.
echo   (no switch)      unregisters x64\Kestrune.dll and x86\Kestrune.dll in this folder.
echo                    Needs a prompt opened with "Run as administrator".
echo   -h, --help, /?   prints this text.
echo.
echo Exit code: 0 when done, 1 without administrator rights, 2 when a build could not
echo be unregistered or the switch is unknown.
exit /b 0

:require_admin
rem fltmc answers only an elevated prompt. Where it does not exist, net session, which
rem needs the same rights (but also the Server service), decides.
fltmc >nul 2>&1
if "%errorlevel%"=="0" exit /b 0
if not "%errorlevel%"=="9009" goto not_admin
net session >nul 2>&1
if "%errorlevel%"=="0" exit /b 0
:not_admin
>&2 echo uninstall.cmd needs administrator rights. Nothing was unregistered.
>&2 echo Open a command prompt with "Run as administrator" and run it again.
exit /b 1

:find_regsvr32
rem A 32-bit prompt on 64-bit Windows sees SysWOW64 in place of System32 and reaches the
rem 64-bit system folder only as Sysnative.
set "regsvr64="
set "regsvr32=%SystemRoot%\SysWOW64\regsvr32.exe"
if defined PROCESSOR_ARCHITEW6432 set "regsvr64=%SystemRoot%\Sysnative\regsvr32.exe"
if defined PROCESSOR_ARCHITEW6432 exit /b 0
if /i not "%PROCESSOR_ARCHITECTURE%"=="x86" set "regsvr64=%SystemRoot%\System32\regsvr32.exe"
if /i not "%PROCESSOR_ARCHITECTURE%"=="x86" exit /b 0
set "regsvr32=%SystemRoot%\System32\regsvr32.exe"
exit /b 0
