#!/usr/bin/env bash
# Installs the Debian packages the game, its tools and its tests need, but only those missing.
set -euo pipefail
packages=(
    make cmake g++ pkg-config
    libsfml-dev libopenal-dev libx11-dev nlohmann-json3-dev libgtest-dev zlib1g-dev
    xvfb xauth libgl1-mesa-dri xdotool imagemagick sox fonts-liberation2
    clang libclang-rt-14-dev clang-format
    dpkg-dev file lintian desktop-file-utils appstream
)
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
