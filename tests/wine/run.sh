#!/bin/sh
# run.sh [--wine 10] BUILD [CASE]
# Runs the integration suite against the exes in build directory BUILD (x86, x64, or arm64
# under the arm64 Wine of an arm64 Debian root), in a throwaway Wine prefix, once per
# locale whose code page the suite needs, and once more per Windows version; reads back
# the exes' manifests and version resources, and sees the stack cookie at work. The Wine
# is the host's, Debian 12's Wine 8; with --wine 10, Debian 13's Wine 10 from a Debian
# root (x86 and x64). With CASE, only the cases whose name contains it run, and a CASE
# that no case matches fails. Each case prints "ok", "FAIL", or "gap" (what this Wine
# cannot show, from the kit's table of gaps) with its group and name.
set -u
wine=8
[ "$1" = --wine ] && { wine=$2; shift 2; }
build=$(cd "$1" && pwd)
case=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
arch=$(basename "$build")
. "$here/prefix.sh"
case $wine-$arch in
8-arm64) root=arm64 prefixes=$build/wineprefix ;;
8-*) root= prefixes=$build/wineprefix ;;
10-x86 | 10-x64) root=wine10 prefixes=$build/wine10-prefix ;;
*) echo "FAIL no Wine $wine for $arch here"; exit 1 ;;
esac
if [ -n "$root" ]; then
    . "$here/root-wine.sh"
    use_root_wine "$(cd "$here/../.." && pwd)" "$build" $root
    trap leave_root_wine EXIT
fi
echo "$arch exes under $(wine --version 2>/dev/null)"
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
fresh_prefix "$prefixes"
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
    fresh_prefix "$prefixes-xp"
    as_version winxp && suite en_US english
    wineserver -k
fi
if [ -n "$case" ] && [ -z "$matched" ]; then
    echo "FAIL no case matches \"$case\""
    status=1
fi
exit $status
