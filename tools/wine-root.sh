#!/bin/sh
# wine-root.sh ROOT: prints the path of a Debian root with Wine and the suite's locales,
# made the first time from the Debian archive that apt uses, and kept for later runs on
# this machine. Needs root. The tests enter it with chroot (tests/wine/root-wine.sh).
#   arm64   Debian 12's Wine 8 for ARM64 (about 3 minutes, 700 MB), entered through
#           qemu-user-static, which binfmt_misc is told about here. Its Wine packages go
#           into the root only: on the host they would replace its wine64.
#   wine10  Debian 13's Wine 10 for x86 and x64 (about 3 minutes). Its 64-bit Wine alone
#           cannot start a 32-bit exe, so the root gets the i386 architecture and wine32.
set -eu
case $1 in
arm64) arch=arm64 suite=bookworm i386= ;;
wine10) arch=amd64 suite=trixie i386=yes ;;
*) echo "wine-root.sh: no root called $1" >&2; exit 2 ;;
esac
root=/var/cache/drvplant/$1-$suite
if [ $arch = arm64 ]; then
    binfmt=/proc/sys/fs/binfmt_misc
    [ -f $binfmt/register ] || mount -t binfmt_misc binfmt_misc $binfmt
    [ -e $binfmt/qemu-aarch64 ] || cat /usr/lib/binfmt.d/qemu-aarch64.conf >$binfmt/register
fi
if [ ! -f "$root/.drvplant-ready" ]; then
    mirror=$(sed -n 's/^URIs: *\([^ ]*debian\)$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
    [ -n "$mirror" ] || mirror=$(sed -n 's/^deb \(http[^ ]*\) bookworm .*/\1/p' /etc/apt/sources.list 2>/dev/null | head -1)
    # What an interrupted run left mounted inside must not be removed with it.
    grep -o " $root/[^ ]*" /proc/mounts | sort -r | xargs -r umount
    rm -rf "$root"
    mkdir -p "$(dirname "$root")"
    debootstrap --arch=$arch --variant=minbase --include=wine64,wine,locales $suite "$root" \
        "${mirror:-http://deb.debian.org/debian}" >&2
    if [ -n "$i386" ]; then
        chroot "$root" dpkg --add-architecture i386
        chroot "$root" apt-get update -qq >&2
        chroot "$root" env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -qq --no-install-recommends wine32:i386 >&2
        chroot "$root" apt-get clean
    fi
    for locale in en_US zh_CN ja_JP; do
        chroot "$root" localedef -i $locale -f UTF-8 $locale.UTF-8
    done
    touch "$root/.drvplant-ready"
fi
echo "$root"
