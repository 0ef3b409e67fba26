# Sourced by scripts that run ARM64 programs under Wine. use_arm64_wine REPO BUILD puts
# the arm64 root's wine, wineboot, wineserver and winepath first on PATH, with REPO seen
# at the same path inside the root, so the rest of the script reads as it does for x86
# and x64; leave_arm64_wine takes the mounts away again.
use_arm64_wine() {
    arm64_root=$("$1/tools/arm64-root.sh")
    arm64_repo=$1
    mkdir -p "$arm64_root$arm64_repo"
    mountpoint -q "$arm64_root/proc" || mount -t proc proc "$arm64_root/proc"
    mountpoint -q "$arm64_root/dev" || mount --bind /dev "$arm64_root/dev"
    mountpoint -q "$arm64_root$arm64_repo" || mount --bind "$arm64_repo" "$arm64_root$arm64_repo"
    wrappers="$2/arm64-wine"
    mkdir -p "$wrappers"
    for tool in wine wineboot wineserver winepath; do
        cat >"$wrappers/$tool" <<WRAPPER
#!/bin/sh
exec chroot "$arm64_root" /bin/sh -c 'cd "\$0" 2>/dev/null || cd /; exec env PATH=/usr/bin:/bin "\$@"' "\$PWD" /usr/bin/$tool "\$@"
WRAPPER
        chmod +x "$wrappers/$tool"
    done
    PATH="$wrappers:$PATH"
    export PATH
}

leave_arm64_wine() {
    wineserver -k 2>/dev/null || true
    umount "$arm64_root$arm64_repo" "$arm64_root/dev" "$arm64_root/proc" 2>/dev/null || true
}
