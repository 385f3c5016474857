#!/bin/bash
# Installs what the program needs on Debian 12 (when missing) and builds it
# into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++ cmake pkg-config qt6-base-dev qt6-base-private-dev libwayland-dev libqt6svg6 libmpv-dev libgl-dev
          fonts-noto-cjk xvfb xauth ffmpeg imagemagick xdotool x11-utils x11-xserver-utils libjpeg-turbo-progs
          libwebp-dev webp libspng-dev lintian
          desktop-file-utils mpv openbox qt6-image-formats-plugins
          libx11-dev libxrandr-dev dbus python3-dbus python3-gi python3-fuse fuse3
          weston xwayland qt6-wayland strace appstream man-db dpkg-dev libglib2.0-bin xdg-utils)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
