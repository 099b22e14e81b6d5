#!/usr/bin/env bash
# The real player on a real clip, driven by the mouse: picture and sound come out, the time label
# moves, Stop and Play work, the seek bar drags, full screen shows the control bar at the bottom
# edge and its buttons work, and quitting (the quit label, SIGTERM) writes Vol, Left and Top.
# Idle, it uses no CPU.
# Usage: playback_e2e.sh PELTOSE MEDIA   (needs DISPLAY and an audio server: scripts/with-test-env.sh)
set -uo pipefail
. "$(dirname "$0")/../../support/stuck.sh"
player=${1:?player}
media=${2:?media file}
work=$(mktemp -d /tmp/pelto-playback-e2e.XXXXXX)
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
    echo "FAIL: $*" >&2
    echo "--- engine log (last 30 lines)" >&2
    tail -n 30 "$PELTO_MCI_LOG" >&2 2>/dev/null
    echo "--- player output" >&2
    cat "$work/player.log" >&2 2>/dev/null
    exit 1
}

# Polls (up to $2 tenths of a second) until the command $1 succeeds.
poll() {
    local i
    for i in $(seq "${2:-150}"); do eval "$1" && return 0; sleep 0.1; done
    return 1
}
. "$(dirname "$0")/frame.sh"
mark() { wc -l <"$PELTO_MCI_LOG" 2>/dev/null || echo 0; }
logged_after() { poll "tail -n +$(($1 + 1)) '$PELTO_MCI_LOG' 2>/dev/null | grep -qE '$2'"; }
setting() { sed -n "s/^$1=//p" "$ini" 2>/dev/null; }

# X Y WIDTH HEIGHT: the client area, where clicks and pictures go; FX FY FW FH: the outer frame,
# which Left, Top and the window's sizes are about.
geometry() {
    read -r X Y WIDTH HEIGHT <<<"$(client_rect "$1")"
    read -r FX FY FW FH <<<"$(frame_rect "$1")"
}
start() {
    timeout 120 "$player" "$@" >"$work/player.log" 2>&1 &
    pid=$!
    win=$(timeout 20 xdotool search --sync --onlyvisible --classname PeltoSE | head -n 1)
    [ -n "$win" ] || { stuck_report "$pid"; fail "no player window"; }
    geometry "$win"
}
wait_exit() { poll '! kill -0 $pid 2>/dev/null' && { wait "$pid"; pid=; }; }
click_at() { xdotool mousemove "$1" "$2" click 1; }
# Clicks a top-row control at its left edge in twips.
click_top_row() { click_at $((X + $1 / 15 + 4)) $((Y + 6)); }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
shot() { import -window root -crop "$3x$4+$1+$2" +repage "$5" 2>/dev/null; }
spread() { convert "$1" -colorspace gray -format '%[fx:standard_deviation]' info: 2>/dev/null; }

mkdir -p "$(dirname "$ini")"
printf '[mPlayStatus]\nLeft=1500\nTop=1200\nVol=60\n' >"$ini"

# --- idle with nothing loaded: no timer runs, so no CPU is used
start
[ "$FX,$FY" = "100,80" ] || fail "saved Left/Top not applied: window at $FX,$FY"
poll '[ -s "$PELTO_MCI_LOG" ]' || fail "no volume command at start"
before=$(cpu_ticks)
sleep 2  # a measuring interval, not synchronisation
after=$(cpu_ticks)
[ $((after - before)) -le 2 ] || fail "idle player used $((after - before)) CPU ticks in 2 s"
m=$(mark)
kill -TERM "$pid"
wait_exit || fail "SIGTERM did not end the player"
[ "$(setting Vol)" = 60 ] && [ "$(setting Left)" = 1500 ] || fail "SIGTERM did not save the settings"
# the terminal closing (SIGHUP) ends it the same way: without a saved volume it writes the default
printf '[mPlayStatus]\nLeft=1500\nTop=1200\n' >"$ini"
start
kill -HUP "$pid"
wait_exit || fail "SIGHUP did not end the player"
[ "$(setting Vol)" = 80 ] || fail "SIGHUP did not save the settings"
printf '[mPlayStatus]\nLeft=1500\nTop=1200\nVol=60\n' >"$ini"

