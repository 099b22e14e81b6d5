#!/usr/bin/env bash
# The real player records what the sound server plays. A click played right after R sits in the
# file where it was played (the gap is printed); a player killed with SIGKILL five seconds into a
# recording of a tone leaves a file that the next start saves under the usual name and names in a
# message box; a recording that cannot start says "Cannot record" and closes its device; volume and
# position are written soon after they change, so a killed player keeps them.
# Usage: record_e2e.sh PELTOSE   (needs DISPLAY and an audio server: scripts/with-test-env.sh)
set -uo pipefail
. "$(dirname "$0")/../../support/stuck.sh"
player=${1:?player}
folder=$(dirname "$(realpath "$player")")  # recordings are saved in the program's folder
work=$(mktemp -d /tmp/pelto-record-e2e.XXXXXX)
export XDG_CONFIG_HOME="$work/config"
export XDG_STATE_HOME="$work/state"
export PELTO_MCI_LOG="$work/mci.log"
ini="$XDG_CONFIG_HOME/Pelto/Pelto.ini"
pid= tone=
before=$(ls "$folder"/pt*.wav 2>/dev/null)
cleanup() {
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    [ -n "$tone" ] && kill "$tone" 2>/dev/null
    # only the recordings this test made
    for f in "$folder"/pt*.wav; do grep -qxF "$f" <<<"$before" || rm -f "$f"; done
    [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    tail -n 20 "$PELTO_MCI_LOG" >&2 2>/dev/null
    cat "$work/player.log" >&2 2>/dev/null
    exit 1
}
. "$(dirname "$0")/../e2e/frame.sh"
poll() {
    local i
    for i in $(seq "${2:-150}"); do eval "$1" && return 0; sleep 0.1; done
    return 1
}
start() {
    "$player" "$@" >"$work/player.log" 2>&1 &
    pid=$!
    win=$(timeout 20 xdotool search --sync --onlyvisible --classname PeltoSE | head -n 1)
    [ -n "$win" ] || { stuck_report "$pid"; fail "no player window"; }
    read -r X Y WIDTH HEIGHT <<<"$(client_rect "$win")"
}
rec_label() { xdotool mousemove $((X + 4005 / 15 + 3)) $((Y + 6)) click 1; }
logged() { poll "grep -qE '$1' '$PELTO_MCI_LOG' 2>/dev/null"; }
new_recordings() { for f in "$folder"/pt*.wav; do [ -e "$f" ] && ! grep -qxF "$f" <<<"$before" && echo "$f"; done; }
now_ms() { date +%s%3N; }
# wav.py FILE: seconds, loudest sample, first sample above a click's level (s), 440 Hz share
wav() {
    python3 - "$1" <<'EOF'
import struct, sys
d = open(sys.argv[1], "rb").read()
assert d[:4] == b"RIFF" and d[8:12] == b"WAVE", "not a WAV file"
size = struct.unpack("<I", d[40:44])[0]
assert size == len(d) - 44, "header counts %d of %d bytes" % (size, len(d) - 44)
s = struct.unpack("<%dh" % (size // 2), d[44:44 + size - size % 2])[0::2]
first = next((i for i, v in enumerate(s) if abs(v) > 15000), -1)
mid = s[len(s) // 4: len(s) // 4 + 44100]  # a second from the middle: zero crossings of 440 Hz
cross = sum(1 for a, b in zip(mid, mid[1:]) if (a < 0) != (b < 0))
print("%.3f %d %.3f %d" % (len(s) / 44100, max(map(abs, s or [0])), first / 44100 if first >= 0 else -1, cross))
EOF
}

mkdir -p "$(dirname "$ini")"
printf '[mPlayStatus]\nLeft=1500\nTop=1200\nVol=60\n' >"$ini"
# A real input is always awake; an idle null sink is not (it would hold back the click by a second).
gst-launch-1.0 -q audiotestsrc is-live=true wave=silence ! pulsesink >/dev/null 2>&1 &
tone=$!
# It wakes by playing out the two seconds it had queued while idle: awake once its latency stays low.
low=0
awake() {
    if pactl list sinks | awk '/^\s*Latency:/ {exit !($2 < 200000)}'; then low=$((low + 1)); else low=0; fi
    [ "$low" -ge 5 ]
}
poll awake 100 || fail "the null sink does not wake"

# --- a click played right after R sits where it was played
# A burst of 10 ms at full scale, a second into a file: the sound server's start-up is behind it.
python3 - "$work/click.wav" <<'EOF'
import struct, sys
frames = [0] * 44100 + [20000 if i % 20 < 10 else -20000 for i in range(441)] + [0] * 22050
data = b"".join(struct.pack("<hh", v, v) for v in frames)
fmt = struct.pack("<IHHIIHH", 16, 1, 2, 44100, 176400, 4, 16)
head = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " + fmt + b"data" + struct.pack("<I", len(data))
open(sys.argv[1], "wb").write(head + data)
EOF
start
pressed=$(now_ms)
rec_label
logged $'^record capture\t0' || fail "recording did not start"
played=$(($(now_ms) + 1000))  # one second into the file
paplay "$work/click.wav"
sleep 1  # the length of the recording, not synchronisation
stopped=$(now_ms)
rec_label
logged $'^close capture\t0' || fail "recording did not stop"
file=$(new_recordings | head -n 1)
[ -n "$file" ] || fail "no recording saved"
read -r seconds loud click _ <<<"$(wav "$file")" || fail "saved recording is no valid WAV file"
awk -v c="$click" 'BEGIN {exit !(c >= 0)}' || fail "the click is not in the recording ($seconds s, loudest $loud)"
gap=$(awk -v c="$click" -v p="$played" -v r="$pressed" 'BEGIN {printf "%d", (p - r) - c * 1000}')
echo "record_e2e: click played $((played - pressed)) ms after R, found at $click s of $seconds s" \
    "(recorded for $((stopped - pressed)) ms): gap $gap ms"
# The file may start a little after R (the input's start-up) but never hides sound behind silence.
[ "$gap" -ge -150 ] && [ "$gap" -le 250 ] || fail "the click is $gap ms off where it was played"
rm -f "$file"
kill -TERM "$pid"
poll '! kill -0 $pid 2>/dev/null' || fail "player did not quit"
pid=

# --- killed five seconds into a recording of a tone: the next start saves it and says so
kill "$tone"
gst-launch-1.0 -q audiotestsrc is-live=true freq=440 volume=0.3 ! pulsesink >/dev/null 2>&1 &
tone=$!
start
rec_label
logged $'^record capture\t0' || fail "recording did not start"
sleep 5  # the length of the recording, not synchronisation
partial=$(ls "$XDG_STATE_HOME"/Pelto/*.partial.wav 2>/dev/null | head -n 1)
[ -n "$partial" ] || fail "no recording on disk while recording"
kill -9 "$pid"
wait "$pid" 2>/dev/null
pid=
[ -z "$(new_recordings)" ] || fail "a recording was saved before the next start"
start
box=$(timeout 10 xdotool search --sync --onlyvisible --name '^Sound Recorder$' | head -n 1)
[ -n "$box" ] || fail "no message box about the rescued recording"
file=$(new_recordings | head -n 1)
[ -n "$file" ] || fail "nothing rescued"
case "$(basename "$file")" in pt*_*_*_*_*_*.wav) ;; *) fail "rescued under an unusual name: $file" ;; esac
read -r seconds loud _ cross <<<"$(wav "$file")" || fail "rescued recording is no valid WAV file"
echo "record_e2e: rescued $(basename "$file"): $seconds s, loudest $loud, $cross zero crossings in a second"
awk -v s="$seconds" 'BEGIN {exit !(s >= 4.0)}' || fail "rescued only $seconds s of 5"
[ "$loud" -gt 3000 ] && [ "$cross" -ge 860 ] && [ "$cross" -le 900 ] || fail "the rescued file holds no 440 Hz tone"
[ -z "$(ls "$XDG_STATE_HOME"/Pelto/ 2>/dev/null)" ] || fail "the partial file was left behind"
xdotool key --window "$box" Return
xdotool keyup Return 2>/dev/null  # the box closed on the press and lost the release: the display held Return down
poll '! xdotool search --onlyvisible --name "^Sound Recorder$" >/dev/null' || fail "the box did not close"
kill -TERM "$pid"
poll '! kill -0 $pid 2>/dev/null' || fail "player did not quit"
pid=
rm -f "$file"
start
sleep 1  # a start with nothing left to rescue shows no box
! xdotool search --onlyvisible --name '^Sound Recorder$' >/dev/null || fail "told twice"

# --- volume and position are written soon after they change: a killed player keeps them
xdotool key --window "$win" Up Up Up
xdotool windowmove "$win" 300 200
poll "grep -qx 'Vol=63' '$ini'" 50 || fail "volume not written after the change: $(grep Vol "$ini")"
# A window manager may put the client rather than the frame there; Left and Top are the frame's.
poll '[ "$(client_rect "$win" | cut -d" " -f1,2)" = "300 200" ]' 50 || fail "the window did not move"
read -r fx fy _ _ <<<"$(frame_rect "$win")"
poll "grep -qx 'Left=$((fx * 15))' '$ini' && grep -qx 'Top=$((fy * 15))' '$ini'" 50 ||
    fail "position $((fx * 15)),$((fy * 15)) not written: $(cat "$ini")"
kill -9 "$pid"
wait "$pid" 2>/dev/null
pid=

# --- a recording that cannot start says so and leaves no device open
PULSE_SERVER=unix:/nonexistent start
: >"$PELTO_MCI_LOG"
rec_label
logged $'^close capture\t0' || fail "the capture device was not closed after a failed start"
grep -qE $'^record capture\t[1-9]' "$PELTO_MCI_LOG" || fail "recording started without a sound server"
[ -n "${SHOT:-}" ] && import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$SHOT"
kill -TERM "$pid"
poll '! kill -0 $pid 2>/dev/null' || fail "player did not quit"
pid=
echo "record_e2e: passed"
