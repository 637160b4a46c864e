# usage: bash packaging/build_msi.sh ARCH VERSION PACKAGE_DIR OUT.msi
# One MSI from the DLLs in PACKAGE_DIR (x86/ and x64/ as ./run dist lays them out):
# ARCH x86 carries the 32-bit DLL, x64 both. The registry entries come from
# packaging/make_wxs.py, which reads them from the type library's IDL. The same files
# with the same modification times give the same MSI, byte for byte: the cabinet keeps
# each file's time, and the summary information gets the package code of VERSION and ARCH
# and, as its dates, SOURCE_DATE_EPOCH (else the last commit's time).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 4 ] || { echo "usage: build_msi.sh x86|x64 VERSION PACKAGE_DIR OUT.msi" >&2; exit 2; }
msi=$(cd "$(dirname "$4")" && pwd)/$(basename "$4")
# wixl takes a file's Source relative to where it runs, and fails on an absolute one.
cd "$3"
python3 "$root/packaging/make_wxs.py" "$root/typelib/kestrune.idl" "$1" "$2" . > "$msi.wxs"
# It takes the bitness from -a alone, not from the source.
wixl -a "$1" -o "$msi" "$msi.wxs" || { rm -f "$msi.wxs" "$msi"; echo "build_msi.sh: wixl failed on $msi.wxs" >&2; exit 1; }
# What the package carries, for its package code.
dlls=(x86/Kestrune.dll)
[ "$1" = x86 ] || dlls+=(x64/Kestrune.dll)
digest=$(cat "$msi.wxs" "${dlls[@]}" | sha256sum | cut -c1-64)
rm -f "$msi.wxs"
# wixl writes a random package code and the clock's time into the summary information.
# msitools' library has its Python bindings in Debian's Python, which may not be the
# first python3 on PATH.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}
/usr/bin/python3 -B "$root/packaging/pin_summary.py" "$msi" "$1" "$2" "$digest" "$epoch" ||
  { rm -f "$msi"; echo "build_msi.sh: could not pin the summary information of $msi" >&2; exit 1; }
