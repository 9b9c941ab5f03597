#!/usr/bin/env bash
# Builds the Debian package speedmetrix_<version>_amd64.deb with CPack and checks it with lintian.
#   scripts/package.sh              configures and builds its own Release build in build-package/
#   scripts/package.sh BUILD_DIR    packs an existing Release build (CI passes the one
#                                   scripts/test.sh has just made, which is up to date, so nothing
#                                   is compiled again)
# The package's path is the last line printed. Install it with: sudo apt install ./<that .deb>
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"

# What packing and checking need beyond the build: dpkg-shlibdeps (dpkg-dev) finds the
# dependencies, lintian checks the result.
"$root/scripts/apt-install.sh" dpkg-dev lintian file

if [ $# -ge 1 ]; then
    build="$(cd "$1" && pwd)"
    [ -f "$build/CPackConfig.cmake" ] || { echo "package: $build is no configured build" >&2; exit 2; }
    cmake --build "$build" >/dev/null
else
    build="$root/build-package"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSMX_BUILD_TESTS=OFF \
        -DSMX_BUILD_BENCH=OFF >/dev/null
    cmake --build "$build"
fi

rm -f "$build"/speedmetrix_*.deb
(cd "$build" && cpack -G DEB >/dev/null 2>&1) || (cd "$build" && cpack -G DEB)
deb="$(ls "$build"/speedmetrix_*_amd64.deb)"
# Errors fail the script; the tags kept are listed, with the reasons, in docs/PACKAGING.md.
status=0
report="$(lintian --fail-on error "$deb" 2>&1)" || status=$?
grep -v -e '^running with root privileges' -e '^$' <<<"$report" >&2 || true
[ "$status" -eq 0 ] || { echo "package: lintian found errors in $deb" >&2; exit 1; }
echo "$deb"
