#!/usr/bin/env bash
# The staged installation on its own: a launch of its desktop entry with a file plays it with
# the slider control from the private library folder, and playerctl and gdbus drive it on a
# private session bus: status, metadata, pause (and pause by key seen over MPRIS), seek with the
# Seeked signal, position, volume, rate, loop, full screen, OpenUri, a second copy under an
# instance name, quit saving settings.
# Usage: installed_mpris_e2e.sh PREFIX BUILD_DIR   (needs DISPLAY and an audio server)
set -uo pipefail
if [ -z "${PELTO_PRIVATE_BUS:-}" ]; then
    PELTO_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@"
fi
prefix=${1:?prefix}
build=$(realpath "${2:?build dir}")
work=$(mktemp -d /tmp/pelto-installed-e2e.XXXXXX)
export XDG_CONFIG_HOME="$work/config" PELTO_MCI_LOG="$work/mci.log"
export PATH="$prefix/bin:$PATH" XDG_DATA_DIRS="$prefix/share:/usr/share"
ini="$XDG_CONFIG_HOME/Pelto/Pelto.ini"
bus=org.mpris.MediaPlayer2.peltose
path=/org/mpris/MediaPlayer2
monitor=
pid=
second=
cleanup() {
    [ -n "$monitor" ] && kill "$monitor" 2>/dev/null
    for p in $pid $second; do kill "$p" 2>/dev/null; done
    [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    tail -n 20 "$PELTO_MCI_LOG" >&2 2>/dev/null
    exit 1
}
. "$(dirname "$0")/../player/e2e/frame.sh"
poll() {
    local i
    for i in $(seq "${2:-150}"); do eval "$1" && return 0; sleep 0.1; done
    return 1
}
owner() {
    gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
        -m org.freedesktop.DBus.GetConnectionUnixProcessID "$1" 2>/dev/null | sed -n 's/.*uint32 \([0-9]*\).*/\1/p'
}
pc() { playerctl -p peltose "$@" 2>/dev/null; }
prop() {
    gdbus call --session -d "$1" -o $path -m org.freedesktop.DBus.Properties.Get org.mpris.MediaPlayer2.Player "$2"
}
logged() { poll "grep -qE '$1' '$PELTO_MCI_LOG' 2>/dev/null"; }

cp "$prefix/share/peltose/demo.mpg" "$work/my clip.mpg"
mkdir -p "$(dirname "$ini")"
printf '[mPlayStatus]\nVol=60\n' >"$ini"
gdbus monitor --session -d $bus >"$work/signals.log" 2>&1 &
monitor=$!

# --- a desktop launch of the installed entry with a file
gio launch "$prefix/share/applications/io.github.peltose.PeltoSE.desktop" "$work/my clip.mpg" ||
    fail "gio launch failed"
poll '[ "$(pc status)" = Playing ]' || fail "the launched player is not playing over MPRIS"
pid=$(owner $bus)
[ -n "$pid" ] && [ "$(readlink "/proc/$pid/exe")" = "$(realpath "$prefix/bin/peltose")" ] ||
    fail "the bus name is not held by the installed program"
grep -q "$prefix/lib/.*/peltose/libptSlider.so" "/proc/$pid/maps" || fail "slider control not loaded from the private folder"
! grep -q "$build/bin/" "/proc/$pid/maps" || fail "the installed player uses the build tree"
[ "$(pc metadata xesam:url)" = "file://${work// /%20}/my%20clip.mpg" ] || fail "url: $(pc metadata xesam:url)"
[ "$(pc metadata xesam:title)" = "my clip.mpg" ] || fail "title: $(pc metadata xesam:title)"
len=$(pc metadata mpris:length)
[ "${len:-0}" -ge 19000000 ] && [ "$len" -le 21000000 ] || fail "length: $len"
[ "$(pc volume)" = 0.600000 ] || fail "volume: $(pc volume)"

# --- pause and play over MPRIS, then by key: the state reads the same either way
pc pause
logged $'^pause movie\t0' || fail "Pause did not pause"
poll '[ "$(pc status)" = Paused ]' || fail "status after Pause: $(pc status)"
pc play
logged $'^resume movie\t0' || fail "Play did not resume"
poll '[ "$(pc status)" = Playing ]' || fail "status after Play"
win=$(xdotool search --sync --onlyvisible --classname peltose | head -n 1)
[ -n "$win" ] || fail "no window"
read -r X Y _ _ <<<"$(client_rect "$win")"
xdotool mousemove $((X + 100)) $((Y + 80)) key space
poll '[ "$(pc status)" = Paused ]' || fail "a pause by key is not seen over MPRIS"
poll "grep -q \"'PlaybackStatus': <'Paused'>\" '$work/signals.log'" || fail "no PropertiesChanged for the pause"

# --- seek while paused: the position moves, stays paused, and Seeked is sent
pc position 12
logged $'^play movie from 12000\t0' || fail "SetPosition did not seek"
poll "grep -q 'Player.Seeked' '$work/signals.log'" || fail "no Seeked signal"
poll '[ "$(prop $bus Position)" = "(<int64 12000000>,)" ] || [ "$(pc position | cut -d. -f1)" = 12 ]' ||
    fail "position after the seek: $(pc position)"
[ "$(pc status)" = Paused ] || fail "the seek did not keep it paused"
pc position 3-
logged $'^play movie from 9000\t0' || fail "a relative Seek did not seek back"
pc volume 0.3
poll '[ "$(pc volume)" = 0.300000 ]' || fail "volume not set"
set_prop() {
    gdbus call --session -d $bus -o $path -m org.freedesktop.DBus.Properties.Set "$1" "$2" "$3" >/dev/null
}
set_prop org.mpris.MediaPlayer2.Player Rate '<1.6>' || fail "Rate not writable"
logged $'^set movie speed 1600\t0' || fail "Rate did not set the speed"
set_prop org.mpris.MediaPlayer2.Player LoopStatus '<"Track">' && [ "$(pc loop)" = Track ] || fail "LoopStatus"
set_prop org.mpris.MediaPlayer2 Fullscreen '<true>' || fail "Fullscreen not writable"
poll '[ "$(client_rect "$win" | cut -d" " -f1,2)" = "0 0" ]' || fail "Fullscreen did not fill the screen"
set_prop org.mpris.MediaPlayer2 Fullscreen '<false>'

# --- another file by OpenUri: a new track, announced
cp "$work/my clip.mpg" "$work/second.mpg"
gdbus call --session -d $bus -o $path -m org.mpris.MediaPlayer2.Player.OpenUri "file://$work/second.mpg" >/dev/null ||
    fail "OpenUri failed"
poll '[ "$(pc metadata xesam:title)" = second.mpg ] && [ "$(pc status)" = Playing ]' || fail "OpenUri did not play"
poll "grep -q \"'xesam:title': <'second.mpg'>\" '$work/signals.log'" || fail "no PropertiesChanged for the new track"
! gdbus call --session -d $bus -o $path -m org.mpris.MediaPlayer2.Player.OpenUri "http://example.org/a.mpg" \
    >/dev/null 2>&1 || fail "a remote address was accepted"

# --- a second copy takes an instance name
"$prefix/bin/peltose" >/dev/null 2>&1 &
second=$!
poll "gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus -m org.freedesktop.DBus.ListNames |
      grep -q '$bus.instance$second'" || fail "second copy has no instance name"
gdbus call --session -d "$bus.instance$second" -o $path -m org.mpris.MediaPlayer2.Quit >/dev/null ||
    fail "Quit on the second copy"
poll "! kill -0 $second 2>/dev/null" || fail "the second copy did not quit"
second=

# --- quit over MPRIS: the quit key's route saves the settings
gdbus call --session -d $bus -o $path -m org.mpris.MediaPlayer2.Quit >/dev/null || fail "Quit call failed"
poll "! kill -0 $pid 2>/dev/null" || fail "Quit did not end the player"
pid=
grep -qx 'Vol=30' "$ini" || fail "Vol not saved on Quit: $(cat "$ini")"
logged $'^close all\t0' || fail "Quit did not close the devices"
echo PASS
