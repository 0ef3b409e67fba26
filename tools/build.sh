#!/bin/sh
# build.sh <build> [target]: configures build/<build> and builds target, or all of it.
#   x86, x64, arm64 the Windows exes (target exes: drvplant, drvremove, drvcreate) and the programs
#                  that test them
#   host           the unit tests against the stand-in
#   host-sanitize  the same with AddressSanitizer and UndefinedBehaviorSanitizer
#   fuzz           the fuzz target and its coverage build (clang)
set -eu
cd "$(dirname "$0")/.."
build=$1
target=${2:-all}
case $build in
x86) options="-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel" ;;
x64) options="-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel" ;;
arm64) options="-DCMAKE_TOOLCHAIN_FILE=cmake/clang-aarch64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel" ;;
host) options="-DCMAKE_BUILD_TYPE=Debug" ;;
host-sanitize) options="-DCMAKE_BUILD_TYPE=Debug -DDRVPLANT_SANITIZE=ON" ;;
fuzz) options="-DCMAKE_BUILD_TYPE=Debug -DDRVPLANT_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++" ;;
*) echo "build.sh: no build named $build" >&2; exit 2 ;;
esac
[ -f "build/$build/CMakeCache.txt" ] || cmake -S . -B "build/$build" $options
cmake --build "build/$build" -j2 --target "$target"
