#!/bin/sh
# run.sh [--wine 10] BUILD [CASE]
# Runs the groups of groups.list against the exes in BUILD (x86, x64, arm64) in a throwaway
# prefix under Debian 12's Wine 8 (arm64: in an arm64 root), or Debian 13's Wine 10 in a
# root: only the cases whose name contains CASE, and a CASE that none matches fails.
set -u
wine=8
[ "$1" = --wine ] && { wine=$2; shift 2; }
build=$(cd "$1" && pwd)
case=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
arch=$(basename "$build")
# groups [VERSION]: "group locale program exe cases" for each group of groups.list that runs
# again as VERSION (all of them without one), with its cases whose name contains CASE.
groups() {
    awk -v version="${1:-}" -v filter="$case" -v arch="$arch" '
        function done() { if (head != "" && cases != "") print head cases }
        /^#/ || NF == 0 { next }
        /^[^ ]/ {
            done()
            again = " "
            for (i = 5; i <= NF; i++) again = again $i " "
            head = version == "" || index(again, " " version " ") ? $1 " " $2 " " $3 " " $4 : ""
            if (index(again, " only-") && !index(again, " only-" arch " ")) head = ""
            cases = ""
            next
        }
        filter == "" || index($1, filter) { cases = cases " " $1 }
        END { done() }' "$here/groups.list"
}
[ -n "$(groups)" ] || { echo "FAIL no case matches \"$case\""; exit 1; }
. "$here/prefix.sh"
[ "$arch" != x86 ] || ! skips_32_bit_programs || exit 0
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
status=0
# run_groups [VERSION]: the groups that run as VERSION, or all of them as the prefix is.
run_groups() {
    listed=$(groups "$@")
    [ -n "$listed" ] || return 0
    [ $# = 0 ] || echo "as $1:"
    [ $# = 0 ] || wine winecfg -v "$1" || { echo "FAIL switching Wine to $1"; status=1; return; }
    while read -r group locale program exe cases; do
        [ "$exe" = - ] && exe= || exe=$(winepath -w "$build/$exe")
        LC_ALL="$locale.UTF-8" wine "$build/tests/wine/$program.exe" "$group" "$exe" "$case" "$cases" ||
            status=1
    done <<LISTED
$listed
LISTED
}
fresh_prefix "$prefixes"
run_groups
run_groups win10
wineserver -k
if [ "$arch" = x86 ] && [ -n "$(groups winxp)" ]; then
    export WINEARCH=win32
    fresh_prefix "$prefixes-xp"
    run_groups winxp
    wineserver -k
fi
exit $status
