#!/usr/bin/env bash
# Installs what is needed, builds, and starts the player on FILE (or on the demo clip).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
file=${1:-build/bin/demo.mpg}
exec build/bin/PeltoSE "$file"
