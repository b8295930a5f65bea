#!/usr/bin/env bash
# Tapisto as a user gets it, from a built tree.
#   check-install.sh linux BUILD_DIR    installs into a temporary prefix and checks the desktop
#       entry, the AppStream data, the icons, the manual pages and the installed tapisto-tool
#       (run with the build tree hidden), then builds the Debian package and runs lintian.
#   check-install.sh windows BUILD_DIR  builds the release zip and reads back the icon group and
#       the version block of the Tapisto.exe inside it.
# Every file it makes is in a temporary folder it removes; only cmake --install leaves its
# install_manifest.txt in BUILD_DIR.
set -euo pipefail

mode=${1:?linux or windows}
build=$(cd "${2:?build folder}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "no project version in $build/CMakeCache.txt" >&2; exit 1; }
icon_sizes=(16 32 48 64 128 256)

# Runs a command with BUILD_DIR replaced by an empty folder, so nothing installed can reach
# into the build tree (a run path, a data file).
without_build_tree() {
  local hide='mount -t tmpfs none "$1" && shift && exec "$@"'
  unshare --mount sh -c "$hide" sh "$build" "$@" 2>/dev/null ||
    unshare --map-root-user --mount sh -c "$hide" sh "$build" "$@"
}

check_linux() {
  local prefix=$work/prefix
  cmake --install "$build" --prefix "$prefix" >"$work/install.log"

  local entries=("$prefix"/share/applications/*.desktop)
  [ ${#entries[@]} -eq 1 ] && [ -f "${entries[0]}" ] ||
    { fail "not one desktop entry: ${entries[*]}"; return; }
  local id
  id=$(basename "${entries[0]}" .desktop)
  echo "application id: $id"

  local expected=(bin/Tapisto bin/tapisto-tool "share/applications/$id.desktop"
    "share/metainfo/$id.metainfo.xml" "share/icons/hicolor/scalable/apps/$id.svg"
    share/man/man1/tapisto.1.gz share/man/man1/Tapisto.1.gz share/man/man1/tapisto-tool.1.gz share/doc/tapisto/LICENSE
    share/doc/tapisto/copyright share/doc/tapisto/changelog.gz)
  local size file
  for size in "${icon_sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x$size/apps/$id.png")
  done
  for file in "${expected[@]}"; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
  done
  for size in "${icon_sizes[@]}"; do
    file "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" |
      grep -q "PNG image data, $size x $size," || fail "the $size pixel icon is not $size x $size"
  done

  local entry=$prefix/share/applications/$id.desktop out
  out=$(desktop-file-validate "$entry" 2>&1) && [ -z "$out" ] ||
    fail "desktop-file-validate: $out"
  grep -qx "Icon=$id" "$entry" || fail "the desktop entry's Icon is not $id"
  local exec
  exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "$prefix/bin/$exec" ] && [[ $exec != */* ]] ||
    fail "the desktop entry's Exec '$exec' is not an installed program found through PATH"
  pass "desktop entry"

  out=$(appstreamcli validate-tree --no-net --pedantic "$prefix" 2>&1) ||
    fail "appstreamcli validate-tree: $out"
  ! grep -E '^ *[EW]: ' <<<"$out" || fail "appstreamcli reports errors or warnings"
  grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "the AppStream release is not $version"
  pass "AppStream data: $(grep -cE '^ *[IP]: ' <<<"$out" || true) infos and hints"

  for file in "$prefix"/bin/*; do
    ! readelf --dynamic "$file" | grep -E 'RPATH|RUNPATH' ||
      fail "$(basename "$file") has a run path"
  done
  out=$(cd / && without_build_tree env -i "$prefix/bin/tapisto-tool" --version 2>&1) ||
    fail "the installed tapisto-tool --version failed: $out"
  [ "$out" = "tapisto-tool $version" ] || fail "installed tapisto-tool --version: '$out'"
  pass "installed tapisto-tool --version: $out"

  local page
  for page in "$prefix"/share/man/man1/*.1.gz; do
    out=$(zcat "$page" | groff -man -ww -z 2>&1)
    [ -z "$out" ] || fail "groff warns on $(basename "$page"): $out"
  done
  # Every command that --help lists has its entry in the manual page.
  local command text
  text=$(zcat "$prefix/share/man/man1/tapisto-tool.1.gz")
  for command in $("$prefix/bin/tapisto-tool" --help |
    sed -n '/^Commands:/,/^$/s/^  \([a-z]\+\) .*/\1/p'); do
    grep -q "^$command\b" <<<"$text" || fail "tapisto-tool.1 lacks the command $command"
  done
  pass "manual pages"

  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" ||
    { cat "$work/cpack.log" >&2; fail "cpack -G DEB"; return; }
  local deb=$work/deb/tapisto_${version}_amd64.deb
  [ -f "$deb" ] || { fail "no $(basename "$deb")"; return; }
  local depends
  depends=$(dpkg-deb --field "$deb" Depends)
  # libx11-6, libxrandr2 and libglib2.0-0: the desktop hand-over loads them on first use.
  for file in libjpeg62-turbo zlib1g libqt6widgets6 libc6 libx11-6 libxrandr2 libglib2.0-0; do
    grep -q "\b$file\b" <<<"$depends" || fail "Depends lacks $file: $depends"
  done
  echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes; Depends: $depends"
  # lintian's own note on running as root is no finding.
  out=$(lintian --fail-on error,warning --display-level '>=warning' "$deb" 2>&1 |
    grep -v 'running with root privileges is not recommended') || true
  if [ -n "$out" ]; then fail "lintian: $out"; else pass "lintian: no errors, no warnings"; fi
}

