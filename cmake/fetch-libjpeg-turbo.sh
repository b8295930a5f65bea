#!/bin/sh
# Unpacks Debian's libjpeg-turbo source package (there is no MinGW binary package of it) for
# the cross build:  fetch-libjpeg-turbo.sh CACHE_DIR SOURCE_DIR
# The package files stay in CACHE_DIR, so a fresh build folder unpacks without downloading.
# Source entries are enabled once when the system has none: a copy of the Debian entry.
set -eu
cache=$1
source_dir=$2
package=libjpeg-turbo/bookworm

sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo

mkdir -p "$cache"
if ! ls "$cache"/libjpeg-turbo_*.dsc "$cache"/libjpeg-turbo_*.orig.tar.* >/dev/null 2>&1; then
  if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d; then
    echo "enabling Debian source packages"
    sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $sudo tee /etc/apt/sources.list.d/tapisto-deb-src.sources >/dev/null
    $sudo apt-get update -qq
  fi
  # Source entries enabled earlier may not have been read yet: update once and retry.
  (cd "$cache" && apt-get source -qq --download-only "$package") || {
    $sudo apt-get update -qq
    (cd "$cache" && apt-get source -qq --download-only "$package")
  }
fi

dsc=$(ls "$cache"/libjpeg-turbo_*.dsc | tail -n 1)
rm -rf "$source_dir.unpack"
dpkg-source -q --no-check -x "$dsc" "$source_dir.unpack"
rm -rf "$source_dir"
mv "$source_dir.unpack" "$source_dir"
