# The COM server under Wine: both cross builds, their binaries checked, the build that
# Wine runs here registered with regsvr32, and the C++ COM client suite run against it.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
source "$KESTRUNE_ROOT/scripts/windows.sh"
cd "$KESTRUNE_ROOT"

ensure_windows_tools
record_build 20-wine-com "$(windows_run_build)"
passed=0
failed=0
check() {  # check LABEL COMMAND...: one counted check
  if "${@:2}"; then passed=$((passed + 1)); else echo "FAILED: $1" >&2; failed=$((failed + 1)); fi
}

# Only server/, host/win32/ and the Windows test and page-host programs see Windows.
portable_core_is_portable() {
  ! grep -rlE '#include *<(windows|ole2|oleauto|objbase|oaidl|winbase|winnt)\.h>' \
    base multipart upload members host/*.h
}
check "portable core includes no Windows header" portable_core_is_portable

# Both builds must link and import only system DLLs; Wine runs the one it can here, so
# only that one needs the test programs.
run_arch=$(windows_run_arch)
for arch in win32 win64; do
  if [ "$arch" = "$run_arch" ]; then
    build_windows "$arch" >/dev/null
  else
    build_windows "$arch" kestrune_dll >/dev/null
  fi
  check "$arch Kestrune.dll imports and exports" check_component_binary "$arch"
done

# run_com_tests NAME [ENV=VALUE...] -- [gtest options]: one run of the client suite, its
# totals read from the JSON results it writes and added to the counts; its output is kept
# in build/results/20-wine-com.NAME.log.
exe=build/$run_arch/tests/wine/kestrune-com-tests.exe
run_com_tests() {
  local name=$1 settings=() status=0 log results counts
  shift
  while [ "$1" != -- ]; do settings+=("$1"); shift; done
  shift
  results=$KESTRUNE_ROOT/build/results/20-wine-com.$name.json
  log=$KESTRUNE_ROOT/build/results/20-wine-com.$name.log
  mkdir -p "$(dirname "$results")"
  rm -f "$results"
  # Into a file, not a pipe: Wine's service processes would hold a pipe open.
  env "${settings[@]}" wine "$exe" --gtest_output="json:$(windows_path "$results")" "$@" > "$log" 2>&1 ||
    status=$?
  cat "$log"
  counts=$(result_counts gtest-json "$results")
  read -r ok bad <<<"$counts"
  if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then
    echo "FAILED: kestrune-com-tests.exe ($name) exited with $status" >&2
    bad=1
  fi
  passed=$((passed + ok))
  failed=$((failed + bad))
}

# The save tests fill a small drive: a 1 MiB tmpfs (or, where tmpfs cannot be mounted, a
# loop-mounted ext2 image) that the prefix sees as K:. Without mount rights they skip,
# which the count makes a failure that gives this reason.
full_disk_mount=
full_disk_image=
full_disk_link=
release_full_disk() {
  [ -z "$full_disk_link" ] || rm -f "$full_disk_link"
  if [ -n "$full_disk_mount" ]; then
    umount "$full_disk_mount" 2>/dev/null || umount -l "$full_disk_mount" 2>/dev/null || true
    rmdir "$full_disk_mount" 2>/dev/null || true
  fi
  [ -z "$full_disk_image" ] || rm -f "$full_disk_image"
}
map_full_disk() {
  local link=$WINEPREFIX/dosdevices/k:
  # One left by a run that was killed points to a mount point of ours.
  case $(readlink "$link" 2>/dev/null) in /tmp/kestrune-full-disk.*) rm -f "$link" ;; esac
  if [ -e "$link" ] || [ -L "$link" ]; then
    echo "K: is already mapped in $WINEPREFIX: the full-disk test cannot run" >&2
    return 0
  fi
  full_disk_mount=$(mktemp -d /tmp/kestrune-full-disk.XXXXXX)
  if ! mount -t tmpfs -o size=1m kestrune-full-disk "$full_disk_mount" 2>/dev/null; then
    full_disk_image=$(mktemp /tmp/kestrune-full-disk.XXXXXX.img)
    if ! { truncate -s 1M "$full_disk_image" && mkfs.ext2 -q -m 0 "$full_disk_image" &&
      mount -o loop "$full_disk_image" "$full_disk_mount"; } 2>/dev/null; then
      echo "cannot mount a tmpfs or a loop file system here: the full-disk test cannot run" >&2
      release_full_disk
      full_disk_mount= full_disk_image=
      return 0
    fi
  fi
  ln -s "$full_disk_mount" "$link"
  full_disk_link=$link
  export KESTRUNE_FULL_DISK='K:\'
}

ensure_wine_prefix
trap release_full_disk EXIT
map_full_disk
start_wineserver
check "regsvr32 registers the $run_arch Kestrune.dll" register_component "$run_arch"
# Each code page's own tests run only under it, so that nothing skips; the COM-face
# fuzzer's campaign has a run of its own.
campaign=ComFuzz.EveryMemberAnswersHostileCalls
run_com_tests cp1252 LC_ALL=C.UTF-8 -- --gtest_filter="-TextConversion.PairsDoubleByteCharacters:$campaign"
# A bounded campaign of a fixed seed (about two seconds here); `./run fuzz --com SECONDS`
# runs longer ones of random seeds.
run_com_tests com-fuzz LC_ALL=C.UTF-8 KESTRUNE_COM_FUZZ_SEED=24 KESTRUNE_COM_FUZZ_CALLS=200000 -- \
  --gtest_filter="$campaign"
# Wine takes the ANSI code page from LC_ALL: Japanese gives the double-byte code page 932.
run_com_tests cp932 LC_ALL=ja_JP.UTF-8 -- \
  --gtest_filter='Win32CodePage.*:TextConversion.*-TextConversion.ReplacesWhatTheCodePageLacks'
stop_wineserver

record_counts 20-wine-com "$passed" "$failed"
grep -h '^com fuzz: campaign' build/results/20-wine-com.com-fuzz.log || echo "com fuzz: the campaign gave no figures"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
