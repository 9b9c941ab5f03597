#!/usr/bin/env bash
# Installs the named Debian packages that are not installed yet, through sudo when not run as
# root. Never asks a question (the frontend setting is passed through sudo, which drops the
# environment), and waits for an apt or dpkg that another program is running (an unattended
# upgrade, another terminal) for up to ten minutes instead of failing at once.
#   scripts/apt-install.sh PACKAGE...
set -euo pipefail

missing=()
for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
apt=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
# The package lists have a lock of their own, which the timeout above does not cover.
for try in $(seq 120); do
    "${apt[@]}" update -qq && break
    [ "$try" -lt 120 ] || exit 1
    echo "apt-install: the package lists are busy; trying again in 5 s" >&2
    sleep 5
done
"${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
