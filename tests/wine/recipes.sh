#!/bin/sh
# Runs the README's batch-file and NSIS recipes as written, under 64-bit Wine, with the
# exes of build directories $1 (x86), $2 (x64) and $3 (arm64) in the layout the README
# gives: once
# with no device (the INF must be pre-installed) and once with the device present (the
# driver must be forced onto it).
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
x86=$(cd "$1" && pwd)
x64=$(cd "$2" && pwd)
arm64=$(cd "$3" && pwd)
. "$root/tests/wine/prefix.sh"
fresh_prefix "$x64/recipes-prefix"
export LC_ALL=en_US.UTF-8
stage="$WINEPREFIX/drive_c/recipes"
failed=0
fail() { echo "recipes: $*"; failed=1; }

# The fenced block of the given language that follows the README heading.
recipe() {
    awk -v heading="$1" -v fence="\`\`\`$2" '
        $0 == heading { found = 1; next }
        found && $0 == fence { inside = 1; next }
        inside && $0 == "```" { exit }
        inside { print }' "$root/README.md"
}

mkdir -p "$stage/driver/x86" "$stage/driver/x64" "$stage/driver/arm64"
# The sample INF, made to serve the README's example device.
sed 's/ROOT\\DRVPLANT_DEMO/USB\\VID_1234\&PID_5678/' "$root/examples/drvplant-demo.inf" \
    >"$stage/driver/mydev.inf"
printf 'not a real driver' >"$stage/driver/mydev.sys"
printf 'not a real catalog' >"$stage/driver/mydev.cat"
cp "$x86/drvplant.exe" "$stage/driver/x86/"
cp "$x64/drvplant.exe" "$stage/driver/x64/"
cp "$arm64/drvplant.exe" "$stage/driver/arm64/"
recipe '### A batch file' bat | sed 's/$/\r/' >"$stage/install.cmd"
{
    echo 'Name "drvplant recipe"'
    echo 'OutFile "setup.exe"'
    echo 'InstallDir "C:\installed"'
    recipe '### NSIS' nsis
} >"$stage/setup.nsi"
(cd "$stage" && makensis -V1 setup.nsi) || fail "the NSIS recipe does not compile"

landed_inf() { [ -f "$WINEPREFIX/drive_c/windows/inf/mydev.inf" ]; }
forced() { wine reg query 'HKLM\Software\drvplant-demo' /reg:64 >/dev/null 2>&1; }
forget() {
    rm -f "$WINEPREFIX/drive_c/windows/inf/mydev.inf"
    wine reg delete 'HKLM\Software\drvplant-demo' /f /reg:64 >/dev/null 2>&1
}

for device in absent present; do
    if [ $device = present ]; then
        wine "$x64/tests/wine/add_device.exe" 'USB\VID_1234&PID_5678' >/dev/null ||
            fail "could not attach the device"
    fi
    for run in 'batch file:cmd /c C:\recipes\install.cmd' 'NSIS:C:\recipes\setup.exe /S'; do
        name=${run%%:*}
        forget
        status=0
        wine ${run#*:} >/dev/null 2>&1 || status=$?
        [ $status = 0 ] || fail "$name, device $device: exit status $status"
        if [ $device = present ]; then
            forced || fail "$name, device present: the driver was not forced on"
        else
            landed_inf || fail "$name, device absent: the INF was not pre-installed"
            forced && fail "$name, device absent: a driver was forced on"
        fi
        echo "recipes: $name, device $device: status $status"
    done
done
# An x64 machine gets the x64 exe.
[ -f "$WINEPREFIX/drive_c/installed/driver/x64/drvplant.exe" ] &&
    [ ! -e "$WINEPREFIX/drive_c/installed/driver/x86" ] &&
    [ ! -e "$WINEPREFIX/drive_c/installed/driver/arm64" ] || fail "NSIS: not the x64 exe alone"
# A failure reaches the caller: without the INF, drvplant ends with 2 and so does the file.
rm "$stage/driver/mydev.inf"
status=0
wine cmd /c 'C:\recipes\install.cmd' >/dev/null 2>&1 || status=$?
[ $status = 2 ] || fail "batch file, INF missing: exit status $status"
echo "recipes: batch file, INF missing: status $status"
wineserver -k
exit $failed
