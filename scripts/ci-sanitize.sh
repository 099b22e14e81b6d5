#!/usr/bin/env bash
# Under AddressSanitizer + UndefinedBehaviorSanitizer: the unit tests, the engine on real media
# and the real program end to end (where the streaming threads run); open/play/close cycles under
# LeakSanitizer; then the engine's threaded tests under ThreadSanitizer, and the fuzz targets briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=build-asan
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPELTO_SANITIZE=ON -DPELTO_BENCH=OFF
fi
start=$SECONDS
cmake --build "$BUILD_DIR" -j "$(nproc)"
echo "ci-sanitize: built after $((SECONDS - start)) s"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
bash scripts/with-test-env.sh ctest --test-dir build-asan --output-on-failure -j 2 --timeout 600 -L 'unit|media|e2e'
echo "ci-sanitize: tests passed after $((SECONDS - start)) s"
# The media the normal build's tests made.
media=${MEDIA_DIR:-build/test-media}
[ -f "$media/clip.avi" ] || bash tests/media/make-media.sh "$media"
bash scripts/with-test-env.sh bash scripts/leak-check.sh "$BUILD_DIR/bin/pelto-mci" "$media" "${LEAK_CYCLES:-200}"
unset ASAN_OPTIONS UBSAN_OPTIONS
bash scripts/ci-tsan.sh
echo "ci-sanitize: thread sanitizer passed after $((SECONDS - start)) s"
if [ -x scripts/fuzz.sh ]; then
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 FUZZ_SECONDS=${FUZZ_SECONDS:-30} bash scripts/fuzz.sh
fi
