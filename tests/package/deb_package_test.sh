#!/usr/bin/env bash
# deb_package_test.sh BUILD_DIR CPACK: makes the Debian package of the build folder in a
# temporary folder and checks that it holds the programs, the desktop entry and the icon, and
# that it depends on the Qt and zlib packages of the system.
set -euo pipefail
build=$1
cpack=${2:-cpack}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 1' INT TERM HUP

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack did not make the package" >&2
    exit 1
fi
debs=("$work"/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "FAIL: expected one .deb in $work, found: ${debs[*]}" >&2
    exit 1
fi
deb=${debs[0]}

# Paths only: the sixth field of "dpkg-deb -c" (no blanks in these names).
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in \
    ./usr/bin/qx7-service-tool ./usr/bin/qx7log ./usr/bin/qx7ctl ./usr/bin/qx7-printer-sim \
    ./usr/share/applications/qx7-service-tool.desktop \
    ./usr/share/icons/hicolor/scalable/apps/qx7-service-tool.svg \
    ./usr/share/mime/packages/qx7-service-tool.xml; do
    grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
# Tests, benchmarks and developer tools stay out.
if grep -E '_tests?$|_bench$|qx7-loggen' <<<"$contents"; then
    fail "the package holds programs that are not for users"
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libqt6widgets6 libqt6gui6 libqt6core6 zlib1g qt6-qpa-plugins libqt6svg6; do
    grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package"
done
[ "$(dpkg-deb -f "$deb" Package)" = qx7-service-tool ] || fail "wrong package name"
[ "$(dpkg-deb -f "$deb" Version)" = 2.0.4.0 ] || fail "wrong version"

# The desktop entry starts the packaged program and names the packaged icon.
dpkg-deb -x "$deb" "$work/root"
entry="$work/root/usr/share/applications/qx7-service-tool.desktop"
grep -qx 'Exec=qx7-service-tool %f' "$entry" || fail "Exec is not the program with a file"
grep -qx 'MimeType=application/x-qx7-printer-log;' "$entry" || fail "MimeType"
grep -qx 'Icon=qx7-service-tool' "$entry" || fail "Icon is not the packaged icon"
grep -qx 'Name=QX-7 Service Tool' "$entry" || fail "Name"
grep -q '^Name\[ja\]=' "$entry" || fail "no Japanese name"
grep -qx 'Categories=Utility;' "$entry" || fail "Categories"
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$entry" || fail "desktop-file-validate refused the entry"
else
    echo "desktop-file-validate not found: entry not validated"
fi
# The log type: a MIME database made from the package knows ".zlg" and the "QX7LG1" start, and
# the desktop's own query (where xdg-mime is installed) names the type for both.
if command -v update-mime-database >/dev/null 2>&1; then
    mime="$work/root/usr/share/mime"
    update-mime-database "$mime" || fail "update-mime-database refused the log type"
    grep -q 'application/x-qx7-printer-log:\*\.zlg' "$mime/globs2" || fail "no *.zlg glob"
    grep -aq 'QX7LG1' "$mime/magic" || fail "no QX7LG1 magic"
    grep -q 'application/x-qx7-printer-log' "$mime/types" || fail "type not listed"
    if command -v xdg-mime >/dev/null 2>&1; then
        printf 'QX7LG1XX' >"$work/p1.zlg"
        printf 'QX7LG1XX' >"$work/p1.log"
        for log in "$work/p1.zlg" "$work/p1.log"; do
            type=$(XDG_DATA_DIRS="$work/root/usr/share" XDG_DATA_HOME="$work/none" \
                   xdg-mime query filetype "$log" 2>/dev/null || true)
            echo "xdg-mime: $log: $type"
        done
        [ "$(XDG_DATA_DIRS="$work/root/usr/share" XDG_DATA_HOME="$work/none" \
             xdg-mime query filetype "$work/p1.zlg" 2>/dev/null)" = application/x-qx7-printer-log ] ||
            fail "xdg-mime does not know a .zlg as a printer log"
    fi
else
    echo "update-mime-database not found: the log type not checked"
fi
# The packaged command-line programs run from where the package puts them.
"$work/root/usr/bin/qx7log" --help >/dev/null || fail "the packaged qx7log does not run"

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "package ok: $(basename "$deb")"
