#!/bin/sh
# The shipped exe: a GUI program for the expected machine that imports only KERNEL32 and
# msvcrt (KnownDLLs, never looked for beside the exe), is at most 16 KB, has no time
# stamp, and carries its hardening: ASLR with relocations, DEP, no writable code, a stack
# cookie the loader randomises, NO_SEH on x86, high-entropy ASLR and CFG on x64 and ARM64,
# CET on x64, and subsystem versions that Windows XP (x64) still runs. That the cookie
# acts is shown under Wine by the Wine suite's overrun test.
# Usage: exe_shape.sh <build directory> ARM64|I386|AMD64
set -u
build=$1
machine=$2
exe="$build/drvplant.exe"
limit=16384
failed=0
fail() { echo "exe shape: $*"; failed=1; }
field() { echo "$headers" | sed -n "s/^ *$1: //p"; }
number() { value=$(field "$1"); echo $((${value:-0})); }

# llvm-readobj reads all three machines (binutils' objdump here knows no ARM64 PE).
headers=$(llvm-readobj-14 --file-headers --coff-imports --coff-load-config --coff-debug-directory "$exe")
echo "$headers" | grep -q "Machine: IMAGE_FILE_MACHINE_$machine " || fail "not an $machine image"
echo "$headers" | grep -q 'Subsystem: IMAGE_SUBSYSTEM_WINDOWS_GUI ' || fail "not a GUI-subsystem program"
imports=$(field Name | sort -f | tr '\n' ' ')
[ "$imports" = "KERNEL32.dll msvcrt.dll " ] || fail "imports are: $imports"
size=$(stat -c %s "$exe")
[ "$size" -le "$limit" ] || fail "$size bytes, more than $limit"
field TimeDateStamp | grep -qv '(0x0)$' && fail "a time stamp: the bytes would differ per build"

case $machine in
I386) flags="NO_SEH" floor=501 ;;
AMD64) flags="HIGH_ENTROPY_VA GUARD_CF EX_CET_COMPAT" floor=502 ;;
*) flags="HIGH_ENTROPY_VA GUARD_CF" floor=1000 ;;
esac
for flag in DYNAMIC_BASE NX_COMPAT $flags; do
    echo "$headers" | grep -q "IMAGE_DLL_CHARACTERISTICS_$flag " || fail "no $flag"
done
[ "$(number BaseRelocationTableSize)" -gt 0 ] || fail "no relocations"
[ "$(number SecurityCookie)" -ne 0 ] || fail "no stack cookie in the load configuration"
case $flags in *GUARD_CF*) [ $(($(number GuardFlags) & 0x100)) -ne 0 ] || fail "code not instrumented for CFG" ;; esac
version=$(field MajorSubsystemVersion).$(field MinorSubsystemVersion)
[ $((${version%.*} * 100 + ${version#*.})) -le $floor ] || fail "subsystem version $version: too new"
wx=$(llvm-readobj-14 --sections "$exe" |
    awk '/^ *Name: /{n=$2} /MEM_EXECUTE/{x[n]} /MEM_WRITE/{w[n]} END{for (s in x) if (s in w) print s}')
[ -z "$wx" ] || fail "writable code: $wx"
echo "exe shape: $machine, $size bytes (limit $limit), imports: ${imports% }," \
    "checked: relocations cookie DYNAMIC_BASE NX_COMPAT $flags, subsystem $version"
exit $failed
