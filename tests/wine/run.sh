#!/bin/sh
# Runs the integration suite against the drvplant.exe in build directory $1 (x86, x64, or
# arm64 under the arm64 Wine of an arm64 Debian root), in a throwaway Wine prefix, once
# per locale whose code page the suite needs; then reads
# back the exe's manifest and version resource. With $2, only the cases whose name
# contains it run. Each case prints "ok" or "FAIL" with its group and name.
set -u
build=$(cd "$1" && pwd)
case=${2:-}
support=$(cd "$(dirname "$0")/../support" && pwd)
. "$support/prefix.sh"
if [ "$(basename "$build")" = arm64 ]; then
    . "$support/arm64-wine.sh"
    use_arm64_wine "$(cd "$support/../.." && pwd)" "$build"
    trap leave_arm64_wine EXIT
fi
fresh_prefix "$build/wineprefix"
drvplant=$(winepath -w "$build/drvplant.exe")
status=0
for run in en_US:english zh_CN:chinese ja_JP:japanese; do
    LC_ALL="${run%%:*}.UTF-8" wine "$build/tests/wine/suite.exe" "$drvplant" "${run#*:}" "$case" ||
        status=1
done
LC_ALL=en_US.UTF-8 wine "$build/tests/wine/identity.exe" "$drvplant" "$case" || status=1
wineserver -k
exit $status
