#!/usr/bin/env bash
# Open/play/close cycles through the front end under LeakSanitizer. One-time allocations of GLib,
# GStreamer and Qt are the same in every run, so what a run leaks must not grow with the number of
# cycles: the check compares a short run with a long one.
# Usage: leak-check.sh PELTO_MCI MEDIA_DIR [CYCLES]   (needs a display for the picture path)
set -euo pipefail
bin=$1
media=$2
cycles=${3:-200}
short=4
[ "$cycles" -gt "$short" ] || { echo "leak-check: CYCLES must be more than $short" >&2; exit 2; }
work=$(mktemp -d /tmp/pelto-leaks.XXXXXX)
trap '[ -n "${KEEP_LEAK_WORK:-}" ] || rm -rf "$work"' EXIT

commands() {
    local i f
    for ((i = 0; i < $1; i++)); do
        case $((i % 3)) in
            0) f=clip.mpg ;;
            1) f=clip.wav ;;
            2) f=clip.avi ;;
        esac
        echo "open \"$media/$f\" type mpegvideo alias m"
        echo "play m"
        echo "put m window at 0 0 160 120"
        echo "status m position"
        echo "close m"
    done
    echo "open new type waveaudio alias c"
    echo "close all"
}

# Bytes that LeakSanitizer reports lost after N cycles.
leaked() {
    commands "$1" >"$work/in$1"
    G_SLICE=always-malloc PELTO_MCI_FAKE_SINKS=audio \
        ASAN_OPTIONS=detect_leaks=1:exitcode=0:abort_on_error=0 \
        LSAN_OPTIONS=report_objects=0 \
        "$bin" <"$work/in$1" >"$work/out$1" 2>"$work/err$1" || {
        echo "leak-check: pelto-mci failed after $1 cycles" >&2
        tail -n 30 "$work/err$1" >&2
        exit 1
    }
    # exitcode=0 lets the leak report through; any other error must still fail the check.
    if grep -qE 'ERROR: AddressSanitizer|runtime error:' "$work/err$1"; then
        echo "leak-check: a memory error after $1 cycles" >&2
        grep -A 30 -E 'ERROR: AddressSanitizer|runtime error:' "$work/err$1" | head -n 40 >&2
        exit 1
    fi
    # One position a cycle: every cycle ran.
    if [ "$(wc -l <"$work/out$1")" -ne "$1" ]; then
        echo "leak-check: only $(wc -l <"$work/out$1") of $1 cycles ran" >&2
        exit 1
    fi
    sed -n 's/^SUMMARY: AddressSanitizer: \([0-9]*\) byte(s) leaked.*/\1/p' "$work/err$1" | tail -n 1 | grep . ||
        echo 0
}

a=$(leaked "$short")
b=$(leaked "$cycles")
per=$(((b - a) / (cycles - short)))
echo "leak-check: $a bytes lost after $short cycles, $b after $cycles: $per bytes a cycle"
if [ "$per" -gt 64 ]; then
    echo "leak-check: every open/play/close cycle loses memory; the biggest losses after $cycles cycles:" >&2
    grep -A 12 '^Direct leak' "$work/err$cycles" | head -n 80 >&2
    exit 1
fi
