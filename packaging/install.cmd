@echo off
rem Registers both builds of Kestrune.dll side by side: x64\Kestrune.dll with the 64-bit
rem regsvr32 for 64-bit application pools, x86\Kestrune.dll with the 32-bit regsvr32 for
rem pools with "Enable 32-Bit Applications"; on 32-bit Windows only x86\Kestrune.dll.
rem Exit code: 0 when every build was registered, 1 without administrator rights,
rem 2 when a build could not be registered.
setlocal EnableExtensions DisableDelayedExpansion
set "here=%~dp0"

call :require_admin
if errorlevel 1 exit /b 1
call :find_regsvr32

set "failed="
set "done64="
set "done32="
if not defined regsvr64 goto register_32
set "pools=64-bit application pools"
call :register 64 x64 "%regsvr64%"
if not errorlevel 1 set "done64=yes"
:register_32
set "pools=%pools32%"
call :register 32 x86 "%regsvr32%"
if not errorlevel 1 set "done32=yes"

if not defined failed echo Kestrune.Tessock is ready for %pools_all%.
if not defined failed exit /b 0
if defined done64 echo Only 64-bit application pools can create Kestrune.Tessock now.
if defined done32 echo Only %pools32% can create Kestrune.Tessock now.
if not defined done64 if not defined done32 echo Kestrune was not registered.
exit /b 2

:register BITS FOLDER REGSVR32
rem No parenthesised blocks below: a folder such as "Program Files (x86)" would end them.
set "bits=%~1"
set "dir=%here%%~2"
set "regsvr=%~3"
if not exist "%dir%\Kestrune.dll" goto register_no_dll
if not exist "%regsvr%" goto register_no_regsvr32
"%regsvr%" /s "%dir%\Kestrune.dll"
set "code=%errorlevel%"
if not "%code%"=="0" goto register_failed
echo Registered %bits%-bit Kestrune.dll from %dir% for %pools%.
exit /b 0
:register_no_dll
echo FAILED to register %bits%-bit Kestrune.dll: %dir%\Kestrune.dll does not exist.
set "failed=yes"
exit /b 1
:register_no_regsvr32
echo FAILED to register %bits%-bit Kestrune.dll from %dir%: %regsvr% does not exist, so this Windows cannot run %bits%-bit programs.
set "failed=yes"
exit /b 1
:register_failed
call :explain_regsvr32 %code%
echo FAILED to register %bits%-bit Kestrune.dll from %dir%: %regsvr% ended with exit code %code% (%reason%).
set "failed=yes"
exit /b 1

:explain_regsvr32 CODE
set "reason=unknown failure"
if "%~1"=="3" set "reason=the DLL could not be loaded: blocked, damaged, or the wrong bitness"
if "%~1"=="4" set "reason=the DLL has no DllRegisterServer"
if "%~1"=="5" set "reason=DllRegisterServer failed: is the prompt elevated?"
if "%~1"=="9009" set "reason=it could not be started"
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
>&2 echo install.cmd needs administrator rights. Nothing was registered.
>&2 echo Open a command prompt with "Run as administrator" and run it again.
exit /b 1

:find_regsvr32
rem A 32-bit prompt on 64-bit Windows sees SysWOW64 in place of System32 and reaches the
rem 64-bit system folder only as Sysnative.
set "regsvr64="
set "regsvr32=%SystemRoot%\SysWOW64\regsvr32.exe"
set "pools32=application pools with Enable 32-Bit Applications"
set "pools_all=every application pool, 64-bit or 32-bit"
if defined PROCESSOR_ARCHITEW6432 set "regsvr64=%SystemRoot%\Sysnative\regsvr32.exe"
if defined PROCESSOR_ARCHITEW6432 exit /b 0
if /i not "%PROCESSOR_ARCHITECTURE%"=="x86" set "regsvr64=%SystemRoot%\System32\regsvr32.exe"
if /i not "%PROCESSOR_ARCHITECTURE%"=="x86" exit /b 0
set "regsvr32=%SystemRoot%\System32\regsvr32.exe"
set "pools32=every application pool (32-bit Windows)"
set "pools_all=every application pool"
exit /b 0
