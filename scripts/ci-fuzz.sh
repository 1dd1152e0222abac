#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (with ASan and UBSan) into
# build-fuzz/ (or the folder given as $1), writes the seed corpus and runs
# each target for FUZZ_SECONDS (default 60).  The corpus grows in
# <build>/fuzz-corpus from run to run.  A finding fails the script and leaves
# the input that caused it in <build>/fuzz-findings, to be kept in
# fuzz/regressions once fixed.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTESSARON_SANITIZE=ON -DTESSARON_FUZZ=ON >/dev/null
cmake --build "$build" --target fuzz_archive fuzz_frame fuzz_make_seeds

rm -rf "$build/fuzz-seeds"
"$build/fuzz/fuzz_make_seeds" "$build/fuzz-seeds"
mkdir -p "$build/fuzz-findings"

for target in archive frame; do
  echo "Fuzzing $target for $seconds s"
  mkdir -p "$build/fuzz-corpus/$target"
  # New inputs go to the first folder; the seeds and the regressions are read.
  "$build/fuzz/fuzz_$target" \
    -max_total_time="$seconds" -timeout=10 -malloc_limit_mb=512 -max_len=16384 \
    -dict="$here/fuzz/flx.dict" -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-findings/$target-" \
    "$build/fuzz-corpus/$target" "$build/fuzz-seeds/$target" "$here/fuzz/regressions/$target" \
    2>"$build/fuzz-findings/$target.log" || { tail -n 60 "$build/fuzz-findings/$target.log"; exit 1; }
  grep '^stat::number_of_executed_units' "$build/fuzz-findings/$target.log"
done
