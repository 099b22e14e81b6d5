#!/usr/bin/env bash
# The engine's tests where streaming threads run (real media, recording) under ThreadSanitizer.
# GLib and GStreamer are not instrumented: tests/tsan.supp silences what TSan cannot see inside them.
set -euo pipefail
cd "$(dirname "$0")/.."
export BUILD_DIR=build-tsan
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELTO_TSAN=ON -DPELTO_BENCH=OFF
fi
cmake --build "$BUILD_DIR" --target mci_media_test mci_engine_test mci_exit_test -j "$(nproc)"
export TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp halt_on_error=1 second_deadlock_stack=1 history_size=4"
# Left out here, run in the plain and ASan builds, each a timeout under TSan rather than a race:
# - the 720p H.264 cases: decoding under TSan's interceptors outlasts the engine's 5 s seek limit;
# - the MIDI clip: loading the General MIDI sound font (about 140 MB) outlasts the open limit;
# - the late-input recording: on a busy machine the live test source starts 0.3-0.4 s after
#   record, more than that test's bound on an input's start-up.
bash scripts/with-test-env.sh ctest --test-dir "$BUILD_DIR" --output-on-failure -j 2 --timeout 600 \
    -R '^(mci_media_test|mci_engine_test|mci_exit_test|make_test_media)' \
    -E 'hd_mp4|clip_mid|FramesCountAtTheNegotiatedRate|SpeedWhilePlayingKeepsPlaying|AnInputThatDeliversLate'
