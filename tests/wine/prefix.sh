# Sourced to run Windows programs under Wine. fresh_prefix DIR: a throwaway prefix at DIR,
# the current one from now on, whose windows need no X server and which offers no downloads.
fresh_prefix() {
    export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
    rm -rf "$WINEPREFIX"
    LC_ALL=en_US.UTF-8 wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -k
}
# Debian's wine command starts every program through 32-bit Wine once wine32 is installed.
# Where this kernel cannot start 32-bit programs (IA32 emulation off), or starts them only
# through qemu (a minute a program), Wine's own 64-bit loader runs the 64-bit ones, and
# nothing 32-bit is run.
runs_32_bit_programs() {
    ! grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null &&
        /usr/lib/wine/wine --version >/dev/null 2>&1
}
# skips_32_bit_programs: true, saying so, where nothing 32-bit is run.
skips_32_bit_programs() {
    runs_32_bit_programs && return 1
    echo "SKIP 32-bit programs: this kernel starts them only through qemu or not at all"
}
if ! runs_32_bit_programs; then
    wine64_only=${TMPDIR:-/tmp}/drvplant-wine64
    mkdir -p "$wine64_only"
    for tool in wine wine-stable; do
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$wine64_only/$tool"
        chmod +x "$wine64_only/$tool"
    done
    PATH="$wine64_only:$PATH"
    export PATH WINELOADER=/usr/lib/wine/wine64
fi
