#!/usr/bin/env bash
# Installs what is missing, builds, and starts the newest front end on the bundled sample log:
# its information, its error analysis, then the whole log as text on standard output.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh default >/dev/null
bin=build/default/bin
sample=res/samples/sample.zlg
echo "== qx7log info $sample"
"$bin/qx7log" info "$sample"
echo
echo "== qx7log analyze $sample"
"$bin/qx7log" analyze "$sample"
echo
echo "== qx7log text $sample -o -"
exec "$bin/qx7log" text "$sample" -o -
