# Shared helpers for the Windows side: the cross toolchain, the builds, and the
# project's own Wine prefix. Source it after lib.sh; do not run it.

# The mingw-w64 cross compilers, widl, and Wine (32- and 64-bit).
ensure_windows_tools() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
  fi
  ensure_packages cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools \
    wine wine32:i386 wine64 googletest
}

# Wine's own IDL files (oaidl.idl and friends), which widl needs and mingw does not ship.
# Taken from Debian's libwine-dev package without installing it. Prints the folder; a
# failed fetch stops here with apt-get's own message, not later as a compiler error.
wine_idl_dir() {
  local dir=$KESTRUNE_ROOT/build/wine-idl
  if [ ! -f "$dir/usr/include/wine/wine/windows/oaidl.idl" ]; then
    mkdir -p "$dir"
    if ! (cd "$dir" && rm -f ./*.deb && apt-get download -qq libwine-dev:i386 &&
      dpkg-deb -x libwine-dev_*.deb . && rm -f ./*.deb) >&2; then
      echo "wine_idl_dir: could not fetch and unpack libwine-dev:i386 into $dir (see above)" >&2
      return 1
    fi
  fi
  echo "$dir/usr/include/wine/wine/windows"
}

# build_windows ARCH [TARGET...] (ARCH win32 or win64): configures and builds the cross
# build once the tools are there, everything or just the targets named. Prints the build folder.
build_windows() {
  local arch=$1 toolchain
  case $arch in
    win32) toolchain=mingw-i686 ;;
    win64) toolchain=mingw-x86_64 ;;
    *) echo "build_windows: unknown architecture $arch" >&2; return 2 ;;
  esac
  local build=$KESTRUNE_ROOT/build/$arch idl
  idl=$(wine_idl_dir) || return 1
  cmake -S "$KESTRUNE_ROOT" -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$KESTRUNE_ROOT/cmake/$toolchain.cmake" \
    -DKESTRUNE_WINE_IDL_DIR="$idl" >&2 || return 1
  shift
  cmake --build "$build" -j "$(nproc)" ${1:+--target "$@"} >&2 || return 1
  echo "$build"
}

# Some kernels run no 32-bit programs at all (IA-32 emulation off), and with them not
# Wine's 32-bit loader, which Debian's wine scripts always prefer when installed.
wine_runs_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# The build that Wine can run on this machine: win32 where it can, else win64.
windows_run_arch() { if wine_runs_32bit; then echo win32; else echo win64; fi; }

# Which build the Wine tests run here, and why, in one line.
windows_run_build() {
  if wine_runs_32bit; then
    echo "the 32-bit build (win32): this kernel runs 32-bit programs"
  else
    echo "the 64-bit build (win64): this kernel runs no 32-bit programs, so the 32-bit build is built but not run"
  fi
}

# The project's own Wine prefix, never the user's. A 64-bit prefix runs both builds.
wine_env() {
  export WINEPREFIX=$KESTRUNE_ROOT/build/wineprefix
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  unset WINEARCH
  if ! wine_runs_32bit; then
    # wine, wineboot, winepath... then all go through the 64-bit loader.
    local shims=$KESTRUNE_ROOT/build/wine64-shims
    if [ ! -x "$shims/wine-stable" ]; then
      mkdir -p "$shims"
      printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$shims/wine-stable"
      chmod +x "$shims/wine-stable"
      ln -sf wine-stable "$shims/wine"
    fi
    case ":$PATH:" in *":$shims:"*) ;; *) export PATH=$shims:$PATH ;; esac
    export WINELOADER=/usr/lib/wine/wine64
  fi
}

# Programs that the prefix presents with Windows NT 4.0.
KESTRUNE_NT4_EXES="kestrune-host.exe kestrune-com-tests.exe"

# Creates the prefix on first use. The test host reports Windows NT 4.0 to the component
# (Wine's per-application Version setting), so the component looks for its object
# context in mtxex.dll, which the project ships as a stand-in.
ensure_wine_prefix() {
  wine_env
  if [ ! -f "$WINEPREFIX/.kestrune-ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1
    local exe
    for exe in $KESTRUNE_NT4_EXES; do
      wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe" /v Version /d nt40 /f >/dev/null 2>&1
    done
    wineserver -w
    touch "$WINEPREFIX/.kestrune-ready"
  fi
}

# Keeps one wineserver alive for a batch of Wine commands (much faster); stop it with
# stop_wineserver.
start_wineserver() { wine_env; wineserver -p >/dev/null 2>&1 || true; }
stop_wineserver() { wine_env; wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true; }

# register_component ARCH [--if-changed]: registers build/ARCH/server/Kestrune.dll in the
# project's prefix with the regsvr32 of its bitness. Registering again overwrites the same
# entries; --if-changed skips it when the DLL is no newer than its last registration here.
register_component() {
  local arch=$1 dll=$KESTRUNE_ROOT/build/$1/server/Kestrune.dll loader
  case $arch in
    win32) loader=/usr/lib/wine/wine ;;
    win64) loader=/usr/lib/wine/wine64 ;;
    *) echo "register_component: unknown architecture $arch" >&2; return 2 ;;
  esac
  [ -f "$dll" ] || { echo "register_component: $dll is not built" >&2; return 1; }
  ensure_wine_prefix
  local stamp=$WINEPREFIX/.kestrune-registered-$arch
  [ "${2:-}" != --if-changed ] || [ ! -f "$stamp" ] || [ "$dll" -nt "$stamp" ] || return 0
  rm -f "$stamp"
  local windows_dll
  windows_dll=$(windows_path "$dll") &&
    "$loader" regsvr32 /s "$windows_dll" </dev/null >/dev/null 2>&1 ||
    { echo "register_component: regsvr32 failed for $dll" >&2; return 1; }
  touch "$stamp"
}

# windows_path PATH...: the Windows path of each Linux path (relative ones are taken from
# the current folder), one per line.
windows_path() {
  [ $# -gt 0 ] || return 0
  local absolute=() path converted status=0
  for path in "$@"; do absolute+=("$(realpath -m -- "$path")"); done
  # Through a file: Wine's service processes, started by the first Wine program, inherit
  # its output and would keep a caller's pipe open until the wineserver stops.
  converted=$(mktemp)
  winepath -w "${absolute[@]}" </dev/null >"$converted" 2>/dev/null || status=$?
  cat "$converted"
  rm -f "$converted"
  return "$status"
}

# check_component_binary ARCH: Kestrune.dll imports only system DLLs and exports exactly
# the four entry points of an in-process server, undecorated. Prints what is wrong.
check_component_binary() {
  local arch=$1 objdump dll=$KESTRUNE_ROOT/build/$1/server/Kestrune.dll
  case $arch in win32) objdump=i686-w64-mingw32-objdump ;; *) objdump=x86_64-w64-mingw32-objdump ;; esac
  local dump
  dump=$("$objdump" -p "$dll") || return 1
  local imports exports ok=0
  imports=$(sed -n 's/^\tDLL Name: //p' <<<"$dump" | tr '[:upper:]' '[:lower:]' | sort | tr '\n' ' ')
  exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\t\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
  local dll_name
  for dll_name in $imports; do
    case $dll_name in
      advapi32.dll|kernel32.dll|msvcrt.dll|ole32.dll|oleaut32.dll|user32.dll) ;;
      *) echo "$arch Kestrune.dll imports $dll_name" >&2; ok=1 ;;
    esac
  done
  if [ "$exports" != "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer " ]; then
    echo "$arch Kestrune.dll exports: $exports" >&2
    ok=1
  fi
  return $ok
}
