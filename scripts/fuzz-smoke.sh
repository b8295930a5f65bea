#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz", clang with libFuzzer, ASan and UBSan) and runs each
# for SECONDS (default 60) over a scratch copy of its seed corpus, two at a time. Any finding
# (a crash, a sanitizer report, a leak, a time-out) fails the run and keeps the input that
# caused it in build/fuzz/findings. A picture within the limits may still be large (a few
# hundred bytes of GIF can describe a 16384 x 16384 screen), so a single run may take seconds
# under the sanitizers on a busy machine: the time-out is generous, a hang still fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

source scripts/packages.sh
tapisto_install_packages fuzz

echo "== fuzz: build preset fuzz"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_bmp fuzz_gif fuzz_png fuzz_jpeg fuzz_reg

work=build/fuzz/work
findings=build/fuzz/findings
rm -rf "$work"
mkdir -p "$work" "$findings"

run_target() {
  local name=$1
  cp -r "fuzz/corpus/$name" "$work/$name"
  if build/fuzz/bin/fuzz_"$name" -max_total_time="$seconds" -timeout=120 -rss_limit_mb=2560 \
    -dict="fuzz/dict/$name.dict" -artifact_prefix="$findings/$name-" -print_final_stats=1 \
    "$work/$name" >"$work/$name.log" 2>&1; then
    echo "fuzz_$name: $(grep -E '^stat::number_of_executed_units' "$work/$name.log" |
      awk '{print $2}') runs, no finding"
  else
    echo "fuzz_$name: FINDING"
    grep -E 'ERROR|SUMMARY|Test unit written' "$work/$name.log" || tail -n 20 "$work/$name.log"
    return 1
  fi
}

status=0
for pair in "bmp gif" "png jpeg" "reg"; do
  pids=()
  for name in $pair; do
    run_target "$name" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || status=1; done
done
exit $status
