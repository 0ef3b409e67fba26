#!/bin/sh
# Runs the integration suite against the drvplant.exe in build directory $1 (x86, x64, or
# arm64 under the arm64 Wine of an arm64 Debian root), in a throwaway Wine prefix, once
# per locale whose code page the suite needs, and once more per Windows version; reads
# back the exe's manifest and version resource, and sees its stack cookie at work. With $2, only the cases whose name
# contains it run, and a $2 that no case matches fails. Each case prints "ok" or "FAIL" with
# its group and name.
set -u
build=$(cd "$1" && pwd)
case=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/prefix.sh"
if [ "$(basename "$build")" = arm64 ]; then
    . "$here/arm64-wine.sh"
    use_arm64_wine "$(cd "$here/../.." && pwd)" "$build"
    trap leave_arm64_wine EXIT
fi
status=0 matched=
# run LOCALE PROGRAM [ARGUMENT...]: one of the suite's programs, with the case filter last.
# Status 3 (kNoCaseMatched in the kit): the filter matched none of its cases. A program that
# failed counts as matched: its failure fails the run already.
run() {
    locale=$1 program=$2
    shift 2
    LC_ALL="$locale.UTF-8" wine "$build/tests/wine/$program.exe" "$@" "$case"
    ended=$?
    [ $ended = 3 ] && [ -n "$case" ] && return
    matched=yes
    [ $ended = 0 ] || status=1
}
suite() { # locale group
    run "$1" suite "$(winepath -w "$build/drvplant.exe")" "$2"
}
# as_version VERSION: what follows runs as that Windows version, or the run fails.
as_version() {
    echo "as $1:"
    wine winecfg -v "$1" || { echo "FAIL switching Wine to $1"; status=1; return 1; }
}
fresh_prefix "$build/wineprefix"
for group in en_US:english zh_CN:chinese ja_JP:japanese en_US:removal; do
    suite "${group%%:*}" "${group#*:}"
done
run en_US identity "$(winepath -w "$build/drvplant.exe")"
run en_US identity "$(winepath -w "$build/drvremove.exe")"
run en_US mitigations
# The prefix plays Windows 7; the English cases again as Windows 10, and for the x86 exe as
# Windows XP, which needs a 32-bit prefix.
as_version win10 && suite en_US english
wineserver -k
if [ "$(basename "$build")" = x86 ]; then
    export WINEARCH=win32
    fresh_prefix "$build/wineprefix-xp"
    as_version winxp && suite en_US english
    wineserver -k
fi
if [ -n "$case" ] && [ -z "$matched" ]; then
    echo "FAIL no case matches \"$case\""
    status=1
fi
exit $status
