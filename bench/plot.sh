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
set autoscale xfix
set offsets graph 0.05, graph 0.05, 0, 0
set format x "%.0f"
set yrange [0:*]
set key below horizontal maxcols 2
set grid
plot "$data" using 1:3 with linespoints lw 2 pt 7 lc rgb "#c0392b" title "tessaron-export (default jobs)", \
     "$data" using 1:4 with linespoints lw 2 pt 5 lc rgb "#e67e22" title "tessaron-export --jobs 1", \
     "$data" using 1:5 with linespoints lw 2 pt 9 lc rgb "#2471a3" title "baseline: same files, created the same way", \
     "$data" using 1:6 with linespoints lw 1 dt 2 pt 4 lc rgb "#5d6d7e" title "baseline: created in place (unsafe)", \
     "$data" using 1:7 with linespoints lw 1 dt 3 pt 6 lc rgb "#27ae60" title "baseline: named temporary file + rename", \
     "$data" using 1:8 with linespoints lw 1 dt 4 pt 8 lc rgb "#8e44ad" title "baseline: same files, created the same way, on all cores"
GNUPLOT
