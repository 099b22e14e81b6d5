#!/usr/bin/env bash
# Plays the 720p clip looped in the real player for SOAK_SECONDS (default 3600) and prints, every
# SOAK_EVERY seconds (default 300), the resident memory, open file descriptors, threads and CPU
# seconds per second. Fails when, after a warm-up of SOAK_WARMUP seconds (default 60), the resident
# memory grew by 5 MB or more, or the descriptors or threads grew.
# Usage: soak.sh [PELTOSE] [MEDIA_DIR]   (needs DISPLAY and an audio server: scripts/with-test-env.sh)
set -uo pipefail
. "$(dirname "$0")/../tests/support/stuck.sh"
cd "$(dirname "$0")/.."
player=${1:-build/bin/PeltoSE}
media=${2:-build/test-media}
seconds=${SOAK_SECONDS:-3600}
every=${SOAK_EVERY:-300}
warmup=${SOAK_WARMUP:-60}
[ -f "$media/hd.mp4" ] || bash tests/media/make-media.sh "$media" >/dev/null
work=$(mktemp -d /tmp/pelto-soak.XXXXXX)
export XDG_CONFIG_HOME="$work/config"
export PELTO_MCI_LOG="$work/mci.log"
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "soak: FAIL: $*" >&2
    exit 1
}

"$player" "$(realpath "$media/hd.mp4")" >"$work/player.log" 2>&1 &
pid=$!
win=$(timeout 20 xdotool search --sync --onlyvisible --classname PeltoSE | head -n 1)
[ -n "$win" ] || { stuck_report "$pid"; fail "no player window"; }
xdotool key --window "$win" l  # Loop
# The clip lasts 10 s: a rewind shows that Loop took.
for _ in $(seq 300); do grep -q $'^seek movie to start\t0' "$PELTO_MCI_LOG" 2>/dev/null && break; sleep 0.1; done
grep -q $'^seek movie to start\t0' "$PELTO_MCI_LOG" || fail "the clip did not loop"

rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$pid/status"; }
# Playing holds a changing number of decoded frames (several MB at 720p): the resident memory is
# taken as its lowest over 5 s, what stays when they are gone, so that growth means memory kept.
rss_floor() {
    local i r low=
    for i in $(seq 20); do
        r=$(rss_kb)
        [ -z "$low" ] || [ "$r" -lt "$low" ] && low=$r
        sleep 0.25
    done
    echo "$low"
}
threads() { awk '/^Threads:/ {print $2}' "/proc/$pid/status"; }
fds() { ls "/proc/$pid/fd" | wc -l; }
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
loops() { grep -c $'^seek movie to start\t0' "$PELTO_MCI_LOG"; }

sleep "$warmup"  # a measuring interval, not synchronisation
kill -0 "$pid" 2>/dev/null || fail "the player died during the warm-up"
rss0=$(rss_floor) fd0=$(fds) th0=$(threads) t0=$(ticks) start=$SECONDS
last_t=$t0 last_s=$start
printf 'soak: %6s %9s %5s %7s %8s %6s\n' elapsed rss_kb fds threads cpu_s/s loops
printf 'soak: %6d %9d %5d %7d %8s %6d\n' 0 "$rss0" "$fd0" "$th0" - "$(loops)"
maxfd=$fd0 maxth=$th0 last_loops=$(loops)
while [ $((SECONDS - start)) -lt "$seconds" ]; do
    left=$((seconds - (SECONDS - start)))
    sleep $((left < every ? left : every))
    kill -0 "$pid" 2>/dev/null || fail "the player died after $((SECONDS - start)) s"
    t=$(ticks) f=$(fds) th=$(threads)
    [ "$f" -gt "$maxfd" ] && maxfd=$f
    [ "$th" -gt "$maxth" ] && maxth=$th
    cpu=$(awk -v d=$((t - last_t)) -v s=$((SECONDS - last_s)) -v hz="$hz" 'BEGIN {printf "%.3f", d / hz / s}')
    n=$(loops)
    printf 'soak: %6d %9d %5d %7d %8s %6d\n' $((SECONDS - start)) "$(rss_floor)" "$f" "$th" "$cpu" "$n"
    # The clip lasts 10 s: a period without a rewind every 20 s or so is playback that stopped.
    [ $((n - last_loops)) -ge $((($SECONDS - last_s) / 20)) ] || fail "playback stalled after $n loops"
    last_t=$t last_s=$SECONDS last_loops=$n
done
rss1=$(rss_floor) fd1=$(fds) th1=$(threads)
growth=$((rss1 - rss0))
echo "soak: $((SECONDS - start)) s looped, $(loops) loops; RSS ${rss0} -> ${rss1} kB (growth ${growth} kB);" \
    "fds ${fd0} -> ${fd1} (max ${maxfd}); threads ${th0} -> ${th1} (max ${maxth})"
[ "$growth" -lt 5120 ] || fail "resident memory grew by ${growth} kB"
[ "$fd1" -le "$fd0" ] || fail "open file descriptors grew from $fd0 to $fd1"
[ "$th1" -le "$th0" ] || fail "threads grew from $th0 to $th1"
echo "soak: passed"
