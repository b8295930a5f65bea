# Installs the Debian packages a step needs, only those missing, so the commands work on a
# fresh Debian 12 machine as root (or through sudo) and cost nothing when all is there.

tapisto_packages_build=(cmake ninja-build g++ pkg-config libjpeg62-turbo-dev zlib1g-dev
  libgtest-dev libbenchmark-dev libx11-dev libxrandr-dev libglib2.0-dev gsettings-desktop-schemas
  xvfb)
# The Linux window (Qt 6 Widgets, its offscreen platform for the tests) and a font for it.
tapisto_packages_build+=(qt6-base-dev fonts-dejavu-core)
# The icon rendered from its SVG, tapisto-tool's manual page made from its --help.
tapisto_packages_build+=(librsvg2-bin help2man)
# The layering check of the sources (a test) is a Python script.
tapisto_packages_build+=(python3)
# The start-up benchmark's timer waits for the X server's damage events.
tapisto_packages_build+=(libxcb-damage0-dev)
# The packaging test: the install tree's checks, the Debian package (dpkg-shlibdeps) and
# lintian, the manual pages through groff; python3 and icoutils read the Windows zip back.
tapisto_packages_packaging=(desktop-file-utils appstream groff-base file binutils dpkg-dev
  lintian python3 icoutils)
# The desktops the hand-over tests start privately: a session bus, Xfce's settings service and
# its query tool, the Cinnamon and MATE background schemas; the autostart entry's validator and
# xdotool for the program's end-to-end run on Xfce.
tapisto_packages_build+=(dbus-daemon dbus-bin xfconf libxfconf-0-3 cinnamon-desktop-data
  mate-desktop-common desktop-file-utils xdotool)
# The desktop tests: a headless sway with swaybg and grim for its pixels; node runs the
# scripts handed to the stand-in of KDE Plasma's shell against a mock of its scripting API.
tapisto_packages_build+=(sway swaybg grim nodejs)
# For ./run without a display: a virtual X server and the tools for its screenshot.
tapisto_packages_display=(xvfb xauth x11-apps x11-utils netpbm)
tapisto_packages_fuzz=(clang libclang-rt-14-dev)
# The Windows cross build and Wine to run it: MinGW-w64 with static zlib, what building
# libjpeg-turbo from Debian's source package needs (nasm, dpkg-source), GoogleTest's sources.
tapisto_packages_windows=(cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  libz-mingw-w64-dev nasm dpkg-dev googletest wine wine64)
# Tapisto.exe's icon: PNGs rendered from the icon's SVG, joined into one .ico.
tapisto_packages_windows+=(librsvg2-bin icoutils)
# The Windows program's window tests and its screenshot: a virtual X server, Wine's own fonts
# (Tahoma, the title-bar symbols), and the tools that find a window and save its picture.
tapisto_packages_windows+=(xvfb fonts-wine x11-apps x11-utils netpbm)

tapisto_install_packages() {
  local group=$1 missing=() pkg
  local -n wanted="tapisto_packages_${group}"
  for pkg in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}
