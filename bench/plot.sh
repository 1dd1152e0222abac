#!/usr/bin/env bash
# Plots frames per second against archive size from export_bench's
# export.tsv: tessaron-export and the file-creation baselines.
#   bench/plot.sh RESULTS/export.tsv OUT.png
set -euo pipefail
data="$1"
png="$2"
gnuplot <<GNUPLOT
set terminal pngcairo size 900,560 font "DejaVu Sans,11"
set output "$png"
set title "Export all: frames per second against archive size"
set xlabel "frames in the archive"
set ylabel "frames (files) per second"
set logscale x
set format x "%.0f"
set yrange [0:*]
set key outside right top vertical
set grid
plot "$data" using 1:3 with linespoints lw 2 pt 7 title "tessaron-export (default jobs)", \
     "$data" using 1:4 with linespoints lw 2 pt 5 title "tessaron-export --jobs 1", \
     "$data" using 1:5 with linespoints lw 2 pt 9 title "baseline: same files, same way", \
     "$data" using 1:6 with linespoints lw 1 dt 2 pt 4 title "baseline: plain create (unsafe)", \
     "$data" using 1:7 with linespoints lw 1 dt 3 pt 6 title "baseline: temp file + rename"
GNUPLOT
