#!/usr/bin/env bash
# Whole-process comparison of `tapisto-tool compose` with ImageMagick, GraphicsMagick and
# Pillow doing the same work: a screen-sized canvas in a background colour, a picture placed on
# it (plainly, mirrored, or at both edges), saved as a quality-100 JPEG with 4:2:0 sampling and
# the standard Huffman tables. Prints medians (hyperfine) and the ratio of each peer to Tapisto.
# Usage: bench/peers.sh [RUNS]   (from the repository root, after ./test or ./run built it)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}
source scripts/packages.sh
tapisto_packages_peers=(imagemagick graphicsmagick python3-pil hyperfine)
tapisto_install_packages peers

tool=build/default/bin/tapisto-tool
[ -x "$tool" ] || { cmake --preset default >/dev/null && cmake --build --preset default; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out"

# Inputs: a 400 x 300 PNG with an alpha channel, and a 2560 x 1600 photo-like JPEG.
convert -size 400x300 gradient:'#ff8000-#0040ff' \( -size 400x300 radial-gradient:white-black \) \
  -alpha off -compose CopyOpacity -composite "$work/logo.png"
convert -size 2560x1600 plasma:fractal -seed 7 -quality 90 "$work/foto.jpg"
jpegopts=(-quality 100 -sampling-factor 2x2 -define jpeg:optimize-coding=false)

python=/usr/bin/python3
cat > "$work/pil.py" <<'PY'
import sys
from PIL import Image, ImageOps
style, w, h, x, y, src, out = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]), sys.argv[6], sys.argv[7]
canvas = Image.new("RGB", (w, h), (10, 20, 30))
pic = Image.open(src).convert("RGBA")
if style == "spiegeln":
    pic = ImageOps.mirror(pic)
if style == "duplizieren":
    canvas.paste(pic, (w - pic.width, y), pic)
    canvas.paste(pic, (0, y), pic)
else:
    canvas.paste(pic, (x, y), pic)
canvas.save(out, quality=100, subsampling=2, optimize=False)
PY

table="$work/table.md"
printf '| work | screen | tapisto-tool | ImageMagick | GraphicsMagick | Pillow (process) | IM / Tapisto | GM / Tapisto | Pillow / Tapisto |\n|---|---|---|---|---|---|---|---|---|\n' > "$table"

measure() {  # name, command...; prints the median in ms
  local json="$work/$1.json"
  shift
  # Quoted for hyperfine's own word splitting; -N runs it without a shell in between.
  hyperfine --runs "$runs" --warmup 2 --export-json "$json" -N "$(printf '%q ' "$@")" >&2
  "$python" -c "import json,sys; print('%.1f' % (1000*json.load(open(sys.argv[1]))['results'][0]['median']))" "$json"
}

for screen in 1920x1080 3840x2160; do
  W=${screen%x*}; H=${screen#*x}
  for case in "normal logo.png" "spiegeln logo.png" "duplizieren logo.png" "normal foto.jpg" "spiegeln foto.jpg"; do
    set -- $case
    style=$1; src="$work/$2"
    case $style in
      normal) im=("$src" -geometry +100+50 -composite) ;;
      spiegeln) im=(\( "$src" -flop \) -geometry +100+50 -composite) ;;
      duplizieren)
        im=("$src" -geometry +$((W - 400))+50 -composite "$src" -geometry +0+50 -composite) ;;
    esac
    # The duplicate style ignores X; a non-zero X would first run one nested composition, as
    # the program's X field does, so it gets 0 here like the peers' left copy.
    x=100; [ "$style" = duplizieren ] && x=0
    t=$(measure t-$style-$screen "$tool" compose --style "$style" --screen "$screen" \
      --background "10 20 30" --x "$x" --y 50 --folder "$work/out" "$src")
    m=$(measure im-$style-$screen convert -size "$screen" xc:'rgb(10,20,30)' "${im[@]}" \
      "${jpegopts[@]}" "$work/out/im.jpg")
    case $style in
      normal) gmdraw="image Over 100,50 0,0 '$src'" ;;
      spiegeln) convert "$src" -flop "$work/flop.png"; gmdraw="image Over 100,50 0,0 '$work/flop.png'" ;;
      duplizieren) gmdraw="image Over $((W - 400)),50 0,0 '$src' image Over 0,50 0,0 '$src'" ;;
    esac
    g=$(measure gm-$style-$screen gm convert -size "$screen" xc:'#0a141e' -draw "$gmdraw" \
      "${jpegopts[@]}" "$work/out/gm.jpg")
    p=$(measure pil-$style-$screen "$python" "$work/pil.py" "$style" "$W" "$H" 100 50 "$src" \
      "$work/out/pil.jpg")
    ratio() { "$python" -c "print('%.1f' % ($1 / $2))"; }
    printf '| %s %s | %s | %s ms | %s ms | %s ms | %s ms | %sx | %sx | %sx |\n' "$style" "$(basename "$src")" \
      "$screen" "$t" "$m" "$g" "$p" "$(ratio "$m" "$t")" "$(ratio "$g" "$t")" "$(ratio "$p" "$t")" |
      tee -a "$table"
  done
done
echo
cat "$table"
