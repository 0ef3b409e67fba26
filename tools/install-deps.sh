#!/bin/sh
# Installs what building, testing and the demo need on Debian 12; only what is missing,
# so a second run costs a second. Debian's packages first, then the recipes' Inno Setup
# compiler from npm, at the version and hash that package-lock.json pins.
set -eu
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

packages="cmake make git g++ libgtest-dev zip osslsigncode openssl softhsm2 libengine-pkcs11-openssl clang libclang-rt-14-dev libfuzzer-14-dev llvm-14 lld-14 nsis wixl qemu-user-static debootstrap locales g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64"
# npm brings node with it; a machine that has node and npm from elsewhere keeps them.
command -v npm >/dev/null || packages="$packages npm"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
        missing="$missing $package"
done
if [ -n "$missing" ]; then
    # 32-bit Wine runs the x86 exe, 64-bit Wine the x64 one.
    dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
    # A mirror caught mid-sync fails one index; the install below says whether that mattered.
    as_root apt-get update -qq || echo "apt-get update failed; installing from what it has" >&2
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi

# Wine takes its ANSI code page from the locale it starts in: 1252, 936 and 932.
for locale in en_US zh_CN ja_JP; do
    locale -a | grep -qx "$locale.utf8" || as_root localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
done

# The checkout's node_modules/: npm ci installs exactly what package-lock.json pins, and
# only when an installed version differs from it.
root=$(cd "$(dirname "$0")/.." && pwd)
pinned() {
    (cd "$root" && node -e 'const lock = require("./package-lock.json").packages;
        for (const path of Object.keys(lock).filter((path) => path))
            if (require("./" + path + "/package.json").version !== lock[path].version) process.exit(1);' 2>/dev/null)
}
pinned || (cd "$root" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error)
