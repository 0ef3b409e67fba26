#!/bin/sh
# Benchmarks the drvplant.exe of build directory $1 against the reference program in a
# throwaway Wine prefix with $2 present devices (timed at half and at all), $3 pairs.
set -eu
build=$(cd "$1" && pwd)
devices=$2
pairs=$3
examples=$(cd "$(dirname "$0")/../../examples" && pwd)
export WINEPREFIX="$build/bench-prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
export LC_ALL=en_US.UTF-8
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -k
mkdir -p "$WINEPREFIX/drive_c/bench"
cp "$build/drvplant.exe" "$build/tests/bench/reference.exe" "$examples/drvplant-demo.inf" \
    "$WINEPREFIX/drive_c/bench/"
status=0
wine "$build/tests/bench/bench.exe" 'C:\bench\drvplant.exe' 'C:\bench\reference.exe' \
    "$devices" "$pairs" || status=$?
wineserver -k
exit $status
