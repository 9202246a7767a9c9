#!/usr/bin/env bash
# Installs everything the project needs on a Debian 12 machine (run as root) and builds
# the static Windows libraries into a cache folder that later runs reuse.
# Idempotent: when everything is present it returns in a second or two.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)

packages=(
  # native toolchain and the core's libraries
  build-essential cmake ninja-build pkg-config nasm dpkg-dev meson
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libtiff-dev libgif-dev
  libgtest-dev libosmesa6-dev libglu1-mesa-dev libjpeg-turbo-progs libheif-dev libdav1d-dev libwebp-dev
  # independent encoders and decoders the HEIF and WebP tests compare with
  libheif-examples libavif-bin webp libtiff-tools
  # sanitizers and fuzzing
  clang libclang-rt-14-dev
  # Windows toolchain and its zlib
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  libz-mingw-w64-dev
  # running and looking at the Windows program
  wine wine64 xvfb xauth x11-utils xdotool imagemagick libgl1-mesa-dri fonts-wine
  # a bench of two monitors side by side: a nested X server with Xinerama
  xserver-xephyr
  # movie fixtures for the player's tests; H.264 clips made with x264enc (plugins-ugly) and
  # decoded under Wine through the GStreamer codecs of gstreamer1.0-libav
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly
  gstreamer1.0-libav
  # the Windows installer
  nsis
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

"$here/build-win-deps.sh"