# --- playback: picture, sound, time
start "$media"
logged_after 0 $'^play movie\t0' || fail "the medium did not start"
grep -q $'^setaudio movie volume to 600\t0' "$PELTO_MCI_LOG" || fail "saved volume not applied"
geometry "$win"
[ "$FW" -eq 359 ] || fail "window not sized to the 352 px picture: $FW"
# The layout follows the outer height, as the window system it was made for lays out a form.
video_h=$((FH - 60))
shot "$X" $((Y + 14)) 300 $((video_h - 14)) "$work/a.png"
shot $((X + 2565 / 15)) "$Y" 25 13 "$work/time_a.png"
parec -d nullsink.monitor --format=s16le --rate=22050 --channels=1 --raw 2>/dev/null | head -c 88200 >"$work/sound.raw" &
recorder=$!
poll '[ $(stat -c %s "$work/sound.raw") -ge 88200 ]' 100 || { kill $recorder 2>/dev/null; fail "nothing recorded from the null sink"; }
wait $recorder 2>/dev/null
peak=$(od -An -td2 -v "$work/sound.raw" | tr -s ' ' '\n' | awk 'NF { v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }')
[ "$peak" -gt 1000 ] || fail "no sound reached the null sink (peak $peak)"
shot "$X" $((Y + 14)) 300 $((video_h - 14)) "$work/b.png"
shot $((X + 2565 / 15)) "$Y" 25 13 "$work/time_b.png"
[ "$(spread "$work/b.png")" != 0 ] || fail "the video area is blank"
! cmp -s "$work/a.png" "$work/b.png" || fail "the picture does not move"
! cmp -s "$work/time_a.png" "$work/time_b.png" || fail "the time label does not advance"

# --- Stop and Play with the mouse
m=$(mark); click_top_row 1185
logged_after "$m" $'^stop movie\t0' || fail "Stop did not stop"
logged_after "$m" $'^close all\t0' || fail "Stop did not close the device"
m=$(mark); click_top_row 615
logged_after "$m" $'^open .*demo.mpg.* type mpegvideo alias movie' || fail "Play after Stop did not reopen"
logged_after "$m" $'^play movie\t0' || fail "Play after Stop did not play"

# --- drag the seek bar to its middle: the medium plays on from about 10 s
bar_y=$((Y + FH - 650 / 15 + 5))
m=$(mark)
xdotool mousemove $((X + 3)) "$bar_y" mousedown 1
xdotool mousemove $((X + 100)) "$bar_y"
xdotool mousemove $((X + WIDTH / 2)) "$bar_y" mouseup 1
logged_after "$m" $'^play movie from (8|9|10|11|12)[0-9]{3}\t0' || fail "the seek bar drag did not seek to the middle"
logged_after "$m" $'^status movie position wait\t0\t(9|1[0-9])[0-9]{3}' || fail "the position did not follow the drag"

# --- full screen by double click; the control bar appears at the bottom edge
xdotool mousemove $((X + 150)) $((Y + 100)) click --repeat 2 --delay 80 1
screen=$(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\).*/\1 \2/p')
read -r sw sh <<<"$screen"
full_screen() {
    local x y w h
    read -r x y w h <<<"$(client_rect "$win")"
    [ "${w}x$h" = "$((sw + 8))x$sh" ] || [ "$x,$y" = "0,0" ]
}
poll full_screen || fail "double click did not enter full screen"
bar_visible() {
    local w
    for w in $(xdotool search --onlyvisible --classname PeltoSE 2>/dev/null); do
        [ "$(client_rect "$w" | cut -d" " -f1,2)" = "0 $((sh - 40))" ] && return 0
    done
    return 1
}
xdotool mousemove 400 300
! bar_visible || fail "the control bar is shown before the pointer reaches the bottom"
xdotool mousemove 400 $((sh - 200)) mousemove 400 $((sh - 1))
poll bar_visible || fail "the control bar did not appear at the bottom edge"
[ -z "$(xdotool getwindowname "$win")" ] || fail "full screen kept a caption: $(xdotool getwindowname "$win")"
m=$(mark); click_at $((405 / 15 + 8)) $((sh - 40 + 265 / 15 + 8))
logged_after "$m" $'^pause movie\t0' || fail "the bar's Play/Pause button did not pause"
xdotool mousemove 420 $((sh - 10))  # over the strip: it stays
sleep 2.5                            # longer than the auto-hide interval
bar_visible || fail "the control bar hid itself under the pointer"
xdotool mousemove 400 300
poll '! bar_visible' 60 || fail "the control bar did not hide itself"

# --- leave full screen by F, quit with the quit label: Vol, Left and Top are written
printf '[mPlayStatus]\n' >"$ini"
xdotool mousemove 400 300 key f  # over the window: no window manager gives it the keyboard
poll '[ "$(frame_rect "$win" | cut -d" " -f1,2)" = "100 80" ]' ||
    fail "leaving full screen did not restore the window"
[ "$(xdotool getwindowname "$win")" = "Pelto SE" ] || fail "caption after full screen: $(xdotool getwindowname "$win")"
# The clicked bar had the keyboard; it comes back to the window, wherever the pointer is.
xdotool mousemove 1000 900
m=$(mark); xdotool key space
logged_after "$m" $'^resume movie\t0' || fail "keys no longer reach the window after the bar was used"
click_top_row 4365
wait_exit || fail "the quit label did not end the player"
[ "$(setting Vol)" = 60 ] || fail "Vol not written: $(setting Vol)"
[ "$(setting Left)" = 1500 ] || fail "Left not written: $(setting Left)"
[ "$(setting Top)" = 1200 ] || fail "Top not written: $(setting Top)"
echo "PASS"
