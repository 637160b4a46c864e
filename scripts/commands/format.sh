# usage: format [--check]            apply .clang-format to every C++ file (--check: only report)
# The native suite runs the check; run this before committing C++ changes.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
ensure_packages clang-format
cd "$KESTRUNE_ROOT"

mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --check ]; then
  clang-format --dry-run --Werror "${files[@]}"
else
  clang-format -i "${files[@]}"
fi
