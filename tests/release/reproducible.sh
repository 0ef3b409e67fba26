#!/bin/sh
# Builds the committed tree twice, in clones at two different paths and moments, and
# checks that both give the same bytes: the nine exes and the release archive. When the
# checkout holds no uncommitted changes, its own build under $1 must match them too.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
builds=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
for clone in one a/much/longer/path/two; do
    git clone -q "$root" "$scratch/$clone"
    (cd "$scratch/$clone" && tools/build.sh x86 exes && tools/build.sh x64 exes &&
        tools/build.sh arm64 exes && tools/dist.sh build build/dist) >"$scratch/build.log" 2>&1 ||
        { tail -20 "$scratch/build.log"; exit 1; }
    sleep 1 # the second build happens at another second
done
one=$scratch/one/build
two=$scratch/a/much/longer/path/two/build
archive=$(basename "$one"/dist/drvplant-*.zip)
committed=$(git -C "$root" status --porcelain --untracked-files=no)
for file in x86/drvplant.exe x64/drvplant.exe arm64/drvplant.exe x86/drvremove.exe x64/drvremove.exe \
    arm64/drvremove.exe x86/drvcreate.exe x64/drvcreate.exe arm64/drvcreate.exe "dist/$archive"; do
    if ! cmp -s "$one/$file" "$two/$file"; then
        echo "reproducible: $file differs between clones"
        failed=1
    elif [ -z "$committed" ] && ! cmp -s "$one/$file" "$builds/$file"; then
        echo "reproducible: $file differs from this checkout's build"
        failed=1
    else
        echo "reproducible: $file $(sha256sum <"$one/$file" | cut -c1-64)"
    fi
done
exit $failed
