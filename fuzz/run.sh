#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UBSan) in
# build-fuzz and runs each of them for a number of seconds.
#
# Usage: bash fuzz/run.sh [seconds] [target ...]
#   seconds  time for each target (default 60)
#   target   fuzz_numbers, fuzz_calculation, fuzz_projectfile, fuzz_dxfplan (default all)
# A target that finds a failing input stops and leaves it in
# build-fuzz/artifacts/<target>/; the script then exits 1. Reproduce with
#   build-fuzz/fuzz/<target> <file>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_numbers fuzz_calculation fuzz_projectfile fuzz_dxfplan)
[ "$seconds" -ge 1 ] 2>/dev/null || { echo "usage: $0 [seconds] [target ...]" >&2; exit 2; }

# clang with its fuzzer runtime.
fuzzer_runtime() {
  local dir
  dir=$(clang++ -print-resource-dir 2>/dev/null) || return 1
  [ -e "$dir/lib/linux/libclang_rt.fuzzer-x86_64.a" ] || [ -e "$dir/lib/x86_64-pc-linux-gnu/libclang_rt.fuzzer.a" ]
}
if ! command -v clang++ >/dev/null || ! fuzzer_runtime; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends clang
  if ! fuzzer_runtime; then
    major=$(clang++ -dumpversion | cut -d. -f1)
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "libclang-rt-$major-dev"
  fi
fi

build="$root/build-fuzz"
(cd "$root" && cmake --preset fuzz >/dev/null && cmake --build --preset fuzz --target "${targets[@]}" -j"$(nproc)")

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
for target in "${targets[@]}"; do
  seeds="$root/fuzz/corpus/${target#fuzz_}"
  corpus="$build/corpus/$target"
  artifacts="$build/artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  # The corpus grows in the build folder; the seeds in the source tree stay.
  [ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
  echo "== $target for $seconds s (corpus $corpus)"
  dict="$root/fuzz/numbers.dict"
  [ "$target" = fuzz_projectfile ] && dict="$root/fuzz/projectfile.dict"
  [ "$target" = fuzz_dxfplan ] && dict="$root/fuzz/dxfplan.dict"
  if "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
       -dict="$dict" -artifact_prefix="$artifacts/" "$corpus" \
       2>"$build/$target.log"; then
    grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$build/$target.log" || true
    echo "== $target: no failure"
  else
    tail -n 40 "$build/$target.log"
    echo "== $target FAILED; input in $artifacts/"
    status=1
  fi
done
exit $status
