#!/bin/sh
# Signs the release as an author would, with a throwaway self-signed code-signing
# certificate: once from a PKCS#12 file and once from a PKCS#11 token (SoftHSM standing in
# for a hardware one). Each time it checks that every signature verifies against that
# certificate, that SHA256SUMS lists the signed files, and that make verify accepts each
# signed exe as this checkout's build of its architecture and refuses it once a byte is
# changed.
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

# check_release KIND: makes the signed release with the SIGN_ settings in the environment.
check_release() {
    rm -rf "$scratch/dist" "$scratch"/drvplant-*
    "$root/tools/dist.sh" "$builds" "$scratch/dist" >/dev/null
    "$root/tests/release/check_dist.sh" "$scratch"/dist/drvplant-*.zip "$builds" >/dev/null ||
        fail "$1: the signed archive does not check out"
    (cd "$scratch" && cmake -E tar xf dist/drvplant-*.zip)
    top=$(echo "$scratch"/drvplant-*)
    for file in x86/drvplant x64/drvplant arm64/drvplant x86/drvremove x64/drvremove arm64/drvremove \
        x86/drvcreate x64/drvcreate arm64/drvcreate; do
        arch=${file%/*} exe=$top/$file.exe
        osslsigncode verify -CAfile "$scratch/cert.pem" -in "$exe" >"$scratch/verify.log" 2>&1 ||
            { cat "$scratch/verify.log"; fail "$1, $arch: the signature does not verify"; }
        cmp -s "$exe" "$builds/$file.exe" && fail "$1, $arch: the archive's exe is not signed"
        grep -q "^$(sha256sum <"$exe" | cut -c1-64)  $file.exe\$" "$top/SHA256SUMS" ||
            fail "$1, $arch: SHA256SUMS does not list the signed exe"
        make -s -C "$root" verify FILE="$exe" | grep -q " ${file#*/} .* $arch, the build of this checkout" ||
            fail "$1, $arch: make verify refuses the signed exe"
        cp "$exe" "$scratch/changed.exe"
        printf 'X' | dd of="$scratch/changed.exe" bs=1 seek=1024 conv=notrunc 2>/dev/null
        make -s -C "$root" verify FILE="$scratch/changed.exe" >/dev/null 2>&1 &&
            fail "$1, $arch: make verify accepts a changed byte"
    done
    echo "signing: $1: each exe's signature verifies; make verify accepts it, and refuses a changed byte"
}

openssl pkcs12 -export -inkey "$scratch/key.pem" -in "$scratch/cert.pem" \
    -passout "file:$scratch/password" -out "$scratch/signer.p12"
SIGN_PKCS12="$scratch/signer.p12" SIGN_PASSWORD_FILE="$scratch/password" check_release "PKCS#12 file"

mkdir "$scratch/tokens"
printf 'directories.tokendir = %s/tokens\n' "$scratch" >"$scratch/softhsm2.conf"
export SOFTHSM2_CONF="$scratch/softhsm2.conf"
printf '1234' >"$scratch/pin"
softhsm2-util --init-token --free --label drvplant --pin 1234 --so-pin 5678 >/dev/null
openssl pkcs8 -topk8 -nocrypt -in "$scratch/key.pem" -out "$scratch/key.p8"
softhsm2-util --import "$scratch/key.p8" --token drvplant --label signer --id 01 --pin 1234 >/dev/null
SIGN_PKCS11_MODULE=/usr/lib/softhsm/libsofthsm2.so SIGN_KEY='pkcs11:token=drvplant;object=signer;type=private' \
    SIGN_CERTS="$scratch/cert.pem" SIGN_PASSWORD_FILE="$scratch/pin" check_release "PKCS#11 token"
exit $failed
