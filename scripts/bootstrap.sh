#!/usr/bin/env bash
# Installs the Debian packages Quillet needs to build, run and test, and only those that are missing.
# Safe to run again: a machine that has everything is left untouched and apt is not called.
# `bootstrap.sh fuzz` adds clang and libFuzzer for scripts/fuzz.sh; the normal build never needs them.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools
  libxcb1-dev libxcb-keysyms1-dev libxcb-shm0-dev libxcb-randr0-dev libxcb-xinput-dev
  libxcb-xfixes0-dev libxcb-xkb-dev libxcb-shape0-dev libxkbcommon-dev libxkbcommon-x11-dev
  libwebp-dev zlib1g-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev libyuv-dev
  libpulse-dev libpipewire-0.3-dev libtesseract-dev
  # run
  fonts-inter fonts-material-design-icons-iconfont xdg-utils
  # test and benchmark
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool xclip x11-xserver-utils x11-utils xcompmgr openbox trayer pulseaudio pulseaudio-utils
  webp ffmpeg pngcheck desktop-file-utils lintian appstream dpkg-dev binutils file
  tesseract-ocr tesseract-ocr-eng fonts-dejavu-core wl-clipboard
  # the benchmarks' baselines and arithmetic
  scrot time bc
  # the screen-cast recording benchmark's baseline
  gstreamer1.0-tools gstreamer1.0-pipewire gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly
  # the headless Wayland desktop of tests/wayland/rig.sh
  mutter pipewire wireplumber xdg-desktop-portal xdg-desktop-portal-gnome weston libglib2.0-bin
  qt6-wayland xwayland
  # and its sway desktop (KDE's is left out for its size: see the README)
  sway xdg-desktop-portal-wlr xdg-desktop-portal-gtk grim
)

if [ "${1:-}" = fuzz ]; then
  packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
