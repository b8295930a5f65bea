# Sourced by the start-up benchmarks: a private Xvfb (1920x1080) and a scratch home with no
# desktop session in it, both gone when the script ends; `work` is the scratch folder.
# Then `first_start FIRST_FRAME PROGRAM` starts a program once (Tapisto writes its settings
# file then), tried again while the server is not ready.
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb; rm -rf "$work"' EXIT
while [ ! -s "$work/display" ]; do sleep 0.05; done
export DISPLAY=:$(cat "$work/display")
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime
unset DBUS_SESSION_BUS_ADDRESS XDG_CURRENT_DESKTOP DESKTOP_SESSION
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

first_start() {
  local try
  for ((try = 0; try < 50; try++)); do
    "$1" "$2" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
}
