#!/usr/bin/env bash
# Sets up everything, builds the program and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSMX_BUILD_TESTS=OFF
cmake --build "$root/build" --target speedmetrix smx_install_files
exec "$root/build/app/speedmetrix"
