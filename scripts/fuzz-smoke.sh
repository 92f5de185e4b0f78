#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each briefly from its seeds and saved inputs
# (fuzz/corpus/<name>, fuzz/regressions/<name>):
#   scripts/fuzz-smoke.sh [seconds per target, default 30]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
scripts/install-deps.sh
shopt -s nullglob
targets=(fuzz/*_fuzz.cpp)
if [ ${#targets[@]} -eq 0 ]; then
    echo "No fuzz targets."
    exit 0
fi
scripts/build.sh fuzz
passed=0
failed=0
for source in "${targets[@]}"; do
    name="$(basename "$source" .cpp)"
    work="build/fuzz/corpus/$name"
    mkdir -p "$work"
    seeds=()
    # The saved inputs run first of all, so one that fails again fails here too.
    for folder in "fuzz/corpus/${name%_fuzz}" "fuzz/regressions/${name%_fuzz}"; do
        [ -d "$folder" ] && seeds+=("$folder")
    done
    if "build/fuzz/bin/$name" -max_total_time="$seconds" -max_len=1048576 -rss_limit_mb=2048 \
        -print_final_stats=0 "$work" "${seeds[@]}" >"build/fuzz/$name.log" 2>&1; then
        echo "fuzz $name: ok"
        passed=$((passed + 1))
    else
        echo "fuzz $name: FAILED"; tail -n 40 "build/fuzz/$name.log"
        failed=$((failed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
