#!/usr/bin/env bash
# Start-up to the first drawn window of several builds in one interleaved rotation, in the
# environment of bench/startup.sh (a private Xvfb, a scratch home in which each program ran
# once before, no desktop session): each round starts every program once, the first one moved
# on by one each round, so a busy spell of the machine falls on all alike. Prints medians.
# Usage: bench/startup/compare.sh RUNS NAME=PROGRAM...   (from the repository root; first_frame
# from build/default/bin). For example, against a build of an earlier commit:
#   bench/startup/compare.sh 31 bare=build/default/bin/bare_window \
#     new=build/default/bin/Tapisto old=/tmp/old/build/default/bin/Tapisto
# Hold the shared build lock around it.
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:?RUNS}
shift
frame=build/default/bin/first_frame
[ -x "$frame" ] || { echo "build first_frame first" >&2; exit 1; }
names=() programs=()
for named in "$@"; do
  names+=("${named%%=*}")
  programs+=("${named#*=}")
  [ -x "${programs[-1]}" ] || { echo "no program ${programs[-1]}" >&2; exit 1; }
done
source bench/startup/session.sh
for program in "${programs[@]}"; do first_start "$frame" "$program"; done

count=${#programs[@]}
for ((i = 0; i < runs; i++)); do
  for ((k = 0; k < count; k++)); do
    j=$(((i + k) % count))
    if out=$("$frame" "${programs[$j]}"); then
      echo "${names[$j]} $out" >>"$work/runs"
    else
      echo "a run of ${names[$j]} failed" >&2
    fi
  done
done
python3 - "$work/runs" "${names[@]}" <<'PY'
import statistics, sys
runs = {}
for line in open(sys.argv[1]):
    name, ms, kb = line.split()
    runs.setdefault(name, []).append((float(ms), int(kb)))
first = statistics.median(m for m, _ in runs[sys.argv[2]])
for n in sys.argv[2:]:
    ms = statistics.median(m for m, _ in runs[n])
    kb = statistics.median(k for _, k in runs[n])
    print("%-14s %7.1f ms  %5.3fx  peak %6d kB (%d runs)" % (n, ms, ms / first, kb, len(runs[n])))
PY
