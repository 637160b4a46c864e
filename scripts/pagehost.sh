# Helpers for running pages in kestrune-host.exe under Wine. Source it after lib.sh and
# windows.sh; do not run it.

# Ensures tools, build, prefix and registration; prints the Linux path of the host.
# Build output goes to build/pagehost-build.log and is shown only when the build fails.
prepare_pagehost() {
  ensure_windows_tools
  local arch build log=$KESTRUNE_ROOT/build/pagehost-build.log
  arch=$(windows_run_arch)
  mkdir -p "$KESTRUNE_ROOT/build"
  build=$KESTRUNE_ROOT/build/$arch
  # Once configured, only what a page needs is rebuilt, not every test program.
  if [ -f "$build/CMakeCache.txt" ]; then
    cmake --build "$build" -j "$(nproc)" --target kestrune-host mtxex kestrune_dll >"$log" 2>&1
  else
    build_windows "$arch" >/dev/null 2>"$log"
  fi || { cat "$log" >&2; echo "pagehost: the $arch build failed" >&2; return 1; }
  ensure_wine_prefix
  register_component_once "$build/server/Kestrune.dll"
  echo "$build/pagehost/kestrune-host.exe"
}

# Registers the DLL when it is newer than its last registration in this prefix.
register_component_once() {
  local dll=$1 stamp
  stamp=$WINEPREFIX/.kestrune-registered-$(basename "$(dirname "$(dirname "$dll")")")
  [ -f "$dll" ] || { echo "pagehost: $dll is not built" >&2; return 1; }
  if [ ! -f "$stamp" ] || [ "$dll" -nt "$stamp" ]; then
    local windows_dll
    windows_dll=$(pagehost_windows_paths "$dll")
    wine regsvr32 /s "$windows_dll" </dev/null >/dev/null 2>&1 ||
      { echo "pagehost: registering $dll failed" >&2; return 1; }
    touch "$stamp"
  fi
}

# Prints the Windows path of each Linux path (relative ones are taken from the current
# folder), one per line.
pagehost_windows_paths() {
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
