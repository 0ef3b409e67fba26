#!/bin/sh
# The shipped exe: a GUI program for the expected machine that imports only KERNEL32 and
# msvcrt (KnownDLLs, never looked for beside the exe) and is at most 12 KB.
# Usage: exe_shape.sh <build directory> ARM64|I386|AMD64
set -u
build=$1
machine=$2
exe="$build/drvplant.exe"
limit=12288
failed=0
fail() { echo "exe shape: $*"; failed=1; }

# llvm-readobj reads all three machines (binutils' objdump here knows no ARM64 PE).
headers=$(llvm-readobj-14 --file-headers --coff-imports "$exe")
echo "$headers" | grep -q "Machine: IMAGE_FILE_MACHINE_$machine " || fail "not an $machine image"
echo "$headers" | grep -q 'Subsystem: IMAGE_SUBSYSTEM_WINDOWS_GUI ' || fail "not a GUI-subsystem program"
imports=$(echo "$headers" | sed -n 's/^ *Name: //p' | sort -f | tr '\n' ' ')
[ "$imports" = "KERNEL32.dll msvcrt.dll " ] || fail "imports are: $imports"
size=$(stat -c %s "$exe")
[ "$size" -le "$limit" ] || fail "$size bytes, more than $limit"
echo "exe shape: $machine, $size bytes (limit $limit), imports: $imports"
exit $failed
