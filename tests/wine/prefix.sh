# Sourced by the scripts that run Windows programs under Wine.
# fresh_prefix DIR: a throwaway prefix at DIR, made the current one for what follows.
# Its windows exist without an X server (the null display driver), and creating it offers
# no downloads.
fresh_prefix() {
    export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
    rm -rf "$WINEPREFIX"
    LC_ALL=en_US.UTF-8 wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -k
}
