#!/bin/sh
# verify.sh <exe> <builds>: says in one line whether exe, with any Authenticode signature
# taken off, is this checkout's build of its architecture (under <builds>/x86 or x64).
# Exits 0 when it is, 1 when it is not.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
file=$1
builds=$2
version=$(sed -n 's/^project(drvplant VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# An unsigned file has no signature to remove; it is compared as it is.
osslsigncode remove-signature -in "$file" -out "$scratch/unsigned.exe" >/dev/null 2>&1 ||
    cp "$file" "$scratch/unsigned.exe"
case $(x86_64-w64-mingw32-objdump -f "$scratch/unsigned.exe" 2>/dev/null | sed -n 's/.*file format //p') in
pei-i386) arch=x86 ;;
pei-x86-64) arch=x64 ;;
*) echo "$file: not drvplant $version: not an x86 or x64 Windows program"; exit 1 ;;
esac
if cmp -s "$scratch/unsigned.exe" "$builds/$arch/drvplant.exe"; then
    echo "$file: drvplant $version $arch, the build of this checkout"
else
    echo "$file: not drvplant $version $arch as this checkout builds it"
    exit 1
fi
