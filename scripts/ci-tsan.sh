#!/usr/bin/env bash
# Builds the command-line exporter and its tests with ThreadSanitizer into
# build-tsan/ (or the folder given as $1) and runs them: the exporter's
# worker threads hand frames and files to the writing thread, and any race
# there halts the run.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-tsan}"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build "$build" --target tessaron-export cli_tests failing_disk_tests

export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
# Without address-space randomisation: ThreadSanitizer maps its shadow
# memory at fixed places, which some kernels' randomised layouts collide
# with.  Programs the tests start inherit the setting.
run() { setarch "$(uname -m)" -R "$@"; }
run "$build/tests/cli/cli_tests"
run "$build/tests/failing_disk/failing_disk_tests"
