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
    ./usr/share/icons/hicolor/scalable/apps/qx7-service-tool.svg; do
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
grep -qx 'Exec=qx7-service-tool' "$entry" || fail "Exec is not the program"
grep -qx 'Icon=qx7-service-tool' "$entry" || fail "Icon is not the packaged icon"
grep -qx 'Name=QX-7 Service Tool' "$entry" || fail "Name"
grep -q '^Name\[ja\]=' "$entry" || fail "no Japanese name"
grep -qx 'Categories=Utility;' "$entry" || fail "Categories"
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$entry" || fail "desktop-file-validate refused the entry"
else
    echo "desktop-file-validate not found: entry not validated"
fi
# The packaged command-line programs run from where the package puts them.
"$work/root/usr/bin/qx7log" --help >/dev/null || fail "the packaged qx7log does not run"

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "package ok: $(basename "$deb")"
