#!/usr/bin/env bash
# What a newcomer's freshly installed Debian 12 does that this build machine may not, tried with
# a built Release folder (needs root: apt, a user account, a font folder):
#   - the install step waits for an apt that another program is running instead of failing;
#   - the end-to-end tests pass when an unprivileged user with a fresh home folder runs them
#     while fontconfig meets a font folder without a cache, which it then writes into that
#     user's cache folder.
# Ends with "fresh-check: N passed, N failed" and fails when a check fails.
#   scripts/fresh-check.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?usage: fresh-check.sh BUILD_DIR}" && pwd)"
[ "$(id -u)" -eq 0 ] || { echo "fresh-check: needs root (apt-get, useradd)" >&2; exit 2; }

user=smx-fresh
work="$(mktemp -d /tmp/smx-fresh.XXXXXX)"
fonts=/usr/local/share/fonts/smx-fresh-check
made_user=0
cleanup() {
    [ "$made_user" -eq 0 ] || userdel "$user" 2>/dev/null || true
    rm -rf "$work" "$fonts"
}
trap cleanup EXIT

# shellcheck source=scripts/check-common.sh
source "$root/scripts/check-common.sh"

# Another apt holds the package lists' lock for a moment and the dpkg front-end lock for longer
# (apt and dpkg take both with fcntl) while the install step installs a small package: it must
# wait for each in turn.
lists_seconds=3
dpkg_seconds=12
probe_package=hello
install_under_lock() {
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 purge -y -qq "$probe_package" >/dev/null 2>&1 || true
    python3 -c '
import fcntl, os, sys, time
def hold(path):
    fd = os.open(path, os.O_RDWR | os.O_CREAT, 0o640)
    fcntl.lockf(fd, fcntl.LOCK_EX)
    return fd
lists = hold("/var/lib/apt/lists/lock")
dpkg = hold("/var/lib/dpkg/lock-frontend")
print("held", flush=True)
time.sleep(float(sys.argv[1]))
os.close(lists)
time.sleep(float(sys.argv[2]) - float(sys.argv[1]))
' "$lists_seconds" "$dpkg_seconds" >"$work/lock.out" &
    local holder=$! start end status=0
    for _ in $(seq 100); do [ -s "$work/lock.out" ] && break; sleep 0.1; done
    start=$(date +%s)
    "$root/scripts/apt-install.sh" "$probe_package" >"$work/apt.log" 2>&1 || status=$?
    end=$(date +%s)
    wait "$holder" || true
    [ "$status" -eq 0 ] || { cat "$work/apt.log" >&2; return 1; }
    dpkg-query -W -f='${Status}' "$probe_package" | grep -q "install ok installed" || return 1
    # It waited for the locks rather than going round them.
    [ $((end - start)) -ge $((dpkg_seconds - 2)) ]
}
check "the install step waits for another apt" install_under_lock
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 purge -y -qq "$probe_package" >/dev/null 2>&1 || true

# A font folder that no fc-cache has seen, as a package brought in leaves it on a fresh system.
mkdir -p "$fonts"
cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "$fonts/"
id "$user" >/dev/null 2>&1 || { useradd --no-create-home --shell /usr/sbin/nologin "$user"; made_user=1; }
# The build folder may lie where the user cannot go: the tests and the program run from copies
# in a folder of the user's, where tests may make folders beside the program; so does the
# library some tests preload into the program.
cp "$build/tests/tests_e2e" "$build/app/speedmetrix" "$build/tests/libsmx_refuse_commit.so" "$work/"
mkdir "$work/home"
chown -R "$user:" "$work"
e2e_as_user() {
    (cd "$work/home" && setpriv --reuid="$user" --regid="$user" --init-groups -- \
        env -i HOME="$work/home" PATH=/usr/bin:/bin LANG=C.UTF-8 \
        SPEEDMETRIX_TEST_PROGRAM="$work/speedmetrix" \
        SPEEDMETRIX_TEST_PRELOAD="$work/libsmx_refuse_commit.so" timeout 900 "$work/tests_e2e" --gtest_brief=1) \
        >"$work/e2e.log" 2>&1 || { tail -n 60 "$work/e2e.log" >&2; return 1; }
    tail -n 3 "$work/e2e.log"
}
check "the end-to-end tests pass as a new user beside a font folder without a cache" e2e_as_user

check_summary fresh-check
