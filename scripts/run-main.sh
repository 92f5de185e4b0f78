#!/usr/bin/env bash
# Installs what is missing, builds, and starts the wizard with a simulated QX-7 printer to
# choose (arguments go to the wizard: --service, -demo). Without a display it runs the
# command-line tour of the bundled sample log instead: its information, its error analysis,
# then the whole log as text on standard output.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# Only what this script runs (the tests and benchmarks come with ./scripts/run-tests.sh, in
# the same build folder); the compiler's progress shows, the first build takes minutes.
echo "== building qx7-service-tool, qx7-printer-sim, qx7log and qx7ctl in build/default"
scripts/build.sh default qx7-service-tool qx7-printer-sim qx7log qx7ctl
bin=build/default/bin

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    # A spool folder of this run's own (mktemp makes it private), with one simulated printer
    # that goes again when the wizard closes, however the script ends.
    spool=$(mktemp -d "${TMPDIR:-/tmp}/qx7-spool.XXXXXX")
    sim=
    stop_sim() {
        if [ -n "$sim" ]; then
            kill "$sim" 2>/dev/null || true
            wait "$sim" 2>/dev/null || true
        fi
        rm -rf "$spool"
    }
    trap stop_sim EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM HUP
    "$bin/qx7-printer-sim" --spool "$spool" --quiet &
    sim=$!
    for _ in $(seq 50); do
        [ -S "$spool/QX-7_Simulator.sock" ] && break
        kill -0 "$sim" 2>/dev/null || { echo "qx7-printer-sim did not start" >&2; exit 1; }
        sleep 0.1
    done
    echo "== qx7-service-tool${*:+ $*} (printer \"QX-7 Simulator\" simulated in $spool)"
    QX7_SPOOL_DIR="$spool" "$bin/qx7-service-tool" "$@"
    exit
fi

echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): the command-line tour instead of the window."
sample=res/samples/sample.zlg
echo "== qx7log info $sample"
"$bin/qx7log" info "$sample"
echo
echo "== qx7log analyze $sample"
"$bin/qx7log" analyze "$sample"
echo
echo "== qx7log text $sample -o -"
exec "$bin/qx7log" text "$sample" -o -
