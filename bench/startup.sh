#!/usr/bin/env bash
# Start-up to the first drawn window: Tapisto against a bare Qt 6 window of the same controls
# (bench/startup/bare_window.cpp), on a private Xvfb, runs interleaved. Each run is timed by
# bench/startup/first_frame from the fork to the X server's first damage event in the program's
# mapped window. Tapisto starts with its settings file in place (a scratch home in which it
# ran once before), as every start but the first. Prints medians of time and peak memory.
# Usage: bench/startup.sh [RUNS]   (from the repository root, after a build; default 31).
# Hold the shared build lock around it.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-31}
bin=build/default/bin
for program in first_frame bare_window Tapisto; do
  [ -x "$bin/$program" ] || { echo "build $program first" >&2; exit 1; }
done
source bench/startup/session.sh
first_start "$bin/first_frame" "$bin/Tapisto"

for ((i = 0; i < runs; i++)); do
  # Alternating which goes first, so a busy spell of the machine falls on both alike.
  if ((i % 2)); then order=(Tapisto bare_window); else order=(bare_window Tapisto); fi
  for program in "${order[@]}"; do
    # A run that fails (the server gone, say) is left out and said.
    if out=$("$bin/first_frame" "$bin/$program"); then
      echo "$program $out" >> "$work/runs"
    else
      echo "a run of $program failed" >&2
    fi
  done
done
python3 - "$work/runs" <<'PY'
import statistics, sys
runs = {}
for line in open(sys.argv[1]):
    name, ms, kb = line.split()
    runs.setdefault(name, []).append((float(ms), int(kb)))
med = {n: (statistics.median(m for m, _ in r), statistics.median(k for _, k in r)) for n, r in runs.items()}
for n, (ms, kb) in med.items():
    print("%-12s %7.1f ms to the first drawn window, peak %6d kB (%d runs)" % (n, ms, kb, len(runs[n])))
t, b = med["Tapisto"], med["bare_window"]
print("Tapisto / bare window: time %.3fx, peak memory %.3fx" % (t[0] / b[0], t[1] / b[1]))
PY
