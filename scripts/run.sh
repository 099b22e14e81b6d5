#!/usr/bin/env bash
# Installs what is needed, builds, and starts the player on FILE (or on the demo clip).
set -euo pipefail
# A relative FILE means relative to where the command was given.
file=""
if [ -n "${1:-}" ]; then file=$(realpath -m -- "$1"); fi
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
dir=${BUILD_DIR:-build}
exec "$dir/bin/PeltoSE" "${file:-$dir/bin/demo.mpg}"
