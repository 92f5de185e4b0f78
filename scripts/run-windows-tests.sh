#!/usr/bin/env bash
# The Windows build (MinGW-w64, static) and its tests under Wine, in a private Wine prefix
# inside the build folder; Wine is stopped afterwards. When the Linux build is there too, the
# outputs of qx7log.exe are compared byte for byte with the Linux qx7log's.
#   scripts/run-windows-tests.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# tzdata: without it, Wine runs the Asia/Tokyo and America/New_York tests in UTC.
scripts/install-deps.sh cmake ninja-build unzip g++-mingw-w64-x86-64-posix libz-mingw-w64-dev \
    wine64 wine libcli11-dev googletest tzdata

scripts/build.sh windows

export WINEPREFIX="$PWD/build/windows/wineprefix"
export WINEDEBUG=-all
# No .NET or HTML engine: Wine would ask to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="
stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
trap stop_wine EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w || true
fi

ctest --preset windows -j "$(nproc)"

# The zip for Windows users: the two programs, the README and the Windows notes.
(cd build/windows && cpack -G ZIP >/dev/null)
# Listed into a variable: grep -q in a pipe would end unzip by SIGPIPE, failing under pipefail.
zip_listing="$(unzip -Z1 build/windows/qx7-service-tool-*-windows-x86_64.zip)"
for member in qx7log.exe qx7ctl.exe README.md windows.md; do
    if ! grep -qE "(^|/)${member//./\\.}$" <<<"$zip_listing"; then
        echo "The Windows zip lacks $member" >&2
        exit 1
    fi
done

if [ -x build/default/bin/qx7log ]; then
    scripts/compare-windows-outputs.sh build/default/bin/qx7log build/windows/bin/qx7log.exe
fi
