#!/usr/bin/env bash
# Demanding clips (1080p60 H.264, VP9, AV1, 4K HEVC 10-bit, 576i MPEG-2) beside mpv in one run, on an
# idle machine and on one with busy loops beside the players: frames put on the screen per second
# (counted by the X server), the longest gap between two, CPU and peak memory, and the ratios against
# mpv. Only ratios within one run mean anything.
# Usage: bench/heavy-compare.sh [ROUNDS [MEDIA_DIR]]
# env:   PERF_DIR (default ../shared/perf), BUILD_DIR (default build), FILES, SECS (default 8),
#        LOADS (busy loops per pass, default "0 3")
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-2}
media=${2:-/tmp/heavy}
perf=$(cd "${PERF_DIR:-../shared/perf}" && pwd)
player=$PWD/${BUILD_DIR:-build}/bin/PeltoSE
secs=${SECS:-8}
[ -x "$player" ] || { echo "heavy-compare: build the player first (scripts/build.sh)" >&2; exit 1; }
bash scripts/install-bench-deps.sh
ls "$media"/*.mkv >/dev/null 2>&1 || bash "$perf/make-heavy.sh" "$media"
fc=/tmp/framecount
[ -x "$fc" ] || gcc -O2 -o "$fc" "$perf/framecount.c" -lX11 -lXdamage
files=(${FILES:-$(cd "$media" && ls *.mp4 *.mkv *.webm *.mpg 2>/dev/null)})
results=$(mktemp /tmp/pelto-heavy.XXXXXX.jsonl)
trap 'rm -f "$results"' EXIT

for load in ${LOADS:-0 3}; do
    (
        source "$perf/env.sh"
        busy=()
        for _ in $(seq "$load"); do timeout 3600 sh -c 'while :; do :; done' >/dev/null 2>&1 & busy+=($!); done
        trap '[ ${#busy[@]} -eq 0 ] || kill "${busy[@]}" 2>/dev/null; perf_env_stop' EXIT
        for _ in $(seq "$rounds"); do
            for f in "${files[@]}"; do
                for p in mpv PeltoSE; do
                    if [ "$p" = mpv ]; then
                        cmd=(mpv --no-config --vo=x11 --hwdec=no --ao=pulse --autofit-larger=1920x1080 --keep-open=no {file})
                    else
                        cmd=("$player" {file})
                    fi
                    python3 "$perf/playback.py" --file "$media/$f" --seconds "$secs" --name "$p" --frames "$fc" \
                        -- "${cmd[@]}" | sed "s/^{/{\"load\": $load, /" | tee -a "$results" >&2 || true
                done
            done
        done
    )
done

python3 - "$results" <<'PY'
import json, statistics as st, sys
rows = [json.loads(l) for l in open(sys.argv[1]) if l.strip()]
by = {}
for r in rows:
    if "error" not in r:
        by.setdefault((r["load"], r["file"], r["name"]), []).append(r)
def med(rs, k):
    v = [r[k] for r in rs if isinstance(r.get(k), (int, float))]
    return st.median(v) if v else None
print()
print(f"{'load':>4} {'file':28} {'fps mpv/ours':>14} {'gap ms mpv/ours':>16} {'cpu/s mpv/ours':>15} {'rss MB mpv/ours':>16} {'cpu x':>6} {'rss x':>6}")
for load, f in sorted({(l, f) for l, f, _ in by}):
    m, o = by.get((load, f, "mpv"), []), by.get((load, f, "PeltoSE"), [])
    def pair(k, fmt):
        a, b = med(m, k), med(o, k)
        return f"{'-' if a is None else format(a, fmt)}/{'-' if b is None else format(b, fmt)}"
    def ratio(k):
        a, b = med(m, k), med(o, k)
        return f"{b / a:.2f}" if a and b is not None else "-"
    print(f"{load:>4} {f:28} {pair('fps', '.1f'):>14} {pair('max_gap_ms', '.0f'):>16} {pair('cpu_per_s', '.2f'):>15} "
          f"{pair('rss_mb', '.0f'):>16} {ratio('cpu_per_s'):>6} {ratio('rss_mb'):>6}")
PY
