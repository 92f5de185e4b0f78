#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing; given
# package names, installs those instead (the Windows suite brings its own list).
#   scripts/install-deps.sh [PACKAGE...]
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    clang libclang-rt-14-dev
    zlib1g-dev libisal-dev libcli11-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
    tzdata locales gzip python3
    # The wizard: Qt 6 Widgets (with Qt Test), Qt Charts for the statistics chart (its CMake
    # files need Qt's OpenGL ones), Qt's own Japanese texts, the SVG icon engine for its icon,
    # and for its tests a virtual X server and Japanese fonts for the screenshots.
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n libqt6svg6 libgl-dev
    xvfb xauth fonts-noto-cjk
    # The Debian package and the checks of its desktop entry, its log file type (the MIME
    # database and GIO's query of it) and its manual pages.
    dpkg-dev desktop-file-utils shared-mime-info libglib2.0-bin groff-base man-db
    # What an ordinary desktop brings along, so that the suite is known to pass with it: a
    # monospaced font that fontconfig does not mark fixed-pitch, and xdg-utils.
    fonts-noto-mono xdg-utils
    # The printer link through CUPS: libcups, and for its tests a private scheduler and the
    # administration programs that add its queues.
    libcups2-dev cups-daemon cups-client
)
if [ $# -gt 0 ]; then
    packages=("$@")
fi

missing=()
for p in "${packages[@]}"; do
    if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
