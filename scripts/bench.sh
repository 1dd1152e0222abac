#!/usr/bin/env bash
# Builds the benchmarks (Release, into build-bench/) and runs them all:
#  1. micro-benchmarks: decoding and BMP encoding beside memcpy (x_memcpy);
#  2. the end-to-end export benchmark: tessaron-export against creating the
#     same files from memory, interleaved rounds, medians, ratios, peak memory;
#  3. the viewer's figures on the offscreen platform.
# Results, and the plot of frames per second against archive size, go to
# build-bench/bench-results/ (or $BENCH_OUT); summary.md there holds them all.
#   scripts/bench.sh            the full run (about 20 minutes)
#   scripts/bench.sh --quick    smaller archives and fewer rounds
# Not part of the test suite.  The machine should be otherwise quiet: the
# ratios are measured side by side, but a busy disk or CPU widens the spread.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BENCH_BUILD:-$here/build-bench}"
out="${BENCH_OUT:-$build/bench-results}"
work="${BENCH_WORK:-$build/bench-work}"

sizes=1200,3000,12000,40000,120000
rounds=5
micro_time=0.2
if [ "${1:-}" = "--quick" ]; then
  sizes=1200,12000
  rounds=2
  micro_time=0.02
fi

"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target tessaron-export decode_bench baseline_writer export_bench gui_bench
mkdir -p "$out" "$work"

echo "== Micro-benchmarks (x_memcpy: speed as a fraction of memcpy of as many bytes)"
"$build/bench/decode_bench" --benchmark_min_time="$micro_time" \
  --benchmark_out="$out/decode.json" --benchmark_out_format=json | tee "$out/decode.txt"

echo "== End-to-end export"
"$build/bench/export_bench" --exporter "$build/src/cli/tessaron-export" \
  --baseline "$build/bench/baseline_writer" --work "$work" --out "$out" \
  --sizes "$sizes" --main 12000 --rounds "$rounds"

echo "== Viewer (offscreen)"
"$build/bench/gui_bench" --exporter "$build/src/cli/tessaron-export" --work "$work" --out "$out" \
  --rounds "$rounds" 2> >(grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR >&2)

"$here/bench/plot.sh" "$out/export.tsv" "$out/export-fps.png" 2>/dev/null
rm -rf "$work"

{
  echo "Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) cores," \
       "$(free -g | awk '/^Mem:/ {print $2}') GiB RAM, $(uname -sr)," \
       "output on $(df -T "$build" | awk 'NR==2 {print $2}'); load before: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo
  echo "### Decode + BMP on large frames (x_memcpy)"
  echo
  echo "| benchmark | x_memcpy |"
  echo "|---|---:|"
  grep -E '^(DecodeIntoBmp|DecodeFillCopyBmp|Decode|EncodeBmp)/(256x256|640x480)' "$out/decode.txt" |
    awk '{ for (i = 1; i <= NF; ++i) if ($i ~ /^x_memcpy=/) { sub("x_memcpy=", "", $i); printf "| %s | %.2f |\n", $1, $i } }'
  echo
  echo "### Export all"
  echo
  cat "$out/export.md"
  echo
  echo "### Viewer"
  echo
  cat "$out/gui.md"
} > "$out/summary.md"
echo
echo "== Summary ($out/summary.md, plot $out/export-fps.png)"
cat "$out/summary.md"
