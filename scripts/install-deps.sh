#!/usr/bin/env bash
# Installs every Debian 12 package needed to build, run and test PeltoSE.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

packages=(
  # build
  build-essential cmake ninja-build pkg-config git clang libclang-rt-14-dev clang-format clang-tidy
  qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev libxss-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev libswscale-dev libavutil-dev libavcodec-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # runtime media
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly gstreamer1.0-libav
  gstreamer1.0-pulseaudio gstreamer1.0-x fluid-soundfont-gm
  pulseaudio pulseaudio-utils dbus-x11
  # fonts: Arial and Verdana stand-ins
  fonts-liberation fonts-dejavu-core
  # headless testing and looking
  xvfb xauth xdotool imagemagick x11-utils x11-xserver-utils ccache elfutils
  # real desktops: window managers, a headless Wayland compositor, fake D-Bus services
  openbox icewm weston qt6-wayland python3-dbus python3-gi
  # desktop integration: icons rendered at build time, validators, the .deb check, MPRIS tests
  librsvg2-bin desktop-file-utils appstream shared-mime-info lintian dbus playerctl libglib2.0-bin
)

stamp=/var/lib/peltose-deps.stamp
want=$(printf '%s\n' "${packages[@]}" | sha1sum | cut -c1-40)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ] && dpkg -s "${packages[@]}" >/dev/null 2>&1; then
  exit 0
fi
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${packages[@]}"
echo "$want" | $SUDO tee "$stamp" >/dev/null
