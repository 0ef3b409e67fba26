#!/bin/sh
# Runs the recipes of docs/recipes.md whose tools run here, as written, under 64-bit Wine:
# the batch file, NSIS (makensis), Inno Setup (the compiler that make deps puts in
# node_modules) and the MSI (wixl, then Wine's msiexec). Each recipe's setup is built from
# two trees in the layout the recipes give, whose x86 exes every recipe calls:
# - the exes of build directories $1 (x86), $2 (x64) and $3 (arm64), with /force added to
#   the drvremove line, the only way Wine 8 shows a copy going (its SetupUninstallOEMInfW
#   deletes nothing unless forced). Both halves run with no device (the INF must be
#   pre-installed) and with the device present (the driver must be forced onto it, by the
#   x64 exe that the x86 one hands the run to: 64-bit Wine runs the x86 exe under WOW64);
# - as written, with the recorder in the x64 exes' place that ends with the status it is
#   told: how each half takes every status the programs can end with, and that the x86 exe
#   handed the recorder the recipe's own command line;
# - and the virtual device's batch file and NSIS recipe, with drvcreate's exes.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
x86=$(cd "$1" && pwd)
x64=$(cd "$2" && pwd)
arm64=$(cd "$3" && pwd)
iscc="$root/node_modules/innosetup/bin/ISCC.exe"
[ -f "$iscc" ] || { echo "recipes: no $iscc: make deps installs it"; exit 1; }
. "$root/tests/wine/prefix.sh"
fresh_prefix "$x64/recipes-prefix"
export LC_ALL=en_US.UTF-8
stage="$WINEPREFIX/drive_c/recipes"
infs="$WINEPREFIX/drive_c/windows/inf"
installed="$WINEPREFIX/drive_c/installed"
recipes='batch NSIS Inno MSI'
failed=0
# printf, not echo: the messages hold Windows paths, whose \r an echo may take for a return.
fail() { printf 'recipes: %s\n' "$*"; failed=1; }

# The Nth (default first) fenced block of the given language after a heading of a file
# (default docs/recipes.md).
recipe() {
    awk -v heading="$1" -v fence="\`\`\`$2" -v wanted="${3:-1}" '
        $0 == heading { found = 1; next }
        found && !inside && $0 == fence { inside = 1; seen++; next }
        inside && $0 == "```" { if (seen == wanted) exit; inside = 0; next }
        inside && seen == wanted { print }' "${4:-$root/docs/recipes.md}"
}
for block in 1 2; do
    [ "$(recipe '## A batch file' bat $block "$root/README.md")" = "$(recipe '## A batch file' bat $block)" ] ||
        fail "the README's batch file (block $block) differs from the one in docs/recipes.md"
done
# Every recipe calls the x86 exes, and NSIS's and Inno Setup's setups are 32-bit programs.
! skips_32_bit_programs || exit $failed

# Runs a Windows command line through cmd and keeps what it printed in $out and the status
# it ended with in $status, read on the Windows side: the Unix side sees only its low 8
# bits (3010 arrives as 194).
run() {
    out=$(timeout 120 wine cmd /c "$1 & echo status %errorlevel%" 2>/dev/null | tr -d '\r')
    status=$(printf '%s\n' "$out" | sed -n 's/^status //p' | tail -n 1)
}
crlf() { sed 's/$/\r/'; }
with_force() { sed '/drvremove\.exe/s/\.\.\\mydev\.inf/& \/force/'; }

