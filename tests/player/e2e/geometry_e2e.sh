#!/usr/bin/env bash
# The window's outer frame is the same to the pixel with or without a window manager: at start
# with and without a medium (video and audio), after ten full-screen round trips, after F1, after
# Esc and C in a new run, and after Q and a new start. Full screen covers the monitor the window
# is on; on the second of two monitors the control bar lies along that monitor's bottom edge. A
# picture wider than the monitor gives the largest window of its aspect that fits on it.
# Usage: geometry_e2e.sh PELTOSE VIDEO AUDIO [BIG]   (VIDEO 160x120 px, BIG 1920x1080; run under
# scripts/with-test-env.sh, with PELTO_TEST_WM and PELTO_TEST_MONITORS as wanted)
set -uo pipefail
. "$(dirname "$0")/../../support/stuck.sh"
player=${1:?player}
video=${2:?video file}
audio=${3:?audio file}
big=${4:-}
. "$(dirname "$0")/frame.sh"
work=$(mktemp -d /tmp/pelto-geometry-e2e.XXXXXX)
export XDG_CONFIG_HOME="$work/config"
export PELTO_MCI_LOG="$work/mci.log"
ini="$XDG_CONFIG_HOME/Pelto/Pelto.ini"
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL (${PELTO_TEST_WM:-no window manager}): $*" >&2
    grep '^#' "$PELTO_MCI_LOG" >&2 2>/dev/null  # what the devices met
    tail -n 5 "$PELTO_MCI_LOG" >&2 2>/dev/null
    tail -n 5 "$work/player.log" >&2 2>/dev/null
    exit 1
}
poll() {
    local i
    for i in $(seq "${2:-100}"); do eval "$1" && return 0; sleep 0.1; done
    return 1
}
setting() { sed -n "s/^$1=//p" "$ini" 2>/dev/null; }
start() {
    # The server drops a gone client's windows a moment after it exits, and hands their ids on.
    poll '[ -z "$(xdotool search --onlyvisible --classname PeltoSE 2>/dev/null)" ]' ||
        fail "the last player's windows stay"
    timeout 120 "$player" "$@" >>"$work/player.log" 2>&1 &
    pid=$!
    win=$(timeout 20 xdotool search --sync --onlyvisible --classname PeltoSE | head -n 1)
    [ -n "$win" ] || { stuck_report "$pid"; fail "no player window"; }
}
# A key that ends the player: xdotool gives up on the vanished window before it sends the release,
# and the key left down would repeat into the next player.
quit() {
    xdotool key --window "$win" "$1" 2>/dev/null
    poll '! kill -0 $pid 2>/dev/null' 150 || fail "$1 did not end the player"
    wait "$pid"
    pid=
    xdotool keyup "$1"
}
key() { xdotool key --window "$win" "$@"; }
# Waits until the outer frame is "$1" (X Y W H) and says what it is otherwise.
want_frame() {
    wanted=$1
    poll '[ "$(frame_rect "$win")" = "$wanted" ]' || fail "$2: frame $(frame_rect "$win"), want $1"
}
last_put() { grep $'^put movie window at' "$PELTO_MCI_LOG" | tail -n 1 | cut -f1; }
monitor_w=1280
monitor_h=1024
monitors=${PELTO_TEST_MONITORS:-1}
fullscreen() { [ "$(client_rect "$win")" = "${1:-0} 0 $monitor_w $monitor_h" ]; }

mkdir -p "$(dirname "$ini")"
printf '[mPlayStatus]\nLeft=1500\nTop=1200\n' >"$ini"

# --- no medium: the design size at the saved place; Q writes the place the next start puts back
start
want_frame "100 80 316 61" "start without a medium"
xdotool windowmove "$win" 300 200  # moved by hand (its client, by the window manager's rules)
poll '[ "$(frame_rect "$win")" != "100 80 316 61" ]' || fail "the window did not move"
moved=$(frame_rect "$win")
quit q
[ "$(setting Left)" = $((${moved%% *} * 15)) ] || fail "Q saved Left $(setting Left) for frame $moved"
start
want_frame "$moved" "the start after Q"
quit q

