#!/bin/sh
# Runs the README's batch-file and NSIS recipes as written, both halves, under 64-bit Wine,
# with the exes of build directories $1 (x86), $2 (x64) and $3 (arm64) in the layout the
# README gives: the install half once with no device (the INF must be pre-installed) and
# once with the device present (the driver must be forced onto it), each time followed
# by the uninstall half; then how each script takes the statuses that drvremove can end
# with, and a failure of each program.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
x86=$(cd "$1" && pwd)
x64=$(cd "$2" && pwd)
arm64=$(cd "$3" && pwd)
. "$root/tests/wine/prefix.sh"
fresh_prefix "$x64/recipes-prefix"
export LC_ALL=en_US.UTF-8
stage="$WINEPREFIX/drive_c/recipes"
infs="$WINEPREFIX/drive_c/windows/inf"
installed="$WINEPREFIX/drive_c/installed"
failed=0
fail() { echo "recipes: $*"; failed=1; }

# The Nth (default first) fenced block of the given language after the README heading.
recipe() {
    awk -v heading="$1" -v fence="\`\`\`$2" -v wanted="${3:-1}" '
        $0 == heading { found = 1; next }
        found && !inside && $0 == fence { inside = 1; seen++; next }
        inside && $0 == "```" { if (seen == wanted) exit; inside = 0; next }
        inside && seen == wanted { print }' "$root/README.md"
}

# Runs a Windows command line through cmd and keeps what it printed in $out and the status
# it ended with in $status, read on the Windows side: the Unix side sees only its low 8
# bits (3010 arrives as 194).
run() {
    out=$(wine cmd /c "$1 & echo status %errorlevel%" 2>/dev/null | tr -d '\r')
    status=$(printf '%s\n' "$out" | sed -n 's/^status //p' | tail -n 1)
}

mkdir -p "$stage/driver/x86" "$stage/driver/x64" "$stage/driver/arm64"
# The sample INF, made to serve the README's example device.
sed 's/ROOT\\DRVPLANT_DEMO/USB\\VID_1234\&PID_5678/' "$root/examples/drvplant-demo.inf" \
    >"$stage/driver/mydev.inf"
printf 'not a real driver' >"$stage/driver/mydev.sys"
printf 'not a real catalog' >"$stage/driver/mydev.cat"
for arch in x86 x64 arm64; do
    eval "dir=\$$arch"
    for exe in drvplant.exe drvremove.exe; do
        cp "$dir/$exe" "$stage/driver/$arch/" || fail "no $exe in $dir"
    done
done
recipe '### A batch file' bat 1 | sed 's/$/\r/' >"$stage/install.cmd"
recipe '### A batch file' bat 2 | sed 's/$/\r/' >"$stage/uninstall.cmd"
grep -q drvremove "$stage/uninstall.cmd" || fail "the batch file's uninstall half is missing"
# The same halves with /force, the only way Wine 8 shows that a copy goes (see below).
sed 's/drvremove\.exe" \.\.\\mydev\.inf/& \/force/' "$stage/uninstall.cmd" \
    >"$stage/uninstall-force.cmd"
grep -q '/force' "$stage/uninstall-force.cmd" || fail "no drvremove line to add /force to"
for variant in setup setup-force; do
    {
        echo 'Name "drvplant recipe"'
        echo "OutFile \"$variant.exe\""
        echo 'InstallDir "C:\installed"'
        if [ $variant = setup ]; then
            recipe '### NSIS' nsis
        else
            recipe '### NSIS' nsis | sed 's/drvremove\.exe" \.\.\\mydev\.inf/& \/force/'
        fi
    } >"$stage/$variant.nsi"
    (cd "$stage" && makensis -V1 $variant.nsi) || fail "the NSIS recipe ($variant) does not compile"
done
grep -q '/force' "$stage/setup-force.nsi" || fail "no drvremove line in the NSIS recipe"
stub="$x64/tests/wine/exit_status.exe"

# Windows always names its copies oemNN.inf; Wine keeps the original name when it is free.
# A different file under that name makes Wine name the copies as Windows does, and
# drvremove must leave it alone.
decoy='; not the INF of the recipes'
# The published copy of the recipes' INF: the oemN.inf with its bytes.
copy_name() {
    for file in "$infs"/oem*.inf; do
        [ -f "$file" ] && cmp -s "$file" "$stage/driver/mydev.inf" && basename "$file"
    done | head -n 1
}
forced() { wine reg query 'HKLM\Software\drvplant-demo' /reg:64 >/dev/null 2>&1; }
forget() {
    rm -f "$infs"/oem*.inf "$infs"/oem*.pnf
    printf '%s\r\n' "$decoy" >"$infs/mydev.inf"
    wine reg delete 'HKLM\Software\drvplant-demo' /f /reg:64 >/dev/null 2>&1
    rm -rf "$installed"
    rm -f "$log"
}
decoy_kept() { [ "$(tr -d '\r' <"$infs/mydev.inf")" = "$decoy" ]; }
# What the batch file's uninstall half logged, in its %TEMP%.
log=$(winepath -u "$(wine cmd /c 'echo %TEMP%' 2>/dev/null | tr -d '\r')")/drvremove.log
removal_log() { tr -d '\r' <"$log" 2>/dev/null; }

install() { # <name> <device>
    case $1 in
    'batch file') run 'C:\recipes\install.cmd' ;;
    NSIS) run 'C:\recipes\setup.exe /S' ;;
    esac
    [ "$status" = 0 ] || fail "$1, device $2: install status $status"
    if [ $2 = present ]; then
        forced || fail "$1, device present: the driver was not forced on"
    else
        forced && fail "$1, device absent: a driver was forced on"
    fi
    copy=$(copy_name)
    [ -n "$copy" ] || fail "$1, device $2: no oemN.inf holds the INF"
}

