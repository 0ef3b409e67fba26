#!/bin/sh
# Shows both jobs of drvplant.exe (from build directory $1) in a throwaway Wine prefix:
# forcing the sample driver onto a present device, and pre-installing it for a device
# that is not there; then drvremove.exe taking out what drvplant put in.
set -eu
build=$(cd "$1" && pwd)
examples=$(cd "$(dirname "$0")" && pwd)
. "$examples/../tests/wine/prefix.sh"
echo "== A fresh Wine prefix"
fresh_prefix "$build/demo-prefix"
export LC_ALL=en_US.UTF-8
mkdir -p "$WINEPREFIX/drive_c/demo"
cp "$build/drvplant.exe" "$build/drvremove.exe" "$examples/drvplant-demo.inf" "$WINEPREFIX/drive_c/demo/"

echo "== Attach a virtual device with hardware ID ROOT\\DRVPLANT_DEMO"
wine "$build/tests/wine/add_device.exe" 'ROOT\DRVPLANT_DEMO' >/dev/null

run() { # program, arguments
    program=$1
    shift
    echo "\$ $program $*"
    status=0
    wine "C:\\demo\\$program" "$@" >"$build/demo-output.txt" || status=$?
    tr -d '\r' <"$build/demo-output.txt" | sed 's/^/    /'
    echo "exit status: $status"
}

echo
echo "== 1. The device is present: the driver is forced onto it"
run drvplant.exe drvplant-demo.inf 'ROOT\DRVPLANT_DEMO'
echo "What landed: the install section's registry value"
wine reg query 'HKLM\Software\drvplant-demo' /v Installed /reg:32 2>/dev/null | tr -d '\r' | sed -n 's/^ *\(..*\)/    \1/p'

echo
echo "== 2. No such device: the INF is placed among the OEM INFs"
# A file of its own under the INF's name: Wine then names the copy oemN.inf, as Windows does.
echo '; another INF' >"$WINEPREFIX/drive_c/windows/inf/drvplant-demo.inf"
rm -f "$WINEPREFIX"/drive_c/windows/inf/oem*.inf
run drvplant.exe drvplant-demo.inf 'USB\VID_FFFF&PID_0001'
echo "What landed: the copies in C:\\windows\\inf"
ls "$WINEPREFIX"/drive_c/windows/inf/oem*.inf | sed 's|.*/|    |'

echo
echo "== 3. The uninstaller: drvremove takes the copy out again (Wine deletes it only with /force)"
run drvremove.exe drvplant-demo.inf /force
left=$(ls "$WINEPREFIX"/drive_c/windows/inf/oem*.inf 2>/dev/null | sed 's|.*/|    |')
echo "What is left of the copies:"
echo "${left:-    none}"
wineserver -k