# --- a video: 160 x 120 px makes 2500 x 2690 twips, the picture 167 x 119 px
printf '[mPlayStatus]\nLeft=1500\nTop=1200\n' >"$ini"
start "$video"
want_frame "100 80 167 179" "start with a video"
poll '[ "$(last_put)" = "put movie window at 0 0 167 119" ]' || fail "video layout: $(last_put)"
for i in $(seq 10); do
    key f
    poll fullscreen || fail "round trip $i: not full screen ($(client_rect "$win"))"
    key f
    want_frame "100 80 167 179" "round trip $i"
done
poll '[ "$(last_put)" = "put movie window at 0 0 167 119" ]' || fail "layout after the round trips: $(last_put)"

# --- F1 fits a resized window to the picture again
xdotool windowsize "$win" 400 300
poll '[ "$(frame_rect "$win")" != "100 80 167 179" ]' || fail "the window did not resize"
key F1
want_frame "100 80 167 179" "F1"

# --- Esc remembers the outer rectangle, C in a new run brings it back
quit Escape
[ "$(setting mLeft) $(setting mTop) $(setting Width) $(setting Height)" = "1500 1200 2500 2690" ] ||
    fail "Esc saved $(setting mLeft) $(setting mTop) $(setting Width) $(setting Height)"
printf '[mPlayStatus]\nLeft=3000\nTop=3000\nRes=0\nFile=%s\nmLeft=1500\nmTop=1200\nWidth=2500\nHeight=2690\nFullScreen=1\n' \
    "$video" >"$ini"
start
want_frame "200 200 316 61" "start before C"
key c
want_frame "100 80 167 179" "C"
quit q

# --- an audio file: the strip of 4740 x 900 twips with the seek bar under the buttons
printf '[mPlayStatus]\nLeft=1500\nTop=1200\n' >"$ini"
start "$audio"
want_frame "100 80 316 60" "start with an audio file"
read -r cx cy cw ch <<<"$(client_rect "$win")"
# The seek bar's rail is the darkest row under the buttons: at Top 250 twips its middle is row 21.
import -window root -crop "200x$((ch - 14))+$((cx + 10))+$((cy + 14))" +repage "$work/strip.png"
row=$(convert "$work/strip.png" -colorspace gray -resize "1x$((ch - 14))!" txt:- |
    sed -n 's/^0,\([0-9]*\): *(\([0-9.]*\).*/\1 \2/p' | sort -k2,2n | head -n 1 | awk '{ print $1 + 14 }')
[ "$row" -ge 18 ] && [ "$row" -le 25 ] || fail "seek bar rail at row $row of the client, want about 21"
quit q

# --- 1080p on a 1280x1024 monitor: 1273 x 716 px of picture (16:9) in a window of 1280 x 775,
# moved from its saved place so that all of it is on the monitor; F1 fits it the same way
if [ -n "$big" ]; then
    printf '[mPlayStatus]\nLeft=1500\nTop=1200\n' >"$ini"
    start "$big"
    want_frame "0 80 1280 775" "start with a picture wider than the monitor"
    poll '[ "$(last_put)" = "put movie window at 0 0 1280 715" ]' || fail "large picture layout: $(last_put)"
    xdotool windowsize "$win" 400 300
    poll '[ "$(frame_rect "$win")" != "0 80 1280 775" ]' || fail "the window did not resize"
    key F1
    want_frame "0 80 1280 775" "F1 with a picture wider than the monitor"
    quit q
fi

# --- the second monitor: full screen covers it, the control bar lies along its bottom edge
if [ "$monitors" -gt 1 ]; then
    printf '[mPlayStatus]\nLeft=%s\nTop=1200\n' $(((monitor_w + 100) * 15)) >"$ini"
    start "$video"
    want_frame "$((monitor_w + 100)) 80 167 179" "start on the second monitor"
    key f
    poll "fullscreen $monitor_w" || fail "full screen on the second monitor: $(client_rect "$win")"
    key w
    bar=
    poll 'for w in $(xdotool search --onlyvisible --classname PeltoSE); do
              [ "$(client_rect "$w")" = "$monitor_w $((monitor_h - 40)) $monitor_w 40" ] && bar=$w; done; [ -n "$bar" ]' ||
        fail "no control bar along the second monitor's bottom edge"
    key f
    want_frame "$((monitor_w + 100)) 80 167 179" "back from full screen on the second monitor"
    quit q
fi
echo "PASS (${PELTO_TEST_WM:-no window manager}, $monitors monitor(s))"
