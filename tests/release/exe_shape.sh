#!/bin/sh
# The shipped exe: a GUI program of the expected format that imports only KERNEL32 and
# msvcrt (KnownDLLs, never looked for beside the exe) and stays within 1.5x of MinGW's
# empty program built by the same toolchain.
# Usage: exe_shape.sh <build directory> pei-i386|pei-x86-64
set -u
build=$1
format=$2
exe="$build/drvplant.exe"
empty="$build/tests/release/empty_program.exe"
objdump=x86_64-w64-mingw32-objdump # reads both PE32 and PE32+
failed=0
fail() { echo "exe shape: $*"; failed=1; }

$objdump -p "$exe" | grep -q 'Subsystem.*Windows GUI' || fail "not a GUI-subsystem program"
$objdump -f "$exe" | grep -q "file format $format\$" || fail "not a $format image"
imports=$($objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -f | tr '\n' ' ')
[ "$imports" = "KERNEL32.dll msvcrt.dll " ] ||
    fail "imports are: $imports"
size=$(stat -c %s "$exe")
limit=$(( $(stat -c %s "$empty") * 3 / 2 ))
[ "$size" -le "$limit" ] || fail "$size bytes, more than $limit"
echo "exe shape: $format, $size bytes (limit $limit), imports: $imports"
exit $failed
