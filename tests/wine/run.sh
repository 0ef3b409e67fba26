#!/bin/sh
# Runs the integration suite against the drvplant.exe in build directory $1 (x86 or x64),
# in a throwaway Wine prefix, once per locale whose code page the suite needs; then reads
# back the exe's manifest and version resource.
set -u
build=$(cd "$1" && pwd)
. "$(dirname "$0")/prefix.sh"
fresh_prefix "$build/wineprefix"
drvplant=$(winepath -w "$build/drvplant.exe")
status=0
for run in en_US:english zh_CN:chinese ja_JP:japanese; do
    LC_ALL="${run%%:*}.UTF-8" wine "$build/tests/wine/suite.exe" "$drvplant" "${run#*:}" || status=1
done
LC_ALL=en_US.UTF-8 wine "$build/tests/wine/identity.exe" "$drvplant" || status=1
wineserver -k
exit $status
