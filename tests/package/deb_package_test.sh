#!/usr/bin/env bash
# deb_package_test.sh BUILD_DIR CPACK MIME_QUERY LOGGEN: makes the Debian package of the build
# folder in a temporary folder and checks that it holds the programs (stripped), the desktop
# entry, the icon, the log file type and the manual pages, and that it depends on the Qt and
# zlib packages of the system. With QX7_EXPECT_CUPS_DRIVER=1 also the CUPS driver files,
# qx7-setup-printer and the scheduler's restart; with QX7_EXPECT_CUPS_FILTER=1 the filter.
set -euo pipefail
build=$1
cpack=$2
mime_query=$3   # prints the type Qt's MIME database gives each file
loggen=$4       # qx7-loggen, for a bare log
cups_driver=${QX7_EXPECT_CUPS_DRIVER:-0}
cups_filter=${QX7_EXPECT_CUPS_FILTER:-0}

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
    ./usr/share/mime/packages/qx7-service-tool.xml \
    ./usr/share/man/man1/qx7-service-tool.1.gz ./usr/share/man/man1/qx7log.1.gz \
    ./usr/share/man/man1/qx7ctl.1.gz ./usr/share/man/man1/qx7-printer-sim.1.gz; do
    grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
# The CUPS driver: where CUPS' driver lookup, MIME database and filters are; programs 0755,
# data 0644, all root's (cupsd runs no filter that others may write).
if [ "$cups_driver" = 1 ]; then
    listing=$(dpkg-deb -c "$deb")
    expect_mode() { # mode, path
        local line
        line=$(awk -v p="$2" '$6 == p' <<<"$listing")
        if [ -z "$line" ]; then
            fail "the package lacks $2"
        elif [ "$(awk '{print $1 " " $2}' <<<"$line")" != "$1 root/root" ]; then
            fail "$2 is not $1 root/root: $line"
        fi
    }
    expect_mode -rw-r--r-- ./usr/share/ppd/quorvel/qx7.ppd
    expect_mode -rw-r--r-- ./usr/share/cups/mime/qx7.types
    expect_mode -rwxr-xr-x ./usr/bin/qx7-setup-printer
    expect_mode -rw-r--r-- ./usr/share/man/man1/qx7-setup-printer.1.gz
    if [ "$cups_filter" = 1 ]; then
        expect_mode -rwxr-xr-x ./usr/lib/cups/filter/qx7-command-filter
    fi
    # Not in the multiarch library folder, where CUPS does not look.
    if grep -q '^\./usr/lib/[^/]*-linux-gnu/cups' <<<"$contents"; then
        fail "CUPS files in the multiarch library folder"
    fi
fi
# Tests, benchmarks and developer tools stay out.
if grep -E '_tests?$|_bench$|qx7-loggen' <<<"$contents"; then
    fail "the package holds programs that are not for users"
fi

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libqt6widgets6 libqt6gui6 libqt6core6 zlib1g qt6-qpa-plugins libqt6svg6; do
    grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package"
done
if [ "$cups_driver" = 1 ]; then
    recommends=$(dpkg-deb -f "$deb" Recommends)
    echo "Recommends: $recommends"
    grep -qE "(^|, )cups( |,|$)" <<<"$recommends" || fail "Recommends lacks cups"
