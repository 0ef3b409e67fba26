#!/bin/sh
# Runs the integration suite against the drvplant.exe in build directory $1 (x86 or x64),
# in a throwaway Wine prefix, once per locale whose code page the suite needs; then reads
# back the exe's manifest and version resource.
set -u
build=$(cd "$1" && pwd)
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
rm -rf "$WINEPREFIX"
LC_ALL=en_US.UTF-8 wineboot -i >/dev/null 2>&1
# The null display driver lets windows and the message box exist without an X server.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -k
drvplant=$(winepath -w "$build/drvplant.exe")
status=0
for run in en_US:english zh_CN:chinese ja_JP:japanese; do
    LC_ALL="${run%%:*}.UTF-8" wine "$build/tests/wine/suite.exe" "$drvplant" "${run#*:}" || status=1
done
LC_ALL=en_US.UTF-8 wine "$build/tests/wine/identity.exe" "$drvplant" || status=1
wineserver -k
exit $status
