#!/usr/bin/env bash
# Unit tests under AddressSanitizer + UndefinedBehaviorSanitizer, open/play/close cycles under
# LeakSanitizer, and the fuzz targets briefly. (scripts/ci-tsan.sh runs the threaded engine tests under ThreadSanitizer.)
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=build-asan
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPELTO_SANITIZE=ON -DPELTO_BENCH=OFF
fi
# Only what the unit tests need: the player, tools and media tests are covered by the normal build.
cmake --build "$BUILD_DIR" --target unit_tests pelto-mci -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
bash scripts/with-test-env.sh ctest --test-dir build-asan --output-on-failure -j 2 --timeout 600 -L unit
# The media the normal build's tests made.
media=${MEDIA_DIR:-build/test-media}
[ -f "$media/clip.avi" ] || bash tests/media/make-media.sh "$media"
bash scripts/with-test-env.sh bash scripts/leak-check.sh "$BUILD_DIR/bin/pelto-mci" "$media" "${LEAK_CYCLES:-200}"
if [ -x scripts/fuzz.sh ]; then
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 FUZZ_SECONDS=${FUZZ_SECONDS:-30} bash scripts/fuzz.sh
fi
