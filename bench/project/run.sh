#!/usr/bin/env bash
# Builds the Release benchmark and the program (preset bench), generates a
# project of 5 000 rooms, prints the window figures, then times the
# program's --export of it to CSV as a whole process with its peak memory.
# Usage: bash bench/project/run.sh [rooms [distinct]] ("distinct": every
# room differs, see bench_project).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
rooms=${1:-5000}
distinct=${2:-}
cd "$root"
cmake --preset bench >/dev/null
cmake --build --preset bench --target bench_project loudspeaker-planner -j2 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
QT_QPA_PLATFORM=offscreen ./build-bench/bench/project/bench_project "$work" "$rooms" $distinct
times=()
for run in 1 2 3 4 5; do
  /usr/bin/time -v ./build-bench/app/loudspeaker-planner --export "$work/rooms.csv" "$work/object.lsplan" \
    2>"$work/time.txt"
  times+=("$(awk -F': ' '/Elapsed \(wall clock\)/ {split($2, t, ":"); print (t[1] * 60 + t[2]) * 1000}' "$work/time.txt")")
  peak=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
echo "--export to CSV, whole process: $median ms (median of 5), peak memory $((peak / 1024)) MB"
