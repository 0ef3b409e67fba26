#!/bin/sh
# Opens the release archive $1 as a user would and checks it holds exactly the nine exes
# built under build directory $2 (signed or not), the README, the author's documents and
# the licence, that the README's links into docs/ land in the archive, and that SHA256SUMS
# agrees.
set -eu
archive=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
builds=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
top=$(basename "$archive" .zip)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
cmake -E tar xf "$archive"
expected="$top/LICENSE $top/README.md $top/SHA256SUMS $top/arm64/drvcreate.exe $top/arm64/drvplant.exe"
expected="$expected $top/arm64/drvremove.exe $top/docs/deploying.md $top/docs/recipes.md $top/docs/reference.md"
expected="$expected $top/x64/drvcreate.exe $top/x64/drvplant.exe $top/x64/drvremove.exe"
expected="$expected $top/x86/drvcreate.exe $top/x86/drvplant.exe $top/x86/drvremove.exe"
found=$(find . -type f | sed 's|^\./||' | sort | tr '\n' ' ')
[ "$found" = "$expected " ] || { echo "dist: archive holds $found"; exit 1; }
for exe in x86/drvplant x64/drvplant arm64/drvplant x86/drvremove x64/drvremove arm64/drvremove \
    x86/drvcreate x64/drvcreate arm64/drvcreate; do
    "$root/tools/verify.sh" "$top/$exe.exe" "$builds" | grep -q " ${exe#*/} .* ${exe%/*}, the build" ||
        { echo "dist: $exe.exe is not the one built"; exit 1; }
done
# Every document the archive's texts link to is in it; the developers' one stays with the source.
for link in $(cat "$top/README.md" "$top"/docs/*.md | grep -o '](docs/[a-z]*\.md\|]([a-z]*\.md' | sed 's/^](//'); do
    [ -f "$top/$link" ] || [ -f "$top/docs/$link" ] || [ "$link" = docs/developing.md ] ||
        { echo "dist: the archive's documents link to $link, which it lacks"; exit 1; }
done
(cd "$top" && sha256sum --quiet -c SHA256SUMS) || { echo "dist: SHA256SUMS disagrees"; exit 1; }
echo "dist: $(basename "$archive"): $(wc -l <"$top/SHA256SUMS") files, checksums agree"