# Builds every recipe's setup in C:\recipes\<tree>, from its driver\ folder.
build() { # <tree> <filter for the drvremove line>
    dir="$stage/$1"
    recipe '## A batch file' bat 1 | crlf >"$dir/install.cmd"
    recipe '## A batch file' bat 2 | $2 | crlf >"$dir/uninstall.cmd"
    {
        printf 'Name "drvplant recipe"\nOutFile "nsis.exe"\nInstallDir "C:\\installed"\n'
        recipe '## NSIS' nsis | $2
    } >"$dir/setup.nsi"
    {
        printf '[Setup]\nAppName=drvplant recipe\nAppVersion=1\nDefaultDirName=C:\\installed\n'
        printf 'OutputDir=.\nOutputBaseFilename=inno\n'
        recipe '## Inno Setup' pascal | $2
    } | crlf >"$dir/setup.iss"
    {
        printf '<?xml version="1.0" encoding="utf-8"?>\n<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">\n'
        printf '<Product Id="*" Name="drvplant recipe" Language="1033" Version="1.0.0" Manufacturer="drvplant"'
        printf ' UpgradeCode="6f1d0c7e-2b7a-4c59-9d3e-0a2f6a1b9c41">\n'
        printf '<Package InstallerVersion="500" Compressed="yes" InstallScope="perMachine" />\n'
        printf '<MediaTemplate EmbedCab="yes" />\n<Directory Id="TARGETDIR" Name="SourceDir">'
        printf '<Directory Id="WindowsVolume"><Directory Id="INSTALLDIR" Name="installed" />'
        printf '</Directory></Directory>\n'
        recipe '## Windows Installer (MSI)' xml | $2
        printf '</Product>\n</Wix>\n'
    } >"$dir/setup.wxs"
    (cd "$dir" && makensis -V1 setup.nsi) || fail "$1: the NSIS recipe does not compile"
    (cd "$dir" && wine "$iscc" /Q setup.iss >/dev/null 2>&1) || fail "$1: the Inno Setup recipe does not compile"
    (cd "$dir" && wixl -a x86 -o setup.msi setup.wxs) || fail "$1: the MSI recipe does not compile"
}

# One half of a recipe, from the setup built in tree $2; the setups install to C:\installed.
half() { # <recipe> <tree> install|uninstall
    case $1.$3 in
    batch.*) run "C:\\recipes\\$2\\$3.cmd" ;;
    NSIS.install) run "C:\\recipes\\$2\\nsis.exe /S" ;;
    NSIS.uninstall) run 'C:\installed\uninstall.exe /S _?=C:\installed' ;;
    Inno.install) run "C:\\recipes\\$2\\inno.exe /VERYSILENT /SUPPRESSMSGBOXES /NORESTART" ;;
    Inno.uninstall) run 'C:\installed\unins000.exe /VERYSILENT /SUPPRESSMSGBOXES /NORESTART' ;;
    MSI.install) run "msiexec /i C:\\recipes\\$2\\setup.msi /qn" ;;
    MSI.uninstall) run "msiexec /x C:\\recipes\\$2\\setup.msi /qn" ;;
    esac
}

sample="$stage/mydev.inf"
mkdir -p "$stage"
# The sample INF, made to serve the recipes' example device.
sed 's/ROOT\\DRVPLANT_DEMO/USB\\VID_1234\&PID_5678/' "$root/examples/drvplant-demo.inf" >"$sample"
for tree in real stub; do
    for arch in x86 x64 arm64; do
        eval "dir=\$$arch"
        mkdir -p "$stage/$tree/driver/$arch"
        cp "$dir/drvplant.exe" "$dir/drvremove.exe" "$stage/$tree/driver/$arch/" || fail "no exes in $dir"
    done
    cp "$sample" "$stage/$tree/driver/mydev.inf"
    printf 'not a real driver' >"$stage/$tree/driver/mydev.sys"
    printf 'not a real catalog' >"$stage/$tree/driver/mydev.cat"
done
for exe in drvplant drvremove; do cp "$x64/tests/wine/recorder.exe" "$stage/stub/driver/x64/$exe.exe"; done
build real with_force
build stub cat
[ "$(grep -l -- '/force' "$stage"/real/uninstall.cmd "$stage"/real/setup.nsi "$stage"/real/setup.iss "$stage"/real/setup.wxs | wc -l)" = 4 ] ||
    fail "not every recipe has a drvremove line to add /force to"

# Windows always names its copies oemNN.inf; Wine keeps the original name when it is free.
# A different file under that name makes Wine name the copies as Windows does, and
# drvremove must leave it alone.
decoy='; not the INF of the recipes'
# The published copy of the recipes' INF (or of another): the oemN.inf with its bytes.
copy_name() {
    for file in "$infs"/oem*.inf; do
        [ -f "$file" ] && cmp -s "$file" "${1:-$sample}" && basename "$file"
    done | head -n 1
}
# The INF's AddReg entry, in the registry view (64 or 32) of the process that forced the
# driver on. On a 64-bit prefix the 32-bit view of HKLM\Software is its Wow6432Node, so a
# 64-bit process's entry is not seen there.
landed_in() { wine reg query 'HKLM\Software\drvplant-demo' /reg:$1 >/dev/null 2>&1; }
forced() { landed_in 64 || landed_in 32; }
forget() {
    rm -f "$infs"/oem*.inf "$infs"/oem*.pnf
    printf '%s\r\n' "$decoy" >"$infs/mydev.inf"
    wine reg delete 'HKLM\Software\drvplant-demo' /f /reg:64 >/dev/null 2>&1
    wine reg delete 'HKLM\Software\drvplant-demo' /f /reg:32 >/dev/null 2>&1
    rm -rf "$installed"
}
decoy_kept() { [ "$(tr -d '\r' <"$infs/mydev.inf")" = "$decoy" ]; }

