@echo off
rem Registers both builds of Kestrune.dll side by side: x64\Kestrune.dll with the 64-bit
rem regsvr32 for 64-bit application pools, x86\Kestrune.dll with the 32-bit regsvr32 for
rem pools with "Enable 32-Bit Applications"; on 32-bit Windows only x86\Kestrune.dll.
rem install.cmd /check registers nothing: it shows what each registry view names.
rem Exit code: 0 when every build was registered, 1 without administrator rights,
rem 2 when a build could not be registered or the switch is unknown.
setlocal EnableExtensions DisableDelayedExpansion
set "here=%~dp0"
rem Written by ./run dist from the VERSION file.
set "version=@VERSION@"
rem Kestrune.Tessock's class, whose InprocServer32 /check reads; Kestrune.Upload's is
rem registered by the same DllRegisterServer, from the same DLL.
set "clsid={3DF4F605-7BAB-491F-AEF8-E338D04C58ED}"
set "vbs=%here%file-version.vbs"

rem Asking for help on a live server must not register anything.
if "%~1"=="" goto install
if not "%~2"=="" goto unknown_switch
if "%~1"=="/?" goto usage
if "%~1"=="-h" goto usage
if "%~1"=="--help" goto usage
if /i "%~1"=="/check" goto check
:unknown_switch
>&2 echo install.cmd: unknown switch %*. Nothing was registered.
call :print_usage
exit /b 2
:usage
call :print_usage
exit /b 0

:check
call :find_regsvr32
set "good=yes"
if defined regsvr64 call :show_view 64 x64
call :show_view 32 x86
if defined good echo Every registry view names an existing Kestrune.dll %version%.
if defined good exit /b 0
echo Not every registry view names an existing Kestrune.dll %version%: run install.cmd.
exit /b 1

:install
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
call :warn_replaced %bits% "%dir%\Kestrune.dll"
"%regsvr%" /s "%dir%\Kestrune.dll"
set "code=%errorlevel%"
if not "%code%"=="0" goto register_failed
echo Registered %bits%-bit Kestrune.dll %version% from %dir% for %pools%.
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

:warn_replaced BITS DLL
rem A page that worked with another copy may have relied on its version or its folder.
call :read_view %~1
if not defined registered exit /b 0
call :same_file "%registered%" "%~2"
if defined same exit /b 0
call :describe_file "%registered%"
echo WARNING: the %~1-bit registration named %registered% (%described%); it now names %~2.
exit /b 0

:show_view BITS FOLDER
call :read_view %~1
if not defined registered echo %~1-bit view: Kestrune.Tessock is not registered.
if not defined registered set "good="
if not defined registered exit /b 0
call :describe_file "%registered%"
set "beside=not the copy beside install.cmd"
call :same_file "%registered%" "%here%%~2\Kestrune.dll"
if defined same set "beside=the copy beside install.cmd"
echo %~1-bit view: Kestrune.Tessock is %registered% (%described%, %beside%)
if not "%file_version%"=="%version%" set "good="
exit /b 0

:read_view BITS
rem The registry view's InprocServer32 of Kestrune.Tessock, in registered. reg prints the
rem value's line last; its name, "(Default)", is translated, its type is not.
set "registered="
set "line="
for /f "delims=" %%L in ('reg query "HKLM\Software\Classes\CLSID\%clsid%\InprocServer32" /ve /reg:%~1 2^>nul') do set "line=%%L"
if not defined line exit /b 0
if "%line:_SZ=%"=="%line%" exit /b 0
set "registered=%line:*_SZ=%"
for /f "tokens=*" %%P in ("%registered%") do set "registered=%%P"
exit /b 0

:same_file PATH PATH
rem Registration writes a path with blanks in its short 8.3 form: compare the short forms.
set "same="
if not exist "%~1" exit /b 0
if not exist "%~2" exit /b 0
if /i "%~s1"=="%~s2" set "same=yes"
exit /b 0

:describe_file PATH
rem In described: whether the file exists and its file version, in file_version.
set "file_version="
set "described=missing"
if not exist "%~1" exit /b 0
for /f "delims=" %%V in ('cscript //nologo "%vbs%" "%~1" 2^>nul') do set "file_version=%%V"
set "described=exists, file version %file_version%"
if not defined file_version set "described=exists, no file version"
exit /b 0

:print_usage
echo Usage: install.cmd [/check]
echo.
echo   (no switch)      registers x64\Kestrune.dll and x86\Kestrune.dll (Kestrune %version%)
echo                    from this folder, and warns when it replaces another copy's
echo                    registration. Needs a prompt opened with "Run as administrator".
echo   /check           changes nothing: prints, for each registry view, the DLL that
echo                    Kestrune.Tessock's registration names, whether it exists, its file
echo                    version and whether it is the copy beside install.cmd.
echo   -h, --help, /?   prints this text.
echo.
echo Exit code: 0 when done (with /check: when every view names an existing
echo Kestrune.dll %version%), 1 without administrator rights (with /check: when a view
echo does not), 2 when a build could not be registered or the switch is unknown.
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
