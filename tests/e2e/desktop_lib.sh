# A desktop as users have one: Xvfb, the openbox window manager and a
# notification area (trayer). Sourced after lib.sh; sets DISPLAY.
# DESKTOP_SCREEN sets the screen (1024x768x24 unless given).
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
command -v openbox >/dev/null || fail "openbox is not installed"
command -v trayer >/dev/null || fail "trayer is not installed"
Xvfb -displayfd 3 -screen 0 "${DESKTOP_SCREEN:-1024x768x24}" -nolisten tcp 3>"$E2E_DIR/display" </dev/null >/dev/null 2>&1 &
E2E_PIDS+=($!)
for ((i = 0; i < 100; i++)); do [ -s "$E2E_DIR/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$E2E_DIR/display")
openbox </dev/null >"$E2E_DIR/openbox.txt" 2>&1 &
E2E_PIDS+=($!)
trayer --edge top --align right --widthtype request --height 32 </dev/null >/dev/null 2>&1 &
E2E_PIDS+=($!)
sleep 1

# The main window of the program PID (594 x 475, titled "Skywell") that the
# window manager shows; empty when it is hidden.
shown_main_window() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$1" --name '^Skywell$' 2>/dev/null); do
    xdotool getwindowgeometry "$w" 2>/dev/null | grep -q "Geometry: 594x475" && { echo "$w"; return 0; }
  done
  return 0
}

# Waits up to SECONDS for the main window of PID to be shown; prints it.
wait_for_main_window() {
  local pid=$1 seconds=$2 i w
  for ((i = 0; i < seconds * 10; i++)); do
    w=$(shown_main_window "$pid")
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}
