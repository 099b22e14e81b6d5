#!/usr/bin/env bash
# Process CPU seconds to play the 10 s 720p H.264 test file into a 1280x720 window under Xvfb:
# the player and pelto-mci beside mpv (x11 output, the same raster path; and its default GPU output)
# in the same run. The player is measured from start to its "close all" at the end of the medium.
# Usage: bench/mci-cpu.sh [BUILD_DIR]   (needs scripts/install-bench-deps.sh for mpv)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-${BUILD_DIR:-build}}
media="$PWD/$build/test-media/hd.mp4"
[ -s "$media" ] || bash tests/media/make-media.sh "$build/test-media" hd.mp4
export PELTO_BENCH_MEDIA="$media" PELTO_BENCH_MCI="$PWD/$build/bin/pelto-mci" PELTO_BENCH_PLAYER="$PWD/$build/bin/PeltoSE"

exec bash scripts/with-test-env.sh python3 - <<'PY'
import os, resource, subprocess, time

media, mci = os.environ["PELTO_BENCH_MEDIA"], os.environ["PELTO_BENCH_MCI"]
runs = {
    "pelto-mci": [mci, f'open "{media}" type mpegvideo alias m', "put m window at 0 0 1280 720",
                  "play m wait", "close m"],
    "mpv --vo=x11": ["mpv", "--no-config", "--really-quiet", "--vo=x11", "--geometry=1280x720+0+0",
                     "--ao=pulse", media],
    "mpv (default vo)": ["mpv", "--no-config", "--really-quiet", "--geometry=1280x720+0+0", "--ao=pulse", media],
}
results = {}

def player_cpu():
    """CPU seconds of the player from start to the end of the medium (it stays open after it)."""
    log = f"/tmp/pelto-bench-{os.getpid()}.log"
    if os.path.exists(log):
        os.remove(log)
    env = dict(os.environ, PELTO_MCI_LOG=log)
    start = time.monotonic()
    p = subprocess.Popen([os.environ["PELTO_BENCH_PLAYER"], media], env=env,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while time.monotonic() - start < 60 and p.poll() is None:
            if os.path.exists(log) and "\nclose all\t" in open(log, errors="replace").read():
                break
            time.sleep(0.05)
        with open(f"/proc/{p.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK"), time.monotonic() - start
    finally:
        p.kill()
        p.wait()
        if os.path.exists(log):
            os.remove(log)

try:
    cpu, wall = player_cpu()
    results["PeltoSE"] = cpu
    print(f"{'PeltoSE':18s} cpu {cpu:6.2f} s   wall {wall:6.2f} s")
except OSError as e:
    print(f"PeltoSE: failed ({e})")
for name, cmd in runs.items():
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    try:
        subprocess.run(cmd, timeout=120, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except (OSError, subprocess.SubprocessError) as e:
        print(f"{name}: failed ({e})")
        continue
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    results[name] = cpu
    print(f"{name:18s} cpu {cpu:6.2f} s   wall {time.monotonic() - start:6.2f} s")
for ours in ("PeltoSE", "pelto-mci"):
    for name, cpu in results.items():
        if ours in results and name not in ("PeltoSE", "pelto-mci"):
            print(f"{ours} / {name}: {results[ours] / cpu:.2f}")
PY