for device in absent present; do
    for name in $recipes; do
        forget
        # Afresh each time: where newdev has no DiUninstallDriverW, as under Wine,
        # drvremove removes the devices that were installed from the copy.
        if [ $device = present ]; then
            wine "$x64/tests/wine/add_device.exe" 'USB\VID_1234&PID_5678' >/dev/null ||
                fail "could not attach the device"
        fi
        half $name real install
        installed_with=$status
        [ "$status" = 0 ] || fail "$name, device $device: install status $status"
        if [ $device = present ]; then
            forced || fail "$name, device present: the driver was not forced on"
            # The recipe called the x86 exe: only its handoff puts the entry in the 64-bit
            # view alone.
            landed_in 64 && ! landed_in 32 ||
                fail "$name, device present: the driver was not forced on by the x64 exe"
        else
            forced && fail "$name, device absent: a driver was forced on"
        fi
        copy=$(copy_name)
        [ -n "$copy" ] || fail "$name, device $device: no oemN.inf holds the INF"
        if landed_in 64 && ! landed_in 32; then
            how="forced on by the x64 exe, from $copy"
        elif forced; then
            how="forced on, from $copy"
        else
            how="pre-installed as $copy"
        fi
        if [ $name != batch ]; then
            for arch in x86 x64 arm64; do
                for exe in drvplant drvremove; do
                    cmp -s "$installed/driver/$arch/$exe.exe" "$stage/real/driver/$arch/$exe.exe" ||
                        fail "$name: driver\\$arch\\$exe.exe is not the $arch exe"
                done
            done
        fi
        half $name real uninstall
        [ "$status" = 0 ] || fail "$name, device $device: uninstall status $status"
        [ ! -e "$infs/$copy" ] || fail "$name, device $device: $copy is still there"
        decoy_kept || fail "$name, device $device: the uninstall touched C:\\windows\\inf\\mydev.inf"
        [ ! -e "$installed/driver" ] || fail "$name, device $device: the uninstall kept driver\\"
        echo "recipes: $name, device $device: $how (status $installed_with); removed (status $status)"
    done
done

# The virtual device's recipes, from a tree of their own with drvcreate beside drvremove:
# its batch file's install half with the usual uninstall half, and the NSIS recipe with
# drvcreate in drvplant's place. With no device the first run makes one and forces the
# driver onto it; a second run makes none; the uninstall takes the device and the copy.
virtual() { sed 's/drvplant\.exe/drvcreate.exe/g; s/mydev\.inf/myvdev.inf/g; s/USB\\VID_1234&PID_5678/ROOT\\MYVDEV/g'; }
# How many devices, present or not, carry ROOT\MYVDEV (Wine names the value HardwareID).
made() {
    wine reg query 'HKLM\System\CurrentControlSet\Enum\ROOT' /s 2>/dev/null | tr -d '\r' |
        grep -ci 'HardwareId.*REG_MULTI_SZ.*ROOT\\MYVDEV$'
}
dir="$stage/virtual"
for arch in x86 x64 arm64; do
    eval "build=\$$arch"
    mkdir -p "$dir/driver/$arch"
    cp "$build/drvcreate.exe" "$build/drvremove.exe" "$dir/driver/$arch/" || fail "no drvcreate in $build"
done
sed 's/ROOT\\DRVPLANT_DEMO/ROOT\\MYVDEV/' "$root/examples/drvplant-demo.inf" >"$dir/driver/myvdev.inf"
cp "$stage/real/driver/mydev.sys" "$stage/real/driver/mydev.cat" "$dir/driver/"
recipe '## A virtual device: drvcreate' bat | crlf >"$dir/install.cmd"
recipe '## A batch file' bat 2 | with_force | virtual | crlf >"$dir/uninstall.cmd"
{
    printf 'Name "drvplant recipe"\nOutFile "nsis.exe"\nInstallDir "C:\\installed"\n'
    recipe '## NSIS' nsis | with_force | virtual
} >"$dir/setup.nsi"
(cd "$dir" && makensis -V1 setup.nsi) || fail "virtual: the NSIS recipe does not compile"
for name in batch NSIS; do
    forget
    printf '%s\r\n' "$decoy" >"$infs/myvdev.inf"
    seen=
    for run in first second; do
        half $name virtual install
        [ "$status" = 0 ] && forced && [ "$(made)" = 1 ] && [ -n "$(copy_name "$dir/driver/myvdev.inf")" ] ||
            fail "virtual $name, $run run: status $status, $(made) devices, forced: $(forced && echo yes || echo no)"
        seen="$seen $run run status $status, $(made) device;"
    done
    half $name virtual uninstall
    [ "$status" = 0 ] && [ "$(made)" = 0 ] && [ -z "$(copy_name "$dir/driver/myvdev.inf")" ] ||
        fail "virtual $name: uninstall status $status, $(made) devices left"
    echo "recipes: virtual $name:$seen removed (status $status, $(made) devices)"
