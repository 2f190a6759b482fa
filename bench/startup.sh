#!/usr/bin/env bash
# Start-up figure: builds bench/ in Release and starts the program and a bare
# Qt window alternately, N times each, under the same conditions; prints the
# median time from launch to the first painted window, the peak memory of
# both and their ratio.
#
# Usage: bash bench/startup.sh [-n N] [--xvfb] [--build DIR]
#   -n N       runs of each program (default 10)
#   --xvfb     show the windows on an Xvfb server (default: offscreen platform)
#   --build D  build folder (default build-bench in the project folder)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=10
platform=offscreen
build="$root/build-bench"
while [ $# -gt 0 ]; do
  case "$1" in
    -n) runs=$2; shift 2 ;;
    --xvfb) platform=xcb; shift ;;
    --build) build=$2; shift 2 ;;
    *) echo "usage: $0 [-n N] [--xvfb] [--build DIR]" >&2; exit 2 ;;
  esac
done
[ "$runs" -ge 1 ] 2>/dev/null || { echo "-n wants a positive number" >&2; exit 2; }

if [ "$build" = "$root/build-bench" ]; then
  (cd "$root" && cmake --preset bench >/dev/null)
else
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --target startup-planner startup-bare -j"$(nproc)" >/dev/null

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The same environment for both: a private runtime folder and the C number
# format (bash writes EPOCHREALTIME with the locale's decimal point).
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export LC_NUMERIC=C
export QT_QPA_PLATFORM=$platform

if [ "$platform" = xcb ]; then
  command -v Xvfb >/dev/null || { echo "Xvfb is not installed (apt-get install xvfb)" >&2; exit 1; }
  display=99
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  [ -e "/tmp/.X11-unix/X$display" ] || { cat "$work/xvfb.log"; echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$display"
fi

bin="$build/bench"
# One run: the launch stamp is taken by the shell just before the program
# starts; the program prints its figures at its first painted window.
run_one() {
  local program=$1
  BENCH_LAUNCH_TIME=$EPOCHREALTIME "$bin/$program" 2>>"$work/stderr.log"
}

# A first run of each fills the page cache and the font cache.
run_one startup-planner >/dev/null
run_one startup-bare >/dev/null
for _ in $(seq "$runs"); do
  run_one startup-planner >>"$work/planner.txt"
  run_one startup-bare >>"$work/bare.txt"
done

# field <file> <name>: the values of name=value, one a line.
field() { grep -o "$2=[-0-9.]*" "$1" | cut -d= -f2; }
# median [format]: the median of the numbers on standard input.
median() {
  sort -g | awk -v f="${1:-%.2f}" '{ v[NR] = $1 }
    END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf f "\n", m }'
}

planner_ms=$(field "$work/planner.txt" launch_to_shown_ms | median)
bare_ms=$(field "$work/bare.txt" launch_to_shown_ms | median)
planner_main=$(field "$work/planner.txt" main_to_shown_ms | median)
bare_main=$(field "$work/bare.txt" main_to_shown_ms | median)
planner_kib=$(field "$work/planner.txt" peak_rss_kib | median %.0f)
bare_kib=$(field "$work/bare.txt" peak_rss_kib | median %.0f)
ratio=$(awk -v a="$planner_ms" -v b="$bare_ms" 'BEGIN { printf "%.2f", a / b }')
memory_ratio=$(awk -v a="$planner_kib" -v b="$bare_kib" 'BEGIN { printf "%.2f", a / b }')

echo "start-up to the first painted window, median of $runs runs each ($platform, Release)"
printf '  %-22s %10s %14s %14s\n' "" "launch, ms" "main(), ms" "peak RSS, KiB"
printf '  %-22s %10s %14s %14s\n' "loudspeaker-planner" "$planner_ms" "$planner_main" "$planner_kib"
printf '  %-22s %10s %14s %14s\n' "bare QWidget" "$bare_ms" "$bare_main" "$bare_kib"
echo "  time ratio $ratio (target at most 1.20), memory ratio $memory_ratio"
if awk -v r="$ratio" 'BEGIN { exit !(r <= 1.2) }'; then
  echo "  within the target"
else
  echo "  above the target"
fi
