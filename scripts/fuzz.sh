#!/usr/bin/env bash
# Builds the command-parser fuzz target with clang (libFuzzer, ASan, UBSan) in its own build
# directory and runs it for FUZZ_SECONDS (default 60). Extra arguments go to the fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$dir/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DPELTO_FUZZ=ON -DPELTO_TESTS=OFF -DPELTO_BENCH=OFF -DCMAKE_CXX_COMPILER_LAUNCHER=
fi
cmake --build "$dir" --target mci_parser_fuzz -j "$(nproc)"

corpus="$dir/fuzz-corpus"
mkdir -p "$corpus"
# Seed with the commands the player really sends.
seeds=(
    'open "/tmp/a b.mpg" type mpegvideo alias movie parent 123 style child '
    'play movie from 1500 to 3000 wait' 'set movie time format frames wait' 'status movie position wait'
    'put movie window at 0 0 640 480' 'setaudio movie volume to 800' 'set movie audio all off'
    'seek movie to start' 'save capture "C:\\x\"y.wav"' 'set cdaudio door closed' 'close all'
)
i=0
for s in "${seeds[@]}"; do printf '%s' "$s" >"$corpus/seed$i"; i=$((i + 1)); done

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec timeout $((seconds + 120)) "$dir/bin/mci_parser_fuzz" -max_total_time="$seconds" -max_len=120000 \
    -print_final_stats=1 "$@" "$corpus"
