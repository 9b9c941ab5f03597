#!/usr/bin/env bash
# Regenerates the program icon's PNG sizes from its SVG drawing (the PNGs are committed, so a
# build needs neither this script nor its tool).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
icons="$root/resources/icons"
if ! command -v rsvg-convert >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends librsvg2-bin
fi
for size in 48 128 256; do
    rsvg-convert -w "$size" -h "$size" "$icons/org.speedmetrix.Speedmetrix.svg" \
        -o "$icons/org.speedmetrix.Speedmetrix-$size.png"
done