# The uninstall half: drvremove.exe from the right folder, given the right INF, finds the
# copy that the install half made and says so, and the script ends with success. Under
# Wine 8, SetupUninstallOEMInfW without SUOI_FORCEDELETE returns TRUE and deletes nothing,
# so the copy stays there (Windows deletes it); only the /force variants below show a copy
# going. The NSIS half goes on to delete its files only when drvremove succeeded.
uninstall() { # <name> <device>
    case $1 in
    'batch file')
        run 'C:\recipes\uninstall.cmd'
        removal_log | grep -qx "Removed $copy" ||
            fail "$1, device $2: drvremove did not report removing $copy: $(removal_log)"
        ;;
    NSIS)
        run 'C:\installed\uninstall.exe /S _?=C:\installed'
        [ ! -e "$installed/driver" ] || fail "$1, device $2: the uninstall kept driver\\"
        ;;
    esac
    [ "$status" = 0 ] || fail "$1, device $2: uninstall status $status"
    decoy_kept || fail "$1, device $2: the uninstall touched C:\\windows\\inf\\mydev.inf"
}

both_halves() { # <device>
    device=$1
    for name in 'batch file' NSIS; do
        forget
        # Afresh each time: where newdev has no DiUninstallDriverW, as under Wine,
        # drvremove removes the devices that were installed from the copy.
        if [ $device = present ]; then
            wine "$x64/tests/wine/add_device.exe" 'USB\VID_1234&PID_5678' >/dev/null ||
                fail "could not attach the device"
        fi
        install "$name" $device
        uninstall "$name" $device
        echo "recipes: $name, device $device: installed as $copy; uninstalled, status $status"
    done
}
both_halves absent
# An x64 machine gets the x64 exes.
forget
run 'C:\recipes\setup.exe /S'
[ -f "$installed/driver/x64/drvplant.exe" ] && [ -f "$installed/driver/x64/drvremove.exe" ] &&
    [ ! -e "$installed/driver/x86" ] && [ ! -e "$installed/driver/arm64" ] ||
    fail "NSIS: not the x64 exes alone"

# With /force the copy goes under Wine too: proof that drvremove took that very copy. Run
# before the device is attached, while the install half pre-installs.
for name in 'batch file' NSIS; do
    forget
    install "$name" absent
    case $name in
    'batch file') run 'C:\recipes\uninstall-force.cmd' ;;
    NSIS)
        run 'C:\recipes\setup-force.exe /S'
        run 'C:\installed\uninstall.exe /S _?=C:\installed'
        ;;
    esac
    [ "$status" = 0 ] || fail "$name with /force: uninstall status $status"
    [ ! -e "$infs/$copy" ] || fail "$name with /force: $copy is still there"
    decoy_kept || fail "$name with /force: C:\\windows\\inf\\mydev.inf was touched"
    echo "recipes: $name with /force: $copy deleted, status $status"
done

both_halves present

# How each uninstall half takes drvremove's statuses, with a stand-in that ends with each:
# 3010 is a success that wants a restart; 0xE000023D reads as -536870339 in cmd and must
# still count as a failure.
for case in '3010:3010:Restart Windows to finish removing the driver.' \
    '0xE000023D:-536870339:The driver was not removed (status -536870339)' \
    '5:5:The driver was not removed (status 5)'; do
    given=${case%%:*}
    rest=${case#*:}
    batch=${rest%%:*}
    said=${rest#*:}
    export EXIT_STATUS=$given
    cp "$stub" "$stage/driver/x64/drvremove.exe"
    run 'C:\recipes\uninstall.cmd'
    batch_status=$status
    [ "$status" = "$batch" ] || fail "batch file, drvremove status $given: status $status"
    printf '%s\n' "$out" | grep -qF "$said" || fail "batch file, drvremove status $given: said $out"
    forget
    run 'C:\recipes\setup.exe /S'
    cp "$stub" "$installed/driver/x64/drvremove.exe"
    run 'C:\installed\uninstall.exe /S _?=C:\installed'
    if [ "$given" = 3010 ]; then
        [ "$status" = 3010 ] || fail "NSIS, drvremove status 3010: uninstall status $status"
        [ ! -e "$installed/driver" ] || fail "NSIS, drvremove status 3010: driver\\ kept"
    else
        [ "$status" = 2 ] || fail "NSIS, drvremove status $given: uninstall status $status"
        [ -f "$installed/driver/mydev.inf" ] ||
            fail "NSIS, drvremove status $given: the files went although the driver stayed"
    fi
    echo "recipes: drvremove status $given: batch file $batch_status, NSIS $status"
    unset EXIT_STATUS
done
cp "$x64/drvremove.exe" "$stage/driver/x64/"

# A failure reaches the caller: without the INF, each program ends with 2 and so does the
# file.
forget
mv "$stage/driver/mydev.inf" "$stage/mydev.inf.away"
run 'C:\recipes\install.cmd'
[ "$status" = 2 ] || fail "batch file, INF missing: install status $status"
echo "recipes: batch file, INF missing: install status $status"
run 'C:\recipes\uninstall.cmd'
[ "$status" = 2 ] || fail "batch file, INF missing: uninstall status $status"
removal_log | grep -qx '  File not found.' || fail "batch file, INF missing: drvremove said $(removal_log)"
echo "recipes: batch file, INF missing: uninstall status $status"
mv "$stage/mydev.inf.away" "$stage/driver/mydev.inf"
wineserver -k
exit $failed