done

# What each recipe ends with when drvplant or drvremove (the recorder) ends with a status,
# and whether the setup's driver\ folder is then there (the batch file installs none).
# Windows Installer ends a rolled-back run with 1603, Wine 8's msiexec with 1627. 3010 is a
# success that wants a restart; 0xE000023D reads as -536870339 in cmd and must still count
# as a failure.
# The recipes call the real x86 exes, so the recorder runs only by their handoff. What it
# records is the x86 exe's own command line, passed on: it must be the recipe's, with the
# x86 exe as element 0.
record="$stage/record.txt"
export RECORD_TO='C:\recipes\record.txt'
lower() { printf '%s' "$1" | tr 'A-Z' 'a-z'; }
# Checks the record of recipe $1's run of program $2.
handed() {
    [ -f "$record" ] || { fail "$1, $2: the recorder did not run"; return; }
    line=$(head -n 1 "$record" | tr -d '\r')
    folder=$(sed -n 2p "$record" | tr -d '\r')
    # Element 0, quoted or not, and the arguments after it.
    case $line in
    '"'*) zero=${line#?} && zero=${zero%%'"'*} && rest=${line#?"$zero"?} ;;
    *) zero=${line%%[ 	]*} && rest=${line#"$zero"} ;;
    esac
    rest=$(printf '%s' "$rest" | sed 's/^[ 	]*//; s/[ 	]*$//')
    if [ $1 = batch ]; then called='C:\recipes\stub'; else called='C:\installed'; fi
    called="$called\\driver\\x86\\$2.exe"
    if [ $2 = drvplant ]; then args='..\mydev.inf "USB\VID_1234&PID_5678"'; else args='..\mydev.inf'; fi
    [ "$(lower "$zero")" = "$(lower "$called")" ] && [ "$rest" = "$args" ] ||
        fail "$1, $2: the recorder was handed [$line], not the recipe's line to $called"
    # Inno Setup's recipe names the folder it runs the exes in.
    [ $1 != Inno ] || [ "$(lower "$folder")" = 'c:\installed\driver' ] ||
        fail "$1, $2: the recorder ran in [$folder], not C:\\installed\\driver"
}
while read -r program given batch nsis inno msi; do
    if [ $program = drvplant ]; then which=install; else which=uninstall; fi
    seen=
    set -- $nsis $inno $msi
    for name in $recipes; do
        forget
        if [ $name = batch ]; then
            want=$batch
        else
            want=$1
            shift
            [ $which = install ] || { export EXIT_STATUS=0 && half $name stub install; }
        fi
        export EXIT_STATUS=$given
        rm -f "$record"
        half $name stub $which
        handed $name $program
        landed=
        if [ $name != batch ]; then
            if [ -d "$installed/driver" ]; then landed=kept; else landed=gone; fi
            status=$status:$landed
        fi
        [ "$status" = "$want" ] || fail "$name, $program ending with $given: $status, not $want"
        seen="$seen $name ${status%:*}${landed:+ (driver\\ $landed)},"
        # Wine 8's rollback of a failed uninstall unregisters the product; a removal with
        # the stand-in ending with 0 clears what is left.
        [ "$landed" = kept ] && export EXIT_STATUS=0 && half $name stub uninstall
    done
    echo "recipes: $program ending with $given:${seen%,}"
done <<'EOF'
drvplant 1 3010 3010:kept 3010:kept 0:kept
drvplant 2 2 2:kept 2:kept 1627:gone
drvremove 3010 3010 3010:gone 0:gone 0:gone
drvremove 0xE000023D -536870339 2:kept 1:kept 1627:kept
drvremove 5 5 2:kept 1:kept 1627:kept
EOF
unset EXIT_STATUS RECORD_TO
wineserver -k
exit $failed
