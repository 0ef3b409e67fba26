#!/bin/sh
# Each shipped exe: a GUI program for the expected machine that imports only KERNEL32 and
# msvcrt (KnownDLLs, never looked for beside the exe), is at most 17.5 KB, has no time
# stamp, and carries its hardening: ASLR with relocations, DEP, no writable code, a stack
# cookie the loader randomises, NO_SEH on x86, high-entropy ASLR and CFG on x64 and ARM64,
# CET on x64, subsystem versions that Windows XP (x64) still runs, and on x64 and ARM64
# unwind data for every function that calls or moves the stack pointer (without it no
# debugger or crash dump can walk the stack). That the cookie acts is shown under Wine by
# the Wine suite's overrun test.
# Usage: exe_shape.sh <build directory> ARM64|I386|AMD64 [exe name, default all three]
set -u
build=$1
machine=$2
if [ -z "${3:-}" ]; then
    status=0
    for name in drvplant drvremove drvcreate; do "$0" "$build" "$machine" "$name" || status=1; done
    exit $status
fi
name=$3
exe="$build/$name.exe"
limit=17920
failed=0
fail() { echo "exe shape: $name.exe: $*"; failed=1; }
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

# Unwind entries (x64: start and end; ARM64: start and length), then every call, push or
# stack allocation in the code: each must lie inside an entry. A leaf that leaves the
# stack alone (an import thunk, DispatchUnchecked, __chkstk) needs none.
unwind=
case $machine in AMD64 | ARM64)
    [ "$(number ExceptionTableSize)" -gt 0 ] || fail "no exception directory: no unwind data"
    entry=$(($(number ImageBase) + $(number AddressOfEntryPoint)))
    unwind=$({ llvm-readobj-14 --unwind "$exe"; echo '=='; llvm-objdump-14 -d --no-show-raw-insn "$exe"; } |
        awk -v entry="$entry" '
        function hex(s, i, n) {
            s = tolower(s); gsub(/[():]/, "", s); sub(/^0x/, "", s); n = 0
            for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
            return n
        }
        $0 == "==" { code = 1; next }
        !code && /^    (StartAddress|Function):/ { start[++n] = hex($NF) }
        !code && /^    EndAddress:/ { end[n] = hex($NF) }
        !code && /^ *FunctionLength:/ && !(n in end) { end[n] = start[n] + $NF }
        code && ($2 == "callq" || $2 == "pushq" || ($2 == "subq" && $NF == "%rsp") ||
                 $2 == "bl" || $2 == "blr" || ($2 == "sub" && $3 == "sp,") || /\[sp, #-[0-9]+\]!/) {
            frames++; a = hex($1)
            for (i = 1; i <= n && !(start[i] <= a && a < end[i]); i++) ;
            if (i > n) print "missing", $1
        }
        END {
            for (i = 1; i <= n && start[i] != entry; i++) ;
            if (i <= n) print "entry"
            print "entries", n + 0, frames + 0
        }')
    entries=$(echo "$unwind" | sed -n 's/^entries \([0-9]*\) .*/\1/p')
    frames=$(echo "$unwind" | sed -n 's/^entries [0-9]* //p')
    [ "${frames:-0}" -gt 0 ] || fail "no call or stack move found: the disassembly is not as expected"
    echo "$unwind" | grep -qx entry || fail "no unwind entry starts at the entry point"
    missing=$(echo "$unwind" | sed -n 's/^missing //p' | tr -d :)
    [ -z "$missing" ] || fail "$(echo "$missing" | wc -l) calls or stack moves outside every" \
        "unwind entry, the first at 0x$(echo "$missing" | head -n 1)"
    unwind=", unwind data ($entries entries over $frames calls and stack moves)"
    ;;
esac
echo "exe shape: $name.exe, $machine, $size bytes (limit $limit), imports: ${imports% }," \
    "checked: relocations cookie DYNAMIC_BASE NX_COMPAT $flags, subsystem $version$unwind"
exit $failed
