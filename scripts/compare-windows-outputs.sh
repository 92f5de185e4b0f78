#!/usr/bin/env bash
# The Windows qx7log.exe (under Wine) against the Linux qx7log on the same logs: every command's
# output must be the same bytes, also for a log with a Japanese name. The zone's name in the
# first line of text and CSV exports is the system's own (Windows: "Tokyo Standard Time",
# Linux: "JST") and is compared without it.
#   scripts/compare-windows-outputs.sh LINUX_QX7LOG WINDOWS_QX7LOG_EXE
set -euo pipefail
linux="$(realpath "$1")"
windows="$(realpath "$2")"
root="$(cd "$(dirname "$0")/.." && pwd)"
loggen="$(dirname "$linux")/qx7-loggen"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Names relative to the work folder, which both programs start in: Wine would take "/tmp/..."
# for a folder of drive C:.
cp "$root/res/samples/sample.zlg" "$work/sample.zlg"
logs=(sample.zlg)
if [ -x "$loggen" ]; then
    "$loggen" -q --seed 7 --entries 20000 -o "$work/plain.log"
    "$loggen" -q --seed 8 --entries 20000 --compressed -o "$work/packed.zlg"
    "$loggen" -q --seed 9 --entries 3000 --bad-settings --compressed -o "$work/bad.zlg"
    logs+=(plain.log packed.zlg bad.zlg)
fi
cp "$root/res/samples/sample.zlg" "$work/ログ.zlg"
logs+=(ログ.zlg)

# Drops the zone's name from "... is based on <zone>" in a first line.
without_zone() { sed '1s/ based on .*\r$/ based on <zone>\r/' "$1"; }

failures=0
compare() {  # name, then the arguments after the program
    local name="$1"
    shift
    local a="$work/out.linux" b="$work/out.windows"
    (cd "$work" && TZ="$zone" "$linux" "$@" >"$a" 2>"$a.err") || echo "exit $?" >>"$a"
    (cd "$work" && TZ="$zone" wine "$windows" "$@" >"$b" 2>"$b.err") || echo "exit $?" >>"$b"
    if ! cmp -s <(without_zone "$a") <(without_zone "$b"); then
        echo "DIFFERENT: $name ($zone): qx7log $*"
        diff <(without_zone "$a") <(without_zone "$b") | head -5 || true
        failures=$((failures + 1))
    fi
}

compared=0
for zone in UTC Asia/Tokyo; do
    for log in "${logs[@]}"; do
        base="$log"
        for lang in en ja; do
            compare "$base text $lang" --lang "$lang" --encoding UTF-8 text "$log" -o -
            compare "$base text ext" --lang "$lang" --encoding UTF-8 text "$log" -o - --ext --types ew
            compare "$base csv $lang" --lang "$lang" --encoding UTF-8 csv "$log" -o -
            compare "$base info $lang" --lang "$lang" --encoding UTF-8 info "$log"
            for analysis in 0 3 7; do
                compare "$base analyze $analysis" --lang "$lang" --encoding UTF-8 analyze "$log" \
                    --analysis "$analysis" --max all
            done
            compare "$base settings" --lang "$lang" --encoding UTF-8 settings "$log"
            compare "$base settings 8012" --lang "$lang" --encoding UTF-8 settings "$log" \
                --block 8012 --compare
            compare "$base text cp932" --lang "$lang" --encoding CP932 text "$log" -o -
            compared=$((compared + 10))
        done
        # The statistics files, written beside each other in a folder of their own.
        for side in linux windows; do
            rm -rf "$work/stats.$side" && mkdir "$work/stats.$side"
        done
        # Each side's status counts too: two failed runs leave two empty folders that diff -r
        # would call equal.
        linux_status=0
        windows_status=0
        (cd "$work" && TZ="$zone" "$linux" --encoding UTF-8 stats "$log" --folder stats.linux \
            --day d.csv --job j.csv --comment "コメント" >/dev/null 2>&1) || linux_status=$?
        (cd "$work" && TZ="$zone" wine "$windows" --encoding UTF-8 stats "$log" \
            --folder stats.windows --day d.csv --job j.csv --comment "コメント" >/dev/null 2>&1) ||
            windows_status=$?
        if [ "$linux_status" -ne 0 ] || [ "$windows_status" -ne 0 ]; then
            echo "DIFFERENT: $base stats ($zone): exit $linux_status (Linux), $windows_status (Windows)"
            failures=$((failures + 1))
        elif ! diff -r "$work/stats.linux" "$work/stats.windows" >/dev/null; then
            echo "DIFFERENT: $base stats ($zone)"
            failures=$((failures + 1))
        fi
        compared=$((compared + 1))
    done
done

echo "qx7log.exe against qx7log: $compared outputs compared, $failures different"
[ "$failures" -eq 0 ]
