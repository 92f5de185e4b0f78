#!/usr/bin/env bash
# Installs what is missing, builds, and starts the newest front end on the bundled sample.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh default
bin=build/default/bin
if [ -x "$bin/qx7log" ] && [ -f res/samples/sample.zlg ]; then
    exec "$bin/qx7log" text res/samples/sample.zlg -o -
fi
echo "Built. No front end is there yet to start; run scripts/run-tests.sh for the tests."
