#!/bin/sh
# Makes the release archive $2/drvplant-<version>.zip from the x86, x64 and arm64 builds
# under $1: the nine exes (drvplant, drvremove and drvcreate for each), the README, the documents an
# installer author needs (docs/), the licence, and SHA256SUMS over all of them. Entry order,
# times (the commit's) and permissions are fixed, so one commit always gives the same bytes.
# With SIGN_PKCS12 or SIGN_PKCS11_MODULE set (see sign.sh), the exes are signed first.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
builds=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
version=$(sed -n 's/^project(drvplant VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
top=drvplant-$version
arches="x86 x64 arm64"
programs="drvplant drvremove drvcreate"
exes=$(for arch in $arches; do for program in $programs; do printf '%s/%s.exe ' $arch $program; done; done)
docs="docs/recipes.md docs/reference.md docs/deploying.md"
texts="README.md $docs LICENSE"
files="$exes$texts"
rm -rf "${out:?}/$top" "$out/$top.zip"
for arch in $arches; do
    mkdir -p "$out/$top/$arch"
    for program in $programs; do
        cp "$builds/$arch/$program.exe" "$out/$top/$arch/"
        chmod 755 "$out/$top/$arch/$program.exe"
    done
done
mkdir -p "$out/$top/docs"
for text in $texts; do
    cp "$root/$text" "$out/$top/$text"
done
if [ -n "${SIGN_PKCS12:-}${SIGN_PKCS11_MODULE:-}" ]; then
    (cd "$out/$top" && "$root/tools/sign.sh" $exes)
fi
(cd "$out/$top" && sha256sum $files >SHA256SUMS)
(cd "$out/$top" && chmod 644 $texts SHA256SUMS)
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}
entries=$(for file in $files SHA256SUMS; do printf '%s/%s ' "$top" "$file"; done)
# zip keeps the order given; -X leaves out the extra fields that hold the staging
# directory's access and change times and owners; zip stores local time, so UTC it is.
(cd "$out" && TZ=UTC touch -d "@$epoch" $entries && TZ=UTC zip -q -X -D "$top.zip" $entries)
rm -rf "${out:?}/$top"
echo "$out/$top.zip"
