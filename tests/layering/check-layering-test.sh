#!/usr/bin/env bash
# The layering check on a made-up tree: each row is a file, one include line in it, and whether
# the check must let it pass. Every forbidden row must fail the check alone.
set -uo pipefail
check=$(dirname "$0")/../../scripts/check-layering.py
rows=(
  "ok   src/compose/a.cpp #include \"image/raster.h\""
  "ok   src/ui/a.cpp #include \"desktop/apply.h\""
  "ok   src/image/a.cpp #include <jpeglib.h>"
  "ok   src/image/a.cpp #include <emmintrin.h>"
  "ok   src/ui/qt/a.cpp #include <QWidget>"
  "ok   src/desktop/posix/a.cpp #include <unistd.h>"
  "fail src/compose/a.cpp #include \"desktop/apply.h\""
  "fail src/convert/a.cpp #include \"compose/toolkit.h\""
  "fail src/ui/a.h #include \"ui/qt/main_window.h\""
  "fail src/ui/a.cpp #include \"desktop/posix/os/posix_shell.h\""
  "fail src/ports/a.h #include \"image/raster.h\""
  "fail src/image/a.cpp #include <sys/mman.h>"
  "fail src/compose/a.cpp #include <emmintrin.h>"
  "fail src/state/a.h #include <windows.h>"
  "fail src/desktop/a.cpp #include <QString>"
  "fail src/desktop/a.cpp #include \"desktop/native_files.h\""
  "fail src/desktop/win32/a.cpp #include \"desktop/posix/os/posix_files.h\""
  "fail src/ui/qt/a.cpp #include \"ui/win32/form_window.h\""
)
failures=0
for row in "${rows[@]}"; do
  read -r verdict file include <<<"$row"
  tree=$(mktemp -d)
  mkdir -p "$tree/$(dirname "$file")"
  echo "$include" >"$tree/$file"
  python3 "$check" "$tree" >/dev/null && got=ok || got=fail
  rm -rf "$tree"
  [ "$got" = "$verdict" ] || { echo "expected $verdict, got $got: $file: $include"; failures=$((failures + 1)); }
done
exit $((failures > 0))
