# ./run dist twice more, into folders of the test's own: once as before, which must say
# the package is unsigned and give the same zip and MSIs byte for byte; once signed with
# a throwaway self-signed certificate made here, whose signatures osslsigncode verify
# must accept. Sourced by package_test.sh, whose check/same/contains it uses.

ensure_packages osslsigncode openssl msitools
keys=$(mktemp -d)
stop_signing_checks() { rm -rf "$keys"; }

run_dist() {  # run_dist FOLDER [ENV=VALUE...]: sets dist_out, and status
  status=0
  dist_out=$(env KESTRUNE_DIST_DIR="$1" "${@:2}" bash scripts/commands/dist.sh 2>&1) || status=$?
}

dist_said() {  # dist_said STATUS LINE: that exit code, and LINE among what dist printed
  same "$1" "$status" && contains "$dist_out" "$2"
}
verified() {  # verified FILE: osslsigncode verify accepts its signature, against the test's certificate
  osslsigncode verify -in "$1" -CAfile "$keys/cert.pem" >"$keys/verify.log" 2>&1 && return 0
  sed 's/^/    /' "$keys/verify.log" >&2
  return 1
}
sums_match() { (cd "$1" && sha256sum --quiet -c SHA256SUMS >&2); }

run_dist "$scratch/again"
check "dist without a key: says the package is unsigned" dist_said 0 \
  "dist: unsigned: set KESTRUNE_SIGN_PFX and KESTRUNE_SIGN_PASSWORD to sign the DLLs and MSIs"
check "dist again: the same zip, byte for byte (reproducible)" cmp "dist/$name.zip" "$scratch/again/$name.zip"
# wixl writes a random package code and the clock's times in each MSI's summary, and
# the cabinet takes the files' times: the same bytes mean build_msi.sh pinned all three.
for arch in x86 x64; do
  check "dist again: the same $name-$arch.msi, byte for byte (reproducible)" \
    cmp "dist/$name-$arch.msi" "$scratch/again/$name-$arch.msi"
done
# What build_msi.sh wrote there must still read as a summary, with the commit's time and
# a package code of each package's own.
summary_of() { msiinfo suminfo "$1" 2>&1 | sed -n 's/^\(Revision number (UUID)\|Created\|Last saved\): //p'; }
commit_time=$(LC_ALL=C date -d "@${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}" '+%a %b %e %H:%M:%S %Y')
x86_summary=$(summary_of "dist/$name-x86.msi")
x64_summary=$(summary_of "dist/$name-x64.msi")
check "the MSIs' summaries read back with the last commit's time and package codes of their own" same \
  "$(printf '%s\n' x86 "$commit_time" "$commit_time" x64 "$commit_time" "$commit_time")" \
  "$(printf '%s\n' x86 "$(sed 1d <<<"$x86_summary")" x64 "$(sed 1d <<<"$x64_summary")")"
check "the two MSIs have different package codes" \
  test "$(head -n 1 <<<"$x86_summary")" != "$(head -n 1 <<<"$x64_summary")"

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/key.pem" -out "$keys/cert.pem" -days 2 \
  -subj "/O=Kestrune test/CN=Kestrune throwaway signer" >/dev/null 2>&1
openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -out "$keys/sign.pfx" \
  -passout pass:throwaway >/dev/null 2>&1
run_dist "$scratch/signed" KESTRUNE_SIGN_PFX="$keys/sign.pfx" KESTRUNE_SIGN_PASSWORD=throwaway
check "dist with a key: names the certificate's subject" dist_said 0 \
  "dist: signed x86\\Kestrune.dll and x64\\Kestrune.dll as CN=Kestrune throwaway signer,O=Kestrune test"
for folder in x86 x64; do
  check "dist with a key: osslsigncode verify accepts $folder\\Kestrune.dll" \
    verified "$scratch/signed/$name/$folder/Kestrune.dll"
done
check "dist with a key: SHA256SUMS holds the signed DLLs' sums" sums_match "$scratch/signed/$name"
check "dist with a key: names the certificate's subject for the MSIs too" dist_said 0 \
  "dist: signed $name-x86.msi and $name-x64.msi as CN=Kestrune throwaway signer,O=Kestrune test"
for arch in x86 x64; do
  check "dist with a key: osslsigncode verify accepts $name-$arch.msi" verified "$scratch/signed/$name-$arch.msi"
done
check "dist with a key: the SHA256SUMS beside them holds the signed MSIs' sums" sums_match "$scratch/signed"
run_dist "$scratch/bad-password" KESTRUNE_SIGN_PFX="$keys/sign.pfx" KESTRUNE_SIGN_PASSWORD=wrong
check "dist with a wrong password: fails, and says so" dist_said 1 \
  "dist: no certificate readable in $keys/sign.pfx with KESTRUNE_SIGN_PASSWORD"
stop_signing_checks
