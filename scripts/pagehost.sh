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
  register_component "$arch" --if-changed
  echo "$build/pagehost/kestrune-host.exe"
}