fi
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
# The log type, asked as the desktop asks: Qt's MIME database (the window's, and Qt-based file
# managers') and GIO's (where gio is installed), in two databases made with the system's own
# definitions: the package's file merged into one database with them (what the package's
# installation does in /usr/share/mime) and the package's file alone in a private prefix
# before the system's folder (a "cmake --install --prefix ~/.local"). A printer log is ours
# whatever its name; other ".log" files stay what they were.
if command -v update-mime-database >/dev/null 2>&1 && [ -d /usr/share/mime/packages ]; then
    mime="$work/root/usr/share/mime"
    # (It notes on standard error that these folders are not searched: they are not meant to be.)
    update-mime-database "$mime" 2>"$work/mime.log" ||
        fail "update-mime-database refused the log type: $(cat "$work/mime.log")"
    grep -q 'application/x-qx7-printer-log:\*\.zlg' "$mime/globs2" || fail "no *.zlg glob"
    grep -aq 'QX7LG1' "$mime/magic" || fail "no QX7LG1 magic"
    grep -q 'application/x-qx7-printer-log' "$mime/types" || fail "type not listed"

    merged="$work/merged/share"
    mkdir -p "$merged/mime/packages"
    cp /usr/share/mime/packages/*.xml "$mime/packages/qx7-service-tool.xml" "$merged/mime/packages/"
    update-mime-database "$merged/mime" 2>"$work/mime.log" ||
        fail "update-mime-database refused the merged database: $(cat "$work/mime.log")"

    samples="$work/samples"
    mkdir -p "$samples"
    printf 'QX7LG1XX000020150704120000000000000000000000' >"$samples/plain.log"
    printf 'QX7LG1ZL\037\213\010\000' >"$samples/compressed.log"
    printf 'QX7LG1XX' >"$samples/plain.zlg"
    "$loggen" --entries 300 --bare --seed 3 -q -o "$samples/bare.log"
    printf '2015-07-04 12:00:00 service started\nEdGe of the world\n' >"$samples/text.log"
    gzip -9nc /etc/os-release >"$samples/gzip.log"
    : >"$samples/empty.log"
    expected() {
        case $1 in
            plain.log | compressed.log | plain.zlg | bare.log) echo application/x-qx7-printer-log ;;
            text.log) echo text/x-log ;;
            *) echo "not application/x-qx7-printer-log" ;;
        esac
    }
    check_answers() { # label, then lines "FILE: TYPE"
        local label=$1 line file type want
        while IFS= read -r line; do
            file=$(basename "${line%%: *}")
            type=${line##*: }
            want=$(expected "$file")
            echo "$label: $file: $type"
            if [ "$want" = application/x-qx7-printer-log ] || [ "$want" = text/x-log ]; then
                [ "$type" = "$want" ] || fail "$label: $file is $type, not $want"
            elif [ "$type" = application/x-qx7-printer-log ]; then
                fail "$label: $file is taken for a printer log"
            fi
        done
    }
    files=("$samples"/*)
    for setup in merged private; do
        if [ "$setup" = merged ]; then
            dirs="$merged"
        else
            dirs="$work/root/usr/share:/usr/share"
        fi
        answers=$(XDG_DATA_DIRS="$dirs" XDG_DATA_HOME="$work/none" "$mime_query" "${files[@]}") ||
            fail "the Qt MIME query did not run"
        check_answers "Qt, $setup" <<<"$answers"
        if command -v gio >/dev/null 2>&1; then
            answers=$(for f in "${files[@]}"; do
                printf '%s: %s\n' "$f" "$(XDG_DATA_DIRS="$dirs" XDG_DATA_HOME="$work/none" \
                    gio info -a standard::content-type "$f" 2>/dev/null |
                    sed -n 's/^ *standard::content-type: //p')"
            done)
            check_answers "gio, $setup" <<<"$answers"
        fi
    done
else
    echo "update-mime-database or the system's MIME definitions not found: the log type not checked"
fi
# The manual pages: gzip -9n as Debian ships them (no name, no time stamp in the header), and
# each renders without a warning.
pages=(qx7-service-tool qx7log qx7ctl qx7-printer-sim)
programs=(qx7-service-tool qx7log qx7ctl qx7-printer-sim)
if [ "$cups_driver" = 1 ]; then
    pages+=(qx7-setup-printer)
fi
if [ "$cups_filter" = 1 ]; then
    programs+=(../lib/cups/filter/qx7-command-filter)
fi
for page in "${pages[@]}"; do
    gz="$work/root/usr/share/man/man1/$page.1.gz"
    if [ ! -f "$gz" ]; then
        fail "the package lacks the manual page $page.1.gz"
        continue
    fi
    gzip -t "$gz" || fail "$page.1.gz is not a whole gzip file"
    header=$(od -An -tx1 -N8 "$gz" | tr -d ' \n')
    [ "${header:6:10}" = "0000000000" ] || fail "$page.1.gz carries a name or a time stamp ($header)"
    if command -v man >/dev/null 2>&1; then
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$gz" 2>&1 >"$work/$page.txt") ||
            fail "man cannot render $page.1.gz"
        [ -z "$warnings" ] || fail "$page.1.gz renders with warnings: $warnings"
        grep -q "^NAME" "$work/$page.txt" || fail "$page.1.gz renders without its NAME section"
    fi
done
# The programs are stripped: no symbol table, no debugging sections.
for program in "${programs[@]}"; do
    sections=$(readelf -S -W "$work/root/usr/bin/$program")
    if grep -qE ' \.(symtab|debug_info) ' <<<"$sections"; then
        fail "the packaged $program is not stripped"
    fi
done
# A packaged program that loads libcups brings the package's dependency on it (dpkg-shlibdeps).
for program in "${programs[@]}"; do
    if readelf -d "$work/root/usr/bin/$program" | grep -q 'NEEDED.*\[libcups\.so\.2\]' &&
        ! grep -qE "(^|, )libcups2( |,|$)" <<<"$depends"; then
        fail "$program needs libcups, Depends lacks libcups2"
    fi
done
# The packaged command-line programs run from where the package puts them.
"$work/root/usr/bin/qx7log" --help >/dev/null || fail "the packaged qx7log does not run"

if [ "$cups_driver" = 1 ]; then
    # The packaged qx7-setup-printer hands lpadmin the packaged driver file, also when started
    # through a link from another folder; CUPS' programs are fakes that note their arguments.
    fakes="$work/fakes"
    mkdir -p "$fakes" "$work/elsewhere"
    printf '#!/bin/sh\nexit 0\n' >"$fakes/lpstat"
    printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s/lpadmin.args"\n' "$work" >"$fakes/lpadmin"
    chmod 755 "$fakes/lpstat" "$fakes/lpadmin"
    ln -s "$work/root/usr/bin/qx7-setup-printer" "$work/elsewhere/qx7-setup-printer"
    for start in "$work/root/usr/bin/qx7-setup-printer" "$work/elsewhere/qx7-setup-printer"; do
        rm -f "$work/lpadmin.args"
        PATH="$fakes:$PATH" "$start" --device-uri 'usb://Quorvel/QX-7%20Series?serial=A1' \
            </dev/null >"$work/setup.log" 2>&1 || fail "$start failed: $(cat "$work/setup.log")"
        ppd=$(sed -n '/^-P$/{n;p}' "$work/lpadmin.args" 2>/dev/null)
        [ -n "$ppd" ] && [ "$(readlink -f "$ppd")" = "$work/root/usr/share/ppd/quorvel/qx7.ppd" ] ||
            fail "$start hands lpadmin the driver file '$ppd'"
    done
    [ "$("$work/root/usr/bin/qx7-setup-printer" --version)" = "qx7-setup-printer 2.0.4.0" ] ||
        fail "qx7-setup-printer --version"

    # The maintainer script restarts a running scheduler (the new MIME type) and nothing else.
    dpkg-deb -e "$deb" "$work/control"
    postinst="$work/control/postinst"
    if [ ! -x "$postinst" ]; then
        fail "no executable postinst"
    else
        sh -n "$postinst" || fail "postinst is not valid sh"
        for tool in deb-systemd-invoke invoke-rc.d; do
            printf '#!/bin/sh\necho "%s $*" >>"%s/restarts"\n' "$tool" "$work" >"$fakes/$tool"
            chmod 755 "$fakes/$tool"
        done
        PATH="$fakes:$PATH" sh "$postinst" abort-upgrade || fail "postinst abort-upgrade failed"
        [ ! -e "$work/restarts" ] || fail "postinst abort-upgrade touched CUPS: $(cat "$work/restarts")"
        PATH="$fakes:$PATH" sh "$postinst" configure 2.0.3.0 || fail "postinst configure failed"
        if [ -e "$work/restarts" ]; then
            grep -qvxE 'deb-systemd-invoke try-restart cups.service|invoke-rc.d cups force-reload' \
                "$work/restarts" && fail "postinst asked more than CUPS' restart: $(cat "$work/restarts")"
        else
            echo "neither systemd nor /etc/init.d/cups here: the restart not seen"
        fi
    fi
fi

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "package ok: $(basename "$deb")"
