#!/usr/bin/env bash
# Builds everything with AddressSanitizer (leak checking included) and
# UndefinedBehaviorSanitizer into build-asan/ (or the folder given as $1) and
# runs the whole test suite there, halting on the first report.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-asan}"

"$here/scripts/build.sh" "$build" -DTESSARON_SANITIZE=ON

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Leaks inside third-party libraries only; see the file.
export LSAN_OPTIONS="suppressions=$here/scripts/lsan-suppressions.txt:print_suppressions=0"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
