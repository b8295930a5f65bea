#!/usr/bin/env bash
# The shared libraries Tapisto and the bare Qt window (bench/startup/bare_window.cpp) have
# mapped when their first window is drawn, on a private Xvfb, in the environment of
# bench/startup.sh (a scratch home with the settings file in place, no desktop session).
# Prints the count for each and the libraries only Tapisto maps.
# Usage: bench/startup/libraries.sh [BIN_DIR]   (from the repository root, after a build;
# default build/default/bin: the programs are taken from there, first_frame always from
# build/default/bin, so an older build can be compared).
set -euo pipefail
cd "$(dirname "$0")/../.."
bin=${1:-build/default/bin}
frame=build/default/bin/first_frame
[ -x "$frame" ] || { echo "build first_frame first" >&2; exit 1; }
for program in bare_window Tapisto; do
  [ -x "$bin/$program" ] || { echo "build $program first" >&2; exit 1; }
done
source bench/startup/session.sh
first_start "$frame" "$bin/Tapisto"
for program in bare_window Tapisto; do
  FIRST_FRAME_LIBRARIES=$work/$program "$frame" "$bin/$program" >/dev/null
  sort -o "$work/$program" "$work/$program"
  echo "$program: $(wc -l <"$work/$program") shared libraries at the first drawn window"
done
echo "only Tapisto:"
comm -13 "$work/bare_window" "$work/Tapisto" | sed 's/^/  /'
