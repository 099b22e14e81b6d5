#!/usr/bin/env bash
# Installs the peer player the CPU benchmark compares the engine against (not needed to build or test).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
if command -v mpv >/dev/null; then exit 0; fi
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mpv
