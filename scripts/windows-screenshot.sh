#!/usr/bin/env bash
# Builds Tapisto.exe and saves a PNG screenshot of its main window as Wine shows it on a virtual
# X server (Xvfb), in the window tests' Wine prefix with no wallpaper set:
#   scripts/windows-screenshot.sh [OUT.png]     (default build/windows/tapisto-screenshot.png)
# The README's docs/screenshot-windows.png is made with OUT docs/screenshot-windows.png.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--inside" ]; then
  # Run by cmake/wine-gui-run.sh: DISPLAY, WINEPREFIX and HOME are set.
  out=$2 program=$3
  wine reg add 'HKCU\Control Panel\Desktop' /v Wallpaper /t REG_SZ /d '' /f >/dev/null 2>&1
  wine "$program" >/dev/null 2>&1 &
  # The main window once it is mapped, within 60 s.
  window=""
  for _ in $(seq 600); do
    window=$(xwininfo -root -tree | awk '/"Tapisto Ver\. / {print $1; exit}')
    if [ -n "$window" ] && xwininfo -id "$window" | grep -q 'Map State: IsViewable'; then break; fi
    window=""
    sleep 0.1
  done
  [ -n "$window" ] || { echo "Tapisto's window did not appear" >&2; exit 1; }
  sleep 1 # let it paint
  geometry() { xwininfo -id "$window" | awk -v key="$1" -F': *' '$1 ~ key {print $2}'; }
  xwd -root -silent | xwdtopnm 2>/dev/null |
    pnmcut -left "$(geometry 'Absolute upper-left X')" -top "$(geometry 'Absolute upper-left Y')" \
      -width "$(geometry 'Width')" -height "$(geometry 'Height')" | pnmtopng >"$out" 2>/dev/null
  exit 0
fi

source scripts/packages.sh
tapisto_install_packages windows
out=${1:-build/windows/tapisto-screenshot.png}
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
cmake --preset windows >/dev/null
cmake --build --preset windows --target Tapisto
cmake/wine-gui-run.sh build/windows/wine-gui "$0" --inside "$out" "$PWD/build/windows/bin/Tapisto.exe"
echo "== screenshot of Tapisto's window under Wine: $out"
