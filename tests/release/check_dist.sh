#!/bin/sh
# Opens the release archive $1 as a user would and checks it holds exactly the six exes
# built under build directory $2 (signed or not), the README and the licence, and that
# SHA256SUMS agrees.
set -eu
archive=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
builds=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
top=$(basename "$archive" .zip)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
cmake -E tar xf "$archive"
expected="$top/LICENSE $top/README.md $top/SHA256SUMS $top/arm64/drvplant.exe $top/arm64/drvremove.exe"
expected="$expected $top/x64/drvplant.exe $top/x64/drvremove.exe $top/x86/drvplant.exe $top/x86/drvremove.exe"
found=$(find . -type f | sed 's|^\./||' | sort | tr '\n' ' ')
[ "$found" = "$expected " ] || { echo "dist: archive holds $found"; exit 1; }
for exe in x86/drvplant x64/drvplant arm64/drvplant x86/drvremove x64/drvremove arm64/drvremove; do
    "$root/tools/verify.sh" "$top/$exe.exe" "$builds" | grep -q " ${exe#*/} .* ${exe%/*}, the build" ||
        { echo "dist: $exe.exe is not the one built"; exit 1; }
done
(cd "$top" && sha256sum --quiet -c SHA256SUMS) || { echo "dist: SHA256SUMS disagrees"; exit 1; }
echo "dist: $(basename "$archive"): $(wc -l <"$top/SHA256SUMS") files, checksums agree"
