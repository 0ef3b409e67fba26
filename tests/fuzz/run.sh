#!/bin/sh
# Fuzzes whole runs for $2 seconds from the seed corpus beside this script, with the
# fuzz build in directory $1; then reports what the corpus covers of both programs' code.
set -eu
build=$(cd "$1" && pwd)
seconds=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
seeds="$root/tests/fuzz/corpus"
mkdir -p "$build/corpus"
# New inputs go to the build's corpus and crashing ones beside it; the seeds in the
# repository stay as they are.
"$build/tests/fuzz/run_fuzzer" -max_total_time="$seconds" -detect_leaks=1 -print_final_stats=1 \
    -artifact_prefix="$build/" \
    "$build/corpus" "$seeds" 2>"$build/fuzz.log" || { tail -40 "$build/fuzz.log"; exit 1; }
grep -E '^#[0-9]+[[:space:]]+DONE|^Done' "$build/fuzz.log"

LLVM_PROFILE_FILE="$build/corpus.profraw" "$build/tests/fuzz/run_coverage" -runs=0 \
    "$build/corpus" "$seeds" 2>/dev/null
llvm-profdata-14 merge -o "$build/corpus.profdata" "$build/corpus.profraw"
llvm-cov-14 report "$build/tests/fuzz/run_coverage" -instr-profile="$build/corpus.profdata" \
    "$root/common" "$root/installer" "$root/remover" "$root/creator"
