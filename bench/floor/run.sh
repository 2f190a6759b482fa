#!/usr/bin/env bash
# Builds the Release benchmarks and the program (preset bench), prints the
# figures of the floor plan's reading, import, window and view, then times
# the program's --import-plan of a 2 000-room plan and --export of that
# floor to DXF as whole processes.
# Usage: bash bench/floor/run.sh [rooms]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
rooms=${1:-2000}
cd "$root"
cmake --preset bench >/dev/null
cmake --build --preset bench --target bench_dxfplan bench_floorview bench_floorimport loudspeaker-planner -j2 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
./build-bench/bench/floor/bench_dxfplan "$rooms"
./build-bench/bench/floor/bench_floorview
./build-bench/bench/floor/bench_floorimport "$work" "$rooms"
whole() { # label, then the command line
  local label=$1 times=() run
  shift
  for run in 1 2 3; do
    "$@" >/dev/null
    /usr/bin/time -f '%e %M' -o "$work/time.txt" "$@" >/dev/null
    times+=("$(awk '{print $1 * 1000}' "$work/time.txt")")
  done
  echo "$label: $(printf '%s\n' "${times[@]}" | sort -n | sed -n 2p) ms (median of 3), peak memory $(($(awk '{print $2}' "$work/time.txt") / 1024)) MB"
}
whole "--import-plan, whole process" bash -c "rm -f '$work/new.lsplan' && ./build-bench/app/loudspeaker-planner --import-plan '$work/floor.dxf' --floor 1 '$work/new.lsplan'"
whole "--export of the floor to DXF, whole process" ./build-bench/app/loudspeaker-planner --export "$work/out.dxf" --floor 1 "$work/floor.lsplan"
