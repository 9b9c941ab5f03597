#!/usr/bin/env bash
# Installs the Debian package with apt and tries it as a new user would: an unprivileged account
# with a fresh home folder runs a batch and the window, and finds its files in its own folders;
# the installed entry, metadata and manual page are validated; removing the package leaves the
# user's files alone. Needs root (apt, a user account). Ends with "package-check: N passed, N
# failed" and fails when a check fails.
#   scripts/package-check.sh path/to/speedmetrix_<version>_amd64.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
deb="$(realpath "${1:?usage: package-check.sh DEB}")"
[ "$(id -u)" -eq 0 ] || { echo "package-check: needs root (apt-get, useradd)" >&2; exit 2; }

"$root/scripts/apt-install.sh" appstream desktop-file-utils man-db

user=smx-check
home="$(mktemp -d /tmp/smx-check-home.XXXXXX)"
made_user=0
window_pid=
cleanup() {
    [ -z "$window_pid" ] || kill -KILL "$window_pid" 2>/dev/null || true
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq speedmetrix >/dev/null 2>&1 || true
    [ "$made_user" -eq 0 ] || userdel "$user" 2>/dev/null || true
    rm -rf "$home"
}
trap cleanup EXIT

passed=0
failed=0
check() {
    local name="$1"
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok: $name"
    else
        failed=$((failed + 1))
        echo "FAILED: $name"
    fi
}

# The layout's fonts come with the package, as do the libraries dpkg-shlibdeps found.
depends_on() { dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -qx "$1"; }
check "the package depends on the layout's fonts" depends_on fonts-liberation
check "the package depends on Qt's widgets library" depends_on libqt6widgets6

# An earlier copy would hide what this package installs.
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq speedmetrix >/dev/null 2>&1 || true
check "apt installs the package" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq "$deb"

id "$user" >/dev/null 2>&1 || { useradd --no-create-home --shell /usr/sbin/nologin "$user"; made_user=1; }
chown "$user:" "$home"
cd "$home"
# The user's own rights and a fresh home with no XDG variables: the defaults apply. Each part
# execs the next, so a process started in the background is the program itself.
as_user=(setpriv --reuid="$user" --regid="$user" --init-groups --
    env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8)
as_user() { "${as_user[@]}" "$@"; }
data="$home/.local/share/speedmetrix/Speedmetrix_DB.INI"
config="$home/.config/speedmetrix/Speedmetrix.ini"

# The installed readme tells the user where the installed copy keeps the files checked here.
readme_names() { grep -qF "$1" /usr/share/doc/speedmetrix/speedmetrix.txt; }
check "the installed readme names the settings folder" readme_names "~/.config/speedmetrix/Speedmetrix.ini"
check "the installed readme names the results folder" readme_names "~/.local/share/speedmetrix/Speedmetrix_DB.INI"
check "the program is on PATH" test "$(as_user sh -c 'command -v speedmetrix')" = /usr/bin/speedmetrix
batch() {
    as_user timeout 120 speedmetrix --batch --tests integer --integer-loops 1 --save CI \
        >"$home/batch.out" 2>"$home/batch.err" || { cat "$home/batch.err" >&2; return 1; }
    grep -q 'saved to the "CI" section' "$home/batch.err"
}
check "a batch run saves its set" batch
saved_set() {
    grep -qx '\[CI\]' "$data" && grep -q '^Integer_Operations_Per_Sec=' "$data" &&
        [ "$(sed -n '/^\[CI\]/,/^\[/p' "$data" | grep -c '=')" -eq 8 ]
}
check "the set is in \$XDG_DATA_HOME/speedmetrix/Speedmetrix_DB.INI" saved_set

