#!/usr/bin/env bash
# clang-tidy over our own sources (not tests, not generated code) from BUILD_DIR's compile
# database, in parallel; any finding fails. Configure and build first (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dir=${BUILD_DIR:-build}
if [ ! -f "$dir/compile_commands.json" ]; then
    echo "tidy: no $dir/compile_commands.json; run scripts/build.sh first" >&2
    exit 2
fi
ours="^$root/(mci|player|slider|tools)/"
mapfile -t files < <(python3 -c '
import json, re, sys
ours = re.compile(sys.argv[2])
for entry in json.load(open(sys.argv[1])):
    path = entry["file"]
    if ours.match(path) and "/fuzz/" not in path:
        print(path)
' "$dir/compile_commands.json" "$ours" | sort -u)
echo "tidy: ${#files[@]} files"
printf '%s\0' "${files[@]}" |
    xargs -0 -n 1 -P "$(nproc)" clang-tidy -p "$dir" --quiet --header-filter="$ours" 2>/dev/null
echo "tidy: clean"
