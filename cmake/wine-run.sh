#!/bin/sh
# Runs Windows programs of the cross build under Wine, in a private prefix and a scratch home
# inside the build folder, so nothing of the user's own Wine setup is read or changed.
#
#   wine-run.sh STATE_DIR PROGRAM [ARGS...]   run a program (the build's cross-compiling emulator)
#   wine-run.sh STATE_DIR --init              create the prefix once, before any test runs
#   wine-run.sh STATE_DIR --start-server      keep one wineserver running for the tests
#   wine-run.sh STATE_DIR --stop-server       end it
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

case "${1:-}" in
--init)
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  # A crashing program must end with its exit code, not wait on a modal crash dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1
  wineserver -w
  ;;
--start-server)
  # A server that outlives single programs, started with its helper processes here with their
  # output detached: whatever inherits the caller's pipes keeps ctest waiting for it.
  # A server left by an interrupted run is used as it is (a second one refuses to start);
  # whether a server answers is what the wine call below checks.
  wineserver -p 120 </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit </dev/null >/dev/null 2>&1
  ;;
--stop-server)
  wineserver -k || true
  ;;
*)
  exec wine "$@"
  ;;
esac
