#!/bin/sh
# Benchmarks the drvplant.exe of build directory $1 against the reference program in a
# throwaway Wine prefix with $2 present devices (timed at half and at all), $3 pairs.
set -eu
build=$(cd "$1" && pwd)
devices=$2
pairs=$3
examples=$(cd "$(dirname "$0")/../examples" && pwd)
. "$(dirname "$0")/../tests/wine/prefix.sh"
fresh_prefix "$build/bench-prefix"
export LC_ALL=en_US.UTF-8
mkdir -p "$WINEPREFIX/drive_c/bench"
cp "$build/drvplant.exe" "$build/bench/reference.exe" "$examples/drvplant-demo.inf" \
    "$WINEPREFIX/drive_c/bench/"
status=0
wine "$build/bench/bench.exe" 'C:\bench\drvplant.exe' 'C:\bench\reference.exe' \
    "$devices" "$pairs" || status=$?
wineserver -k
exit $status
