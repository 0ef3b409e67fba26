# Sourced to run Windows programs under Wine. fresh_prefix DIR: a throwaway prefix at DIR,
# the current one from now on, whose windows need no X server and which offers no downloads.
fresh_prefix() {
    export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
    rm -rf "$WINEPREFIX"
    LC_ALL=en_US.UTF-8 wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -k
}