window() {
    local err="$home/window.err" pid caught status=0
    "${as_user[@]}" QT_QPA_PLATFORM=offscreen speedmetrix 2>"$err" >/dev/null &
    pid=$!
    window_pid=$pid
    # Up once it catches SIGTERM (bit 15 of the caught-signals mask), which it does just before
    # it shows the window.
    for _ in $(seq 100); do
        caught="$(sed -n 's/^SigCgt:\t*//p' "/proc/$pid/status" 2>/dev/null || true)"
        [ -n "$caught" ] && (( (16#$caught >> 14) & 1 )) && break
        sleep 0.2
    done
    sleep 1
    kill -TERM "$pid"
    timeout 30 tail --pid="$pid" -f /dev/null || { kill -KILL "$pid"; return 1; }
    wait "$pid" || status=$?
    window_pid=
    [ "$status" -eq 0 ] || { echo "the window ended with status $status" >&2; cat "$err" >&2; return 1; }
    ! grep -q 'Unable to write' "$err"
}
check "the window starts and ends on SIGTERM" window
window_settings() {
    grep -qx '\[Speedmetrix\]' "$config" && grep -qx 'window_Width=666' "$config" &&
        grep -qx 'Selected_INI_Section=' "$config"
}
check "the settings are in \$XDG_CONFIG_HOME/speedmetrix/" window_settings
check "nothing was written beside the program" \
    test -z "$(find /usr/bin -maxdepth 1 -iname 'speedmetrix*.ini' -print -quit)"

entry=/usr/share/applications/org.speedmetrix.Speedmetrix.desktop
metainfo=/usr/share/metainfo/org.speedmetrix.Speedmetrix.metainfo.xml
manual=/usr/share/man/man1/speedmetrix.1.gz
check "desktop-file-validate passes the menu entry" desktop-file-validate "$entry"
check "appstreamcli validates the metadata" appstreamcli validate --no-net "$metainfo"
icons() {
    local f
    for f in /usr/share/icons/hicolor/{scalable/apps/org.speedmetrix.Speedmetrix.svg,{48x48,128x128,256x256}/apps/org.speedmetrix.Speedmetrix.png}; do
        [ -s "$f" ] || { echo "missing $f" >&2; return 1; }
    done
    grep -qx 'Icon=org.speedmetrix.Speedmetrix' "$entry"
}
check "the icon is installed in every size" icons
check "the readme is in the documentation folder" test -s /usr/share/doc/speedmetrix/speedmetrix.txt
manual_page() {
    local warnings text option code
    warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)"
    [ -z "$warnings" ] || { echo "$warnings" >&2; return 1; }
    # Without hyphenation, so that long names are found whole.
    text="$(LC_ALL=C.UTF-8 MANROFFOPT=-rHY=0 MANWIDTH=200 man -l "$manual" 2>/dev/null | col -b)"
    # Every option of --help, every exit code and the file locations.
    for option in $(speedmetrix --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        grep -q -- "$option" <<<"$text" || { echo "the manual page lacks $option" >&2; return 1; }
    done
    for code in 0 1 2 3 4 5 6 7 8; do
        grep -qE "^ +$code +[a-z]" <<<"$text" || { echo "the manual page lacks exit code $code" >&2; return 1; }
    done
    grep -q 'XDG_DATA_HOME/speedmetrix/Speedmetrix_DB.INI' <<<"$text" || return 1
    # The synopsis has one line per form, the report's among them, and the usage lines of --help
    # do not run on into the description.
    local synopsis
    synopsis="$(sed -n '/^SYNOPSIS/,/^DESCRIPTION/p' <<<"$text")"
    [ "$(grep -c '^ *speedmetrix' <<<"$synopsis")" -eq 4 ] &&
        grep -q -- '^ *speedmetrix --report FILE.json' <<<"$synopsis" &&
        [ "$(grep -c -- 'speedmetrix --batch \[OPTION\]' <<<"$text")" -eq 1 ] ||
        { echo "the manual page's synopsis: $synopsis" >&2; return 1; }
}
check "man --warnings passes the manual page, which has every option and exit code" manual_page
check "the bash completion is installed where bash-completion loads it" \
    bash "$root/tests/packaging/bash_completion_test.sh" \
    /usr/share/bash-completion/completions/speedmetrix /usr/bin/speedmetrix

check "apt removes the package" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq speedmetrix
check "the program is gone" test ! -e /usr/bin/speedmetrix
check "the user's files stay" test -s "$data" -a -s "$config"

echo "package-check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
