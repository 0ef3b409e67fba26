#!/bin/sh
# Signs the release with a throwaway self-signed code-signing certificate, as an author
# would with their own, then checks: each signature verifies against that certificate,
# SHA256SUMS lists the signed files, make verify accepts each signed exe as this
# checkout's build of its architecture, and refuses it once a byte is changed.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
builds=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() { echo "signing: $*"; failed=1; }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=drvplant test signer" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$scratch/key.pem" -out "$scratch/cert.pem" 2>/dev/null
printf 'throwaway password' >"$scratch/password"
openssl pkcs12 -export -inkey "$scratch/key.pem" -in "$scratch/cert.pem" \
    -passout "file:$scratch/password" -out "$scratch/signer.p12"

SIGN_PKCS12="$scratch/signer.p12" SIGN_PASSWORD_FILE="$scratch/password" \
    "$root/tools/dist.sh" "$builds" "$scratch/dist" >/dev/null
"$root/tests/release/check_dist.sh" "$scratch"/dist/drvplant-*.zip "$builds" >/dev/null ||
    fail "the signed archive does not check out"
(cd "$scratch" && cmake -E tar xf dist/drvplant-*.zip)
top=$(echo "$scratch"/drvplant-*)
for arch in x86 x64 arm64; do
    exe=$top/$arch/drvplant.exe
    osslsigncode verify -CAfile "$scratch/cert.pem" -in "$exe" >"$scratch/verify.log" 2>&1 ||
        { cat "$scratch/verify.log"; fail "$arch: the signature does not verify"; }
    cmp -s "$exe" "$builds/$arch/drvplant.exe" && fail "$arch: the archive's exe is not signed"
    grep -q "^$(sha256sum <"$exe" | cut -c1-64)  $arch/drvplant.exe\$" "$top/SHA256SUMS" ||
        fail "$arch: SHA256SUMS does not list the signed exe"
    make -s -C "$root" verify FILE="$exe" | grep -q " $arch, the build of this checkout" ||
        fail "$arch: make verify refuses the signed exe"
    cp "$exe" "$scratch/changed.exe"
    printf 'X' | dd of="$scratch/changed.exe" bs=1 seek=1024 conv=notrunc 2>/dev/null
    make -s -C "$root" verify FILE="$scratch/changed.exe" >/dev/null 2>&1 &&
        fail "$arch: make verify accepts a changed byte"
    echo "signing: $arch: signature verifies; make verify accepts it, and refuses a changed byte"
done
exit $failed
