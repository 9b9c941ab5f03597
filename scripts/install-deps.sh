#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run, when any is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
    libgtest-dev libgmock-dev
    clang libclang-rt-14-dev
    fonts-liberation
    desktop-file-utils libglib2.0-bin help2man bash-completion
    xvfb x11-utils openbox wmctrl jq xdotool imagemagick
    locales
    ansible-core  # the fleet playbook's check (scripts/fleet-check.sh)
)

"$(dirname "$0")/apt-install.sh" "${packages[@]}"
