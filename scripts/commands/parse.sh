# usage: parse BODYFILE             parse a captured request body and print the result as JSON
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
ensure_native_tools
build=$KESTRUNE_ROOT/build/native-release
cmake -S "$KESTRUNE_ROOT" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target kestrune-parse >/dev/null
exec "$build/tools/kestrune-parse" "$@"
