#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) in their own build directory and
# runs each for FUZZ_SECONDS (default 60): the command parser, the Video CD reader, the MIDI check,
# the decoders, the slider's stored properties and the settings file the player reads at start and
# on resume.
# FUZZ_TARGETS picks some of them; extra arguments go to every fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
read -r -a targets <<<"${FUZZ_TARGETS:-mci_parser_fuzz mci_cdxa_fuzz mci_midi_fuzz mci_codecs_fuzz slider_properties_fuzz settings_fuzz}"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$dir/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DPELTO_FUZZ=ON -DPELTO_TESTS=OFF -DPELTO_BENCH=OFF -DCMAKE_CXX_COMPILER_LAUNCHER=
fi
cmake --build "$dir" --target "${targets[@]}" -j "$(nproc)"

seed() {  # seed CORPUS NAME BYTES (printf format)
    mkdir -p "$1"
    # shellcheck disable=SC2059
    printf "$3" >"$1/$2"
}

# Seeds: what the program really reads.
seed_mci_parser_fuzz() {
    local s i=0
    for s in 'open "/tmp/a b.mpg" type mpegvideo alias movie parent 123 style child ' \
        'play movie from 1500 to 3000 wait' 'set movie time format frames wait' 'status movie position wait' \
        'put movie window at 0 0 640 480' 'setaudio movie volume to 800' 'set movie audio all off' \
        'seek movie to start' 'save capture "C:\\x\"y.wav"' 'set cdaudio door closed' 'close all'; do
        printf '%s' "$s" >"$1/seed$i"
        i=$((i + 1))
    done
}
seed_mci_cdxa_fuzz() {
    local sectors
    mkdir -p "$1"
    # RIFF CDXA, a 16-byte fmt chunk, a data chunk of two sectors, and a cut-off copy of it.
    sectors=$(head -c $((2 * 2352)) /dev/zero | tr '\0' 'v')
    {
        printf 'RIFF\x44\x12\x00\x00CDXAfmt \x10\x00\x00\x00'
        head -c 16 /dev/zero
        printf 'data\x60\x12\x00\x00%s' "$sectors"
    } >"$1/two-sectors"
    head -c 3000 "$1/two-sectors" >"$1/cut-off"
}
seed_mci_midi_fuzz() {
    # The test media's four-note clip, the same with two tracks and junk after them, and in RIFF.
    local notes='\x00\xc0\x00\x00\x90\x3c\x64\x83\x60\x80\x3c\x40\x00\x90\x40\x64\x83\x60\x80\x40\x40\x00\xff\x2f\x00'
    seed "$1" clip "MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0MTrk\x00\x00\x00\x19$notes"
    seed "$1" two-tracks "MThd\x00\x00\x00\x06\x00\x01\x00\x02\x01\xe0MTrk\x00\x00\x00\x19${notes}MTrk\x00\x00\x00\x0b\x00\xff\x51\x03\x07\xa1\x20\x00\xff\x2f\x00junk"
    seed "$1" rmid "RIFF\x3b\x00\x00\x00RMIDdata\x2f\x00\x00\x00MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0MTrk\x00\x00\x00\x19$notes"
}
seed_mci_codecs_fuzz() {
    # caps choice, codec_data length and bytes, then frames with two-byte lengths
    mkdir -p "$1"
    { printf '\x07\x00\x01\xa1\xff\xfb\x90\x64'; head -c 413 /dev/zero; } >"$1/mp3-frame"
    { printf '\x86\x00\x00\x0f\xff\xf1\x50\x80\x01\xff\xfc'; head -c 8 /dev/zero; } >"$1/adts-frame"
    printf '\x01\x00\x00\x1a\x00\x00\x00\x01\x67\x42\xc0\x1e\xd9\x00\xa0\x47\xfe\xc8\x00\x00\x00\x01\x68\xcb\x83\xcb\x20\x00\x00\x01\x65\x88' >"$1/h264-idr"
    printf '\x00\x0b\x01\x42\xc0\x1e\xff\xe1\x00\x0b\x67\x42\xc0\x1e\xd9\x00\x08\x00\x00\x00\x01\x65' >"$1/h264-avcc"
}
seed_slider_properties_fuzz() {
    # BackColor, Enabled, SliderIcon (a small BMP), Orientation, ..., as the player stores them
    seed "$1" defaults '\x02\x0f\x00\x00\x80\xff\x84\xff\x01BM\x3a\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x04\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\x00\x00\x00'
    seed "$1" vertical '\xff\xff\xff\x05\x01\xff\xff\x05\x01\xff\x05\x00\x00\x00\x80\xff\xff\x05\xff\xff\xff\x7f\xff\x0012'
}
seed_settings_fuzz() {
    seed "$1" saved '[mPlayStatus]\nTop=2160\nLeft=2880\nVol=80\nRes=12\nFile=/tmp/a b.mpg\nmLeft=1500\nmTop=1200\nWidth=4800\nHeight=3600\nFullScreen=1\n'
    seed "$1" fullscreen '[mPlayStatus]\nVol=35\nRes=1e9\nFile="/tmp/x.avi"\nmLeft=-1\nmTop=nan\nWidth=1e308\nHeight=-0\nFullScreen=2\n'
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan-fuzz.supp}
for t in "${targets[@]}"; do
    corpus="$dir/corpus-$t"
    [ "$t" = mci_parser_fuzz ] && corpus="$dir/fuzz-corpus"  # kept from earlier runs
    mkdir -p "$corpus"
    "seed_$t" "$corpus"
    echo "fuzz: $t for $seconds s"
    # GLib has no frame pointers: only full stacks reach its load-time allocations' suppression.
    asan=$ASAN_OPTIONS
    [ "$t" = mci_codecs_fuzz ] && asan="$asan:fast_unwind_on_malloc=0"
    ASAN_OPTIONS=$asan timeout $((seconds + 120)) "$dir/bin/$t" -max_total_time="$seconds" -max_len=120000 -print_final_stats=1 \
        -artifact_prefix="$dir/" "$@" "$corpus"
done
