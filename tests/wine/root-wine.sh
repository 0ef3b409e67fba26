# Sourced to run programs under the Wine of a root of tools/wine-root.sh: use_root_wine REPO
# BUILD ROOT puts its wine, wineboot, wineserver and winepath first on PATH, with REPO at the
# same path inside; leave_root_wine takes the mounts away again.
use_root_wine() {
    wine_root=$("$1/tools/wine-root.sh" "$3")
    wine_root_repo=$1
    mkdir -p "$wine_root$wine_root_repo"
    mountpoint -q "$wine_root/proc" || mount -t proc proc "$wine_root/proc"
    mountpoint -q "$wine_root/dev" || mount --bind /dev "$wine_root/dev"
    mountpoint -q "$wine_root$wine_root_repo" || mount --bind "$wine_root_repo" "$wine_root$wine_root_repo"
    wrappers="$2/$3-wine"
    mkdir -p "$wrappers"
    for tool in wine wineboot wineserver winepath; do
        # As on this side: the root's 64-bit loader where 32-bit programs cannot start.
        run=/usr/bin/$tool
        runs_32_bit_programs || case $tool in
        wine) run=/usr/lib/wine/wine64 ;;
        wineboot | winepath) run="/usr/lib/wine/wine64 $tool.exe" ;;
        esac
        cat >"$wrappers/$tool" <<WRAPPER
#!/bin/sh
exec chroot "$wine_root" /bin/sh -c 'cd "\$0" 2>/dev/null || cd /; exec env PATH=/usr/bin:/bin "\$@"' "\$PWD" $run "\$@"
WRAPPER
        chmod +x "$wrappers/$tool"
    done
    PATH="$wrappers:$PATH"
    export PATH
}

leave_root_wine() {
    wineserver -k 2>/dev/null || true
    umount "$wine_root$wine_root_repo" "$wine_root/dev" "$wine_root/proc" 2>/dev/null || true
}