check_windows() {
  cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$work/zip" >"$work/cpack.log" ||
    { cat "$work/cpack.log" >&2; fail "cpack -G ZIP"; return; }
  local zip=$work/zip/Tapisto-$version-win64.zip
  [ -f "$zip" ] || { fail "no $(basename "$zip")"; return; }
  mkdir "$work/unzipped"
  python3 -c 'import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = sorted(z.namelist())
if names != ["LICENSE.txt", "README.txt", "Tapisto.exe"]:
    sys.exit("the zip holds %s" % names)
z.extractall(sys.argv[2])' "$zip" "$work/unzipped" || fail "the zip's files"
  echo "zip: $(basename "$zip"), $(stat -c %s "$zip") bytes"
  local exe=$work/unzipped/Tapisto.exe
  [ -f "$exe" ] || return

  wrestool --extract --type=14 --output="$work/tapisto.ico" "$exe" ||
    { fail "Tapisto.exe has no icon group"; return; }
  local sizes
  sizes=$(icotool --list "$work/tapisto.ico" | sed -n 's/.*--width=\([0-9]*\) --height=\1 .*/\1/p' |
    sort -n | tr '\n' ' ')
  [ "$sizes" = "${icon_sizes[*]} " ] || fail "the icon group's sizes: $sizes"
  pass "icon group with $sizes pixels"

  wrestool --extract --raw --type=16 --output="$work/version.bin" "$exe" ||
    { fail "Tapisto.exe has no version block"; return; }
  # VS_FIXEDFILEINFO after its signature, then the UTF-16 "FileVersion" and "ProductVersion"
  # strings of the string table.
  python3 -c 'import struct, sys
data, version = open(sys.argv[1], "rb").read(), sys.argv[2]
at = data.find(struct.pack("<I", 0xFEEF04BD))
if at < 0:
    sys.exit("no fixed version info")
fms, fls, pms, pls = struct.unpack_from("<4I", data, at + 8)
numbers = lambda ms, ls: "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
def string(name):
    key = (name + "\0").encode("utf-16-le")
    start = data.find(key)
    if start < 0:
        return None
    start += len(key)
    start += (-start) % 4
    end = start
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[start:end].decode("utf-16-le")
found = {"fixed file version": numbers(fms, fls), "fixed product version": numbers(pms, pls),
         "FileVersion": string("FileVersion"), "ProductVersion": string("ProductVersion")}
wanted = {"fixed file version": version + ".0", "fixed product version": version + ".0",
          "FileVersion": version + ".0", "ProductVersion": version}
print("version block:", found)
sys.exit(0 if found == wanted else "the version block is not %s" % wanted)' \
    "$work/version.bin" "$version" || fail "the version block"
}

case $mode in
  linux) check_linux ;;
  windows) check_windows ;;
  *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ] || { echo "$failures packaging checks failed" >&2; exit 1; }
echo "all packaging checks passed"
