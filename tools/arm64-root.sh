#!/bin/sh
# arm64-root.sh: prints the path of an arm64 Debian 12 root with Wine and the suite's
# locales, made the first time (about 3 minutes and 700 MB, from the Debian archive that
# apt uses) and kept for later runs on this machine. It is entered through
# qemu-user-static, which binfmt_misc is told about here. Needs root. The arm64 Wine
# packages go into that root only: on the host they would replace its wine64.
set -eu
root=${DRVPLANT_ARM64_ROOT:-/var/cache/drvplant/arm64-bookworm}
binfmt=/proc/sys/fs/binfmt_misc
[ -f $binfmt/register ] || mount -t binfmt_misc binfmt_misc $binfmt
[ -e $binfmt/qemu-aarch64 ] || cat /usr/lib/binfmt.d/qemu-aarch64.conf >$binfmt/register
if [ ! -f "$root/.drvplant-ready" ]; then
    mirror=$(sed -n 's/^URIs: *\([^ ]*debian\)$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
    [ -n "$mirror" ] || mirror=$(sed -n 's/^deb \(http[^ ]*\) bookworm .*/\1/p' /etc/apt/sources.list 2>/dev/null | head -1)
    # What an interrupted run left mounted inside must not be removed with it.
    grep -o " $root/[^ ]*" /proc/mounts | sort -r | xargs -r umount
    rm -rf "$root"
    mkdir -p "$(dirname "$root")"
    debootstrap --arch=arm64 --variant=minbase --include=wine64,wine,locales bookworm "$root" \
        "${mirror:-http://deb.debian.org/debian}" >&2
    for locale in en_US zh_CN ja_JP; do
        chroot "$root" localedef -i $locale -f UTF-8 $locale.UTF-8
    done
    touch "$root/.drvplant-ready"
fi
echo "$root"
