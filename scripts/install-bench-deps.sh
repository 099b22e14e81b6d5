#!/usr/bin/env bash
# Installs the peer player the benchmarks compare the player against, and what the frame counter of
# the heavy-media benchmark builds with (not needed to build or test).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
need=()
command -v mpv >/dev/null || need+=(mpv)
command -v ffmpeg >/dev/null || need+=(ffmpeg)
command -v pactl >/dev/null || need+=(pulseaudio-utils)
command -v gcc >/dev/null || need+=(gcc)
[ -e /usr/include/X11/extensions/Xdamage.h ] || need+=(libxdamage-dev)
[ ${#need[@]} -eq 0 ] && exit 0
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}"
