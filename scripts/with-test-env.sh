#!/usr/bin/env bash
# Runs a command with a private Xvfb display and a PulseAudio server with a null sink,
# and stops both when the command ends, however it ends.
# Usage: with-test-env.sh COMMAND [ARG...]
# PELTO_TEST_WM=openbox|icewm runs that window manager on the display (default: none);
# PELTO_TEST_MONITORS=2 makes the display two 1280x1024 monitors side by side.
set -uo pipefail
workdir=$(mktemp -d /tmp/pelto-env.XXXXXX)
pids=()
cleanup() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    PULSE_RUNTIME_PATH="$workdir/pulse" pulseaudio --kill >/dev/null 2>&1
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
    rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export XDG_RUNTIME_DIR="$workdir/run"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
export XDG_CONFIG_HOME="$workdir/config"
export XDG_STATE_HOME="$workdir/state"
export HOME_FOR_TESTS="$workdir/home"
mkdir -p "$XDG_CONFIG_HOME" "$HOME_FOR_TESTS"

# Xvfb picks a free display and tells us its number on fd 5. -noreset: otherwise the server goes
# back to its defaults whenever its last client leaves, auto-repeat included.
exec 5<> <(:)
monitors=${PELTO_TEST_MONITORS:-1}
# No auto-repeat (-r): xdotool loses a key release when the window it typed into goes away (a quit
# key), and the repeating key would end every program started after it on this display.
Xvfb -displayfd 5 -screen 0 "$((1280 * monitors))x1024x24" -nolisten tcp -r -noreset >"$workdir/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 20 -u 5 display || { echo "with-test-env: Xvfb did not start" >&2; cat "$workdir/xvfb.log" >&2; exit 1; }
exec 5>&-
export DISPLAY=":$display"
if [ "$monitors" -gt 1 ]; then
    # The first monitor takes the server's one output; otherwise that output stays a monitor of
    # its own spanning all of them.
    output=$(xrandr 2>/dev/null | awk '/ connected/ { print $1; exit }')
    for ((i = 0; i < monitors; i++)); do
        [ "$i" -eq 0 ] && on=${output:-none} || on=none
        xrandr --setmonitor "pelto$i" "1280/339x1024/271+$((1280 * i))+0" "$on" >/dev/null 2>&1 ||
            { echo "with-test-env: no RandR monitors" >&2; exit 1; }
    done
fi
case "${PELTO_TEST_WM:-}" in
    "") ;;
    openbox | icewm)
        HOME="$workdir/home" "$PELTO_TEST_WM" >"$workdir/wm.log" 2>&1 &
        pids+=($!)
        # A window manager announces itself on the root window once it manages the screen.
        for _ in $(seq 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
            sleep 0.1
        done
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' ||
            { echo "with-test-env: $PELTO_TEST_WM did not start" >&2; cat "$workdir/wm.log" >&2; exit 1; }
        ;;
    *) echo "with-test-env: unknown window manager $PELTO_TEST_WM" >&2; exit 1 ;;
esac

export PULSE_RUNTIME_PATH="$workdir/pulse"
mkdir -p "$PULSE_RUNTIME_PATH"
if command -v pulseaudio >/dev/null; then
    pulseaudio -D --exit-idle-time=-1 --system=false -n \
        -L "module-null-sink sink_name=nullsink" -L "module-native-protocol-unix" \
        --log-target=file:"$workdir/pulse.log" >/dev/null 2>&1 || echo "with-test-env: no PulseAudio" >&2
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl set-default-sink nullsink >/dev/null 2>&1
    pactl set-default-source nullsink.monitor >/dev/null 2>&1
fi

"$@"
