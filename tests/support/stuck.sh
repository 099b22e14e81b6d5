# What a player that never showed its window was doing: for a failure report, on stderr.
# Usage: . stuck.sh; stuck_report PID   (PID: the player, or the `timeout` that started it)

stuck_report() {
    local pid=$1 child t
    child=$(pgrep -P "$pid" 2>/dev/null | head -n 1)
    [ -n "$child" ] && pid=$child
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "stuck: process $pid is gone" >&2
        return
    fi
    echo "stuck: process $pid, $(tr '\0' ' ' <"/proc/$pid/cmdline")" >&2
    for t in /proc/"$pid"/task/*; do
        echo "  thread ${t##*/} $(cat "$t/comm") waits in $(cat "$t/wchan" 2>/dev/null)" >&2
    done
    # Children it may wait for (a bus launcher, a plugin scanner).
    pgrep -a -P "$pid" >&2
    if command -v eu-stack >/dev/null; then
        timeout 20 eu-stack -p "$pid" >&2 2>&1
    fi
}
