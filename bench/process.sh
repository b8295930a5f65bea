#!/usr/bin/env bash
# A whole `tapisto-tool compose` process beside the same work in process: hyperfine times the
# tool (exec to exit), compose_bench's ComposeFile times the composition and save of the same
# picture file at the same size in one process. The difference is what a fresh process adds:
# loading, first touches of memory, threads. Medians in ms.
# Usage: bench/process.sh [RUNS] [SCREEN]...  (from the repository root, after a build;
#        default 21 runs at 1920x1080). Hold the shared build lock around it.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-21}
shift || true
screens=("${@:-1920x1080}")
source scripts/packages.sh
tapisto_packages_process=(imagemagick hyperfine)
tapisto_install_packages process

tool=${TAPISTO_TOOL:-build/default/bin/tapisto-tool}  # TAPISTO_TOOL: another build to time
bench=build/default/bin/compose_bench
[ -x "$tool" ] && [ -x "$bench" ] || { echo "build tapisto-tool and compose_bench first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out"

# The picture of bench/peers.sh: 400 x 300, 16-bit RGBA.
convert -size 400x300 gradient:'#ff8000-#0040ff' \( -size 400x300 radial-gradient:white-black \) \
  -alpha off -compose CopyOpacity -composite "$work/logo.png"

# Style names of the tool and compose_bench's style numbers.
styles=("normal:0" "spiegeln:2" "duplizieren:3" "duplizieren und spiegeln:4"
  "duplizieren und doppelt spiegeln:5")

median_ms() {
  python3 -c "import json,sys; print('%.2f' % (1000*json.load(open(sys.argv[1]))['results'][0]['median']))" "$1"
}

printf '| style | screen | process (hyperfine) | in process (ComposeFile) | difference |\n|---|---|---|---|---|\n' \
  > "$work/table.md"
for screen in "${screens[@]}"; do
  W=${screen%x*}
  filter=""
  for entry in "${styles[@]}"; do filter+="${filter:+|}ComposeFile/style:${entry##*:}/W:$W\$"; done
  TAPISTO_BENCH_PICTURE="$work/logo.png" "$bench" --benchmark_filter="$filter" \
    --benchmark_min_time=0.2 --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true --benchmark_format=json > "$work/in.json"
  for entry in "${styles[@]}"; do
    style=${entry%:*}
    x=100
    case $style in dupl*) x=0 ;; esac
    hyperfine --runs "$runs" --warmup 3 -N --export-json "$work/p.json" \
      "$(printf '%q ' "$tool" compose --style "$style" --screen "$screen" --background "10 20 30" \
        --x "$x" --y 50 --folder "$work/out" "$work/logo.png")" >&2
    p=$(median_ms "$work/p.json")
    i=$(python3 - "$work/in.json" "ComposeFile/style:${entry##*:}/W:$W" <<'PY'
import json, sys
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b["run_name"] == sys.argv[2] and b.get("aggregate_name") == "median":
        print("%.2f" % b["real_time"])
PY
)
    printf '| %s | %s | %s ms | %s ms | %s ms |\n' "$style" "$screen" "$p" "$i" \
      "$(python3 -c "print('%.2f' % ($p - $i))")" | tee -a "$work/table.md"
  done
done
echo
cat "$work/table.md"
