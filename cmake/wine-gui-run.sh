#!/bin/sh
# Runs Windows programs of the cross build that open windows: under Wine, on a virtual X server
# (Xvfb) of their own, in a prefix of their own whose desktop is a Wine virtual desktop of
# 1024x768. The prefix is kept apart from the console tests' one, whose persistent wineserver
# has no display; every run here starts its own X server and wineserver and ends both.
#
#   wine-gui-run.sh STATE_DIR --init            create the prefix once
#   wine-gui-run.sh STATE_DIR PROGRAM.exe ARGS  run a Windows program; its exit code
#   wine-gui-run.sh STATE_DIR COMMAND ARGS      run a command (a script that calls wine) with
#                                               DISPLAY, WINEPREFIX and HOME set; its exit code
#
# Exits 77 when no X server can be started (Xvfb missing): the caller counts that as skipped.
set -eu
mkdir -p "$1"
state=$(cd "$1" && pwd) # Wine takes only an absolute prefix
shift
WINEPREFIX=$state/prefix
HOME=$state/home
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX HOME WINEDEBUG WINEDLLOVERRIDES
mkdir -p "$HOME"

init_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    DISPLAY='' wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  # A crashing program must end with its exit code, not wait on a modal crash dialog; windows
  # open in one virtual desktop window, which also draws the wallpaper.
  for entry in 'Software\Wine\WineDbg|ShowCrashDialog|REG_DWORD|0' \
    'Software\Wine\Explorer|Desktop|REG_SZ|Default' \
    'Software\Wine\Explorer\Desktops|Default|REG_SZ|1024x768'; do
    IFS='|' read -r key name type data <<ENTRY
$entry
ENTRY
    DISPLAY='' wine reg add "HKCU\\$key" /v "$name" /t "$type" /d "$data" /f >/dev/null 2>&1
  done
  wineserver -w
  # Wine's own fonts (Debian: fonts-wine) where this Wine looks for them: Tahoma for the
  # windows, Marlett for the title-bar buttons.
  for font in /usr/share/wine/fonts/*.ttf; do
    [ -e "$font" ] && ln -sf "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
  return 0
}

if [ "${1:-}" = "--init" ]; then
  init_prefix
  exit 0
fi
[ -f "$WINEPREFIX/system.reg" ] || init_prefix

command -v Xvfb >/dev/null 2>&1 || { echo "Xvfb is not installed: skipped" >&2; exit 77; }

# A free display number: one without a lock file whose server then starts.
xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM
for n in $(seq 150 -1 110); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset </dev/null >"$state/xvfb.log" 2>&1 &
  xvfb_pid=$!
  i=0
  while [ $i -lt 100 ] && kill -0 "$xvfb_pid" 2>/dev/null && [ ! -e "/tmp/.X11-unix/X$n" ]; do
    sleep 0.05
    i=$((i + 1))
  done
  if kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
    DISPLAY=":$n"
    break
  fi
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
done
[ -n "$xvfb_pid" ] || { echo "no X server could be started: skipped" >&2; exit 77; }
export DISPLAY

# This run's server, with its helpers' output detached from the caller's pipes (ctest waits
# for whatever holds them). It ends with the run (cleanup).
wineserver -k >/dev/null 2>&1 || true
wineserver -w
wineserver -p 30 </dev/null >/dev/null 2>&1

status=0
case "$1" in
*.exe | *.EXE) wine "$@" || status=$? ;;
*) "$@" || status=$? ;;
esac
exit $status
