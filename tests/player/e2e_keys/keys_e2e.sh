#!/usr/bin/env bash
# The wheel and the middle button over the picture step and pause; keys sent to the running
# player pause, seek, change the volume and toggle full screen; Esc
# remembers the place, and C in a new run resumes the medium at the remembered second.
# Usage: keys_e2e.sh PELTOSE MEDIA   (needs DISPLAY and an audio server: scripts/with-test-env.sh)
set -uo pipefail
. "$(dirname "$0")/../../support/stuck.sh"
player=${1:?player}
media=${2:?media file}
work=$(mktemp -d /tmp/pelto-keys-e2e.XXXXXX)
export XDG_CONFIG_HOME="$work/config"
export PELTO_MCI_LOG="$work/mci.log"
ini="$XDG_CONFIG_HOME/Pelto/Pelto.ini"
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "--- engine log (last 40 lines)" >&2
    tail -n 40 "$PELTO_MCI_LOG" >&2 2>/dev/null
    exit 1
}

# Lines of the engine log after the first $1 lines matching the extended regex $2; waits up to 15 s.
logged_after() {
    local from=$1 pattern=$2 i
    for i in $(seq 150); do
        tail -n +"$((from + 1))" "$PELTO_MCI_LOG" 2>/dev/null | grep -qE "$pattern" && return 0
        sleep 0.1
    done
    return 1
}
mark() { wc -l <"$PELTO_MCI_LOG" 2>/dev/null || echo 0; }

start() {
    timeout 120 "$player" "$@" >"$work/player.log" 2>&1 &
    pid=$!
    win=$(timeout 20 xdotool search --sync --onlyvisible --classname PeltoSE | head -n 1)
    [ -n "$win" ] || { stuck_report "$pid"; fail "no player window"; }
}
key() { xdotool key --window "$win" "$@" 2>/dev/null; }
geometry() { xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: //p'; }
wait_geometry() {  # wait_geometry WxH | !WxH
    local want=$1 i g
    for i in $(seq 100); do
        g=$(geometry)
        if [ "${want#!}" != "$want" ]; then [ "$g" != "${want#!}" ] && return 0; else [ "$g" = "$want" ] && return 0; fi
        sleep 0.1
    done
    return 1
}
wait_exit() {
    local i
    for i in $(seq 150); do kill -0 "$pid" 2>/dev/null || { wait "$pid"; pid=; return 0; }; sleep 0.1; done
    return 1
}
setting() { sed -n "s/^$1=//p" "$ini"; }

screen=$(xdpyinfo 2>/dev/null | sed -n 's/.*dimensions: *\([0-9]*x[0-9]*\).*/\1/p')
[ -n "$screen" ] || screen=1280x1024

# --- first run: play, pause, seek, volume, full screen, quit-and-remember
start "$media"
logged_after 0 $'^play movie\t0' || fail "the medium did not start"

# the mouse over the picture: the wheel steps 5 s, the middle button pauses and resumes
xdotool mousemove --window "$win" 60 60
m=$(mark); xdotool click 5
logged_after "$m" $'^play movie from [0-9]+\t0' || fail "the wheel toward the user did not step forward"
m=$(mark); xdotool click 2
logged_after "$m" $'^pause movie\t0' || fail "the middle button did not pause"
m=$(mark); xdotool click 2
logged_after "$m" $'^resume movie\t0' || fail "the middle button did not resume"

m=$(mark); key p
logged_after "$m" $'^pause movie\t0' || fail "P did not pause"

m=$(mark); key KP_3
logged_after "$m" $'^play movie from [0-9]{5}\t0' || fail "keypad 3 did not step 15 s forward"
logged_after "$m" $'^set movie audio all on\t0' || fail "the paused step did not end with sound on"

m=$(mark); key Up
logged_after "$m" $'^setaudio movie volume to 810\t0' || fail "Up did not raise the volume to 81"

key f
wait_geometry "$screen" || fail "F did not enter full screen ($(geometry))"
key Return
wait_geometry "!$screen" || fail "Enter did not leave full screen"
key f
wait_geometry "$screen" || fail "F did not enter full screen again"

m=$(mark); key Escape
wait_exit || fail "Esc did not end the program"
[ "$(setting Res)" -ge 15 ] 2>/dev/null || fail "remembered second $(setting Res)"
[ "$(setting FullScreen)" = 2 ] || fail "FullScreen=$(setting FullScreen), want 2"
[ "$(setting File)" = "$media" ] || fail "File=$(setting File)"
[ "$(setting Vol)" = 81 ] || fail "Vol=$(setting Vol)"
remembered=$(setting Res)
width=$(setting Width)
[ "$width" -gt 0 ] && [ "$width" -lt $((${screen%x*} * 15)) ] || fail "Width=$width is not the normal window's"

# --- second run: C opens the remembered medium at the remembered second, in full screen
m=$(mark); start
key c
logged_after "$m" "^open \"$media\" type mpegvideo" || fail "C did not open the remembered medium"
logged_after "$m" $'^play movie from '"${remembered}000"$'\t0' || fail "C did not play from ${remembered} s"
wait_geometry "$screen" || fail "C did not return to full screen"

m=$(mark); key q
wait_exit || fail "Q did not end the program"
xdotool keyup q 2>/dev/null  # the window closed on the press and lost the release: the display held Q down
grep -qE $'^close all\t' <(tail -n +"$((m + 1))" "$PELTO_MCI_LOG") || fail "Q did not close the devices"
echo "e2e_keys: ok (resumed at ${remembered} s)"
