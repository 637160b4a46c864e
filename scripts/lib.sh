# Shared helpers for the scripts under scripts/. Source it; do not run it.

KESTRUNE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export KESTRUNE_ROOT

# ensure_packages PKG...: installs the Debian packages that are missing (as root, or
# through sudo when there is one).
ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}" >&2
  if ! $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null; then
    $sudo apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
}

# The native build tools and test libraries: libcrypto for the hashes, ImageMagick and
# Python for the sample files the file-type tests are built from.
ensure_native_tools() {
  ensure_packages cmake make g++ libgtest-dev libgmock-dev clang-format libssl-dev imagemagick python3
}

# record_counts SUITE PASSED FAILED: leaves a suite's totals for scripts/commands/test.sh.
record_counts() {
  mkdir -p "$KESTRUNE_ROOT/build/results"
  echo "$2 $3" > "$KESTRUNE_ROOT/build/results/$1.counts"
}

# result_counts FORMAT FILE...: prints "PASSED FAILED" read from the result files a test
# runner wrote (scripts/test_counts.py), naming every failed or skipped test on stderr.
result_counts() {
  ensure_packages python3
  python3 "$KESTRUNE_ROOT/scripts/test_counts.py" "$@" || echo "0 1"
}

# record_build SUITE WHAT: says which Windows build a suite runs under Wine, and why, in
# the suite's output and again beside the total of scripts/commands/test.sh.
record_build() {
  mkdir -p "$KESTRUNE_ROOT/build/results"
  echo "$1 runs $2"
  echo "$2" > "$KESTRUNE_ROOT/build/results/$1.build"
}
