#!/usr/bin/env bash
# Configures and builds one preset (default, sanitize, fuzz), all of it or the targets named:
#   scripts/build.sh [preset [target...]]
# The build shows its progress; configuring says only what goes wrong.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake --preset "$preset" "${launcher[@]}" >/dev/null
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
cmake --build --preset "$preset" -j "$(nproc)" "${targets[@]}"
