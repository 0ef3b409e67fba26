#!/bin/sh
# verify.sh <exe> <builds>: says in one line whether exe, with any Authenticode signature
# taken off, is this checkout's build of drvplant, drvremove or drvcreate for its architecture (under
# <builds>/x86, x64 or arm64), whatever the file is called.
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
case $(llvm-readobj-14 --file-headers "$scratch/unsigned.exe" 2>/dev/null | sed -n 's/^ *Machine: //p') in
IMAGE_FILE_MACHINE_I386*) arch=x86 ;;
IMAGE_FILE_MACHINE_AMD64*) arch=x64 ;;
IMAGE_FILE_MACHINE_ARM64*) arch=arm64 ;;
*) echo "$file: not an x86, x64 or ARM64 Windows program"; exit 1 ;;
esac
# Signing fills in the header's checksum where the linker left none (lld leaves 0), and
# taking the signature off keeps it: compare all but those four bytes, which are derived
# from all the others anyway.
without_checksum() {
    cp "$1" "$2"
    header=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
    dd if=/dev/zero of="$2" bs=1 seek=$((header + 88)) count=4 conv=notrunc 2>/dev/null
}
without_checksum "$scratch/unsigned.exe" "$scratch/copy.exe"
for program in drvplant drvremove drvcreate; do
    without_checksum "$builds/$arch/$program.exe" "$scratch/built.exe"
    if cmp -s "$scratch/copy.exe" "$scratch/built.exe"; then
        echo "$file: $program $version $arch, the build of this checkout"
        exit 0
    fi
done
echo "$file: not drvplant, drvremove or drvcreate $version $arch as this checkout builds them"
exit 1
