#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
#   scripts/run-tests.sh             the default build
#   scripts/run-tests.sh --sanitize  the same suite under ASan + UBSan
set -euo pipefail
cd "$(dirname "$0")/.."
preset=default
if [ "${1:-}" = "--sanitize" ]; then
    preset=sanitize
fi
scripts/install-deps.sh
scripts/build.sh "$preset"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --preset "$preset" -j "$(nproc)"
