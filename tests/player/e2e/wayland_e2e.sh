#!/usr/bin/env bash
# The player as a native Wayland client of Weston, with no X display in its environment: the
# picture paints, keys reach it, full screen covers the output, Esc saves the settings; the X11-only
# services (screen saver switch, topmost, captions) do nothing there instead of failing.
# Weston runs nested on the test display (its X11 backend) so that xdotool can type into it, and
# on its headless backend for a run without any X server at all.
# Usage: wayland_e2e.sh PELTOSE VIDEO   (VIDEO: the 160x120 ball clip; run under scripts/with-test-env.sh)
set -uo pipefail
player=${1:?player}
video=${2:?video file}
work=$(mktemp -d /tmp/pelto-wayland-e2e.XXXXXX)
export XDG_CONFIG_HOME="$work/config"
export PELTO_MCI_LOG="$work/mci.log"
ini="$XDG_CONFIG_HOME/Pelto/Pelto.ini"
socket="pelto-wl-$$"
pid= weston=
cleanup() {
    # A player stuck on a compositor that went away would not answer SIGTERM.
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
    [ -n "$weston" ] && kill "$weston" 2>/dev/null
    wait 2>/dev/null
    [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL (wayland $mode): $*" >&2
    [ -n "${output:-}" ] && import -window "$output" "$work/failed.png" 2>/dev/null
    tail -n 5 "$PELTO_MCI_LOG" >&2 2>/dev/null
    tail -n 10 "$work/player.log" >&2 2>/dev/null
    tail -n 5 "$work/weston.log" >&2 2>/dev/null
    exit 1
}
poll() {
    local i
    for i in $(seq "${2:-100}"); do eval "$1" && return 0; sleep 0.1; done
    return 1
}
logged() { grep -q "^$1"$'\t' "$PELTO_MCI_LOG" 2>/dev/null; }
# Pixels of Weston's output near a colour: black (the clip's field), white (its ball).
count_pixels() {
    import -window "$output" "$work/shot.png" &&
        convert "$work/shot.png" -alpha off -fuzz 6% -fill red -opaque "$1" -fill black +opaque red \
            -fill white -opaque red -format '%[fx:mean*w*h]' info: | awk '{ printf "%d", $1 + 0.5 }'
}

start_weston() {
    rm -f "$PELTO_MCI_LOG"
    # A Weston of the distribution, not a user's: no configuration file, no idle blanking.
    weston --no-config --socket="$socket" --idle-time=0 "$@" >"$work/weston.log" 2>&1 &
    weston=$!
    poll '[ -S "$XDG_RUNTIME_DIR/$socket" ]' 100 || fail "weston did not start"
}
stop_weston() {
    kill "$weston" 2>/dev/null
    wait "$weston" 2>/dev/null
    weston=
}
start_player() {
    env -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY="$socket" "$player" "$@" \
        >>"$work/player.log" 2>&1 &
    pid=$!
    poll 'logged "play movie"' 150 || fail "no play"
}
end_player() {
    poll '! kill -0 $pid 2>/dev/null' 150 || fail "$1 did not end the player"
    wait "$pid" || fail "the player ended with status $?"
    pid=
}

mode=build
# X11 is loaded only on the X11 platform: the program itself does not require its libraries.
if command -v readelf >/dev/null; then
    ! readelf -d "$player" | grep -q 'NEEDED.*libX' || fail "the player needs X11 libraries: $(readelf -d "$player" | grep 'NEEDED.*libX')"
fi

# --- nested on the test display: picture, keys, full screen, settings
mode=nested
start_weston --backend=x11-backend.so --width=800 --height=600
output=
poll 'output=$(xwininfo -root -tree | awk "/\"Weston Compositor/ { print \$1; exit }"); [ -n "$output" ]' ||
    fail "no Weston window on the test display"
xdotool windowfocus --sync "$output" 2>/dev/null
poll '[ "$(count_pixels black)" -lt 2000 ]' 50 || fail "the bare Weston is black already"
start_player "$video"
# The 160x120 clip: a black field with a white ball, at least 15000 black pixels once painted.
poll '[ "$(count_pixels black)" -ge 15000 ]' 100 || fail "the picture does not paint"
[ "$(count_pixels white)" -ge 50 ] || fail "no ball in the picture"
logged "put movie window at 0 0 167 119" || fail "the picture is not sized to the clip"
xdotool key p
poll 'logged "pause movie"' 50 || fail "P did not reach the player"
# Always on top and the empty full-screen caption are X11 calls: nothing to do here, and no harm.
xdotool key a a
xdotool key f
poll 'logged "put movie window at 0 0 808 600"' 50 || fail "full screen does not cover the 800x600 output"
xdotool key Escape
end_player Esc
grep -q "^File=$video$" "$ini" || fail "Esc saved no File: $(cat "$ini" 2>/dev/null)"
grep -q '^FullScreen=2$' "$ini" || fail "Esc saved no full screen"
grep -q '^Res=[0-9]' "$ini" || fail "Esc saved no position"
xdotool keyup Escape
stop_weston

# --- headless, no X server anywhere: it starts, plays and ends cleanly on SIGTERM
mode=headless
(unset DISPLAY; start_weston --backend=headless-backend.so --width=640 --height=480)
weston=$(pgrep -n -f -- "--socket=$socket") || fail "no headless weston"
rm -f "$ini"
start_player "$video"
kill -TERM "$pid"
end_player SIGTERM
! grep -qi "xcb\|libx11" "$work/player.log" || fail "the player looked for X11: $(grep -i "xcb\|libx11" "$work/player.log")"
echo "PASS (wayland: nested and headless)"
