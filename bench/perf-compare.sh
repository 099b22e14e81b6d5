#!/usr/bin/env bash
# Playback cost of the player beside mpv, ffplay and gst-play-1.0 in one run (the shared perf
# harness), then the ratios against mpv next to the goals. Only ratios within one run mean anything.
# Usage: bench/perf-compare.sh [ROUNDS [MEDIA_DIR]]
# env:   PERF_DIR (default ../shared/perf), BUILD_DIR (default build), FILES, SECS, SHOTS as the harness.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
media=${2:-/tmp/perf-media}
perf=${PERF_DIR:-../shared/perf}
build=${BUILD_DIR:-build}
[ -x "$build/bin/PeltoSE" ] || { echo "perf-compare: build the player first (scripts/build.sh)" >&2; exit 1; }
[ -f "$perf/compare.sh" ] || { echo "perf-compare: no harness at $perf (set PERF_DIR)" >&2; exit 1; }
results=$(mktemp /tmp/pelto-perf.XXXXXX.jsonl)
trap 'rm -f "$results"' EXIT
PLAYER="$PWD/$build/bin/PeltoSE" RESULTS="$results" bash "$perf/compare.sh" "$media" "$rounds"

python3 - "$results" <<'PY'
import json, statistics as st, sys
rows = [json.loads(l) for l in open(sys.argv[1]) if l.strip() and "error" not in json.loads(l)]
by = {}
for r in rows:
    by.setdefault((r["file"], r["name"]), []).append(r)
# (measure, goal as a ratio to mpv's, what it is)
goals = [("cpu_per_s", 0.8, "CPU s per s"), ("rss_mb", 1.0, "peak RSS"), ("window_s", 1.0, "time to window")]
print()
print(f"{'file':16} {'measure':15} {'PeltoSE':>9} {'mpv':>9} {'ratio':>6} {'goal':>6}  met")
failed = 0
for f in sorted({f for f, _ in by}):
    ours, ref = by.get((f, "PeltoSE"), []), by.get((f, "mpv"), [])
    for key, goal, what in goals:
        a = [r[key] for r in ours if key in r]
        b = [r[key] for r in ref if key in r]
        if not a or not b or not st.median(b):
            print(f"{f:16} {what:15} {'n/a':>9}")
            failed += 1
            continue
        ratio = st.median(a) / st.median(b)
        met = ratio <= goal
        failed += not met
        print(f"{f:16} {what:15} {st.median(a):9.3f} {st.median(b):9.3f} {ratio:6.2f} {goal:6.2f}  {'yes' if met else 'NO'}")
print(f"goals missed: {failed}")
PY
