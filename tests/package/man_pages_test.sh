#!/usr/bin/env bash
# man_pages_test.sh BIN_DIR MAN_DIR: each command and each long option that qx7log's,
# qx7ctl's, qx7-setup-printer's and the window's help lists has its place in the program's
# manual page, so that a new command or option cannot be left out of the pages, and every page
# renders without a warning.
set -euo pipefail
bin=$1
man=$2

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The commands a help text lists under "Subcommands:" (first word of each indented line).
commands_of() {
    "$1" --help | awk '/^Subcommands:/ {on = 1; next} on && /^  [a-z]/ {print $1}'
}
# The long options a help text lists ("--name", without the value's description).
options_of() {
    "$@" --help | grep -oE '(^|[ ,])--[a-z][a-z-]*' | sed 's/^[ ,]*//' | grep -vx -- '--help' | sort -u
}

for program in qx7log qx7ctl; do
    page="$man/$program.1"
    [ -f "$page" ] || { fail "no manual page $page"; continue; }
    commands=$(commands_of "$bin/$program")
    [ -n "$commands" ] || fail "$program --help lists no commands"
    # The page's commands: the first word of the tagged lines of its COMMANDS section.
    documented=$(awk '/^\.SH COMMANDS/ {on = 1; next} /^\.SH/ {on = 0}
                      on && prev ~ /^\.TP/ {print $2} {prev = $0}' "$page" | sed 's/\\-/-/g')
    for command in $commands; do
        grep -qx -- "$command" <<<"$documented" || fail "$program.1 does not describe '$command'"
        for option in $(options_of "$bin/$program" "$command") $(options_of "$bin/$program"); do
            grep -q -- "${option//-/\\\\-}" "$page" ||
                fail "$program.1 does not name $option (of $program $command)"
        done
    done
done

# The window has no commands: each long option of its help (read without a display) has its place.
page="$man/qx7-service-tool.1"
if [ -f "$page" ]; then
    window_options=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
        "$bin/qx7-service-tool" --help | grep -oE '(^|[ ,])--[a-z][a-z-]*' | sed 's/^[ ,]*//' |
        grep -vx -- '--help' | sort -u)
    [ -n "$window_options" ] || fail "qx7-service-tool --help lists no options"
    for option in $window_options -demo; do
        grep -q -- "${option//-/\\\\-}" "$page" || fail "qx7-service-tool.1 does not name $option"
    done
else
    fail "no manual page $page"
fi

# qx7-setup-printer (built with the CUPS link): each long option of its help has its place.
if [ -x "$bin/qx7-setup-printer" ]; then
    page="$man/qx7-setup-printer.1"
    if [ -f "$page" ]; then
        setup_options=$(options_of "$bin/qx7-setup-printer")
        [ -n "$setup_options" ] || fail "qx7-setup-printer --help lists no options"
        for option in $setup_options; do
            grep -q -- "${option//-/\\\\-}" "$page" || fail "qx7-setup-printer.1 does not name $option"
        done
    else
        fail "no manual page $page"
    fi
fi

for page in "$man"/*.1; do
    warnings=$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>&1) || fail "groff refused $page"
    [ -z "$warnings" ] || fail "$page renders with warnings: $warnings"
done

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "manual pages ok"
