#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test headless (own Xvfb and PulseAudio).
# Extra arguments go to ctest (for example: -L unit).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
dir=${BUILD_DIR:-build}
exec bash scripts/with-test-env.sh ctest --test-dir "$dir" --output-on-failure -j 2 --timeout 300 "$@"
