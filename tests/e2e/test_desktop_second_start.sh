#!/usr/bin/env bash
# A second start of skywell while the first runs hidden in the tray brings
# the window back, shown and active, every time: under a real window
# manager (openbox) with a real notification area, alternately hidden by
# the window's Minimize button and by the window manager.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/desktop_lib.sh"

mkdir -p "$XDG_CONFIG_HOME/Skywell" "${SKYWELL_HOME}Recordings"
printf '[Skywell%%205]\nFirst%%20Time=0\n' >"$XDG_CONFIG_HOME/Skywell/skywell.ini"
printf '[General]\nAddShowHint=1\n' >"$XDG_CONFIG_HOME/Skywell/Skywell5.ini"

"$SKYWELL_BIN" -quiet </dev/null >"$E2E_DIR/gui.txt" 2>&1 &
SKYWELL_PID=$!
E2E_PIDS+=("$SKYWELL_PID")
wait_for_log "Load Program.  Current Version 5.02" 30

for try in $(seq 1 16); do
  # Hidden in the tray: no window on the screen.
  for ((i = 0; i < 100; i++)); do
    [ -z "$(shown_main_window "$SKYWELL_PID")" ] && break
    sleep 0.1
  done
  [ -z "$(shown_main_window "$SKYWELL_PID")" ] || fail "try $try: the window did not go to the tray"
  sleep 0.5
  timeout 10 "$SKYWELL_BIN" </dev/null >>"$E2E_DIR/gui.txt" 2>&1 || fail "try $try: the second start failed"
  main=$(wait_for_main_window "$SKYWELL_PID" 10) || fail "try $try: the window stayed in the tray"
  # It stays up (nothing hides it again a moment later) and has the focus.
  active=""
  for ((i = 0; i < 50; i++)); do
    active=$(xdotool getactivewindow 2>/dev/null) || true
    [ "$active" = "$main" ] && break
    sleep 0.1
  done
  [ "$active" = "$main" ] || fail "try $try: the window came back but is not the active window"
  sleep 1
  [ "$(shown_main_window "$SKYWELL_PID")" = "$main" ] || fail "try $try: the window was hidden again"
  if ((try % 2)); then
    xdotool mousemove --window "$main" 555 14 click 1 # the window's Minimize button
  else
    xdotool windowminimize "$main"
  fi
done
uninstall_and_wait() { "$SKYWELL_BIN" UNINSTALL >/dev/null 2>&1 || true; wait_gone "$SKYWELL_PID" 15; }
uninstall_and_wait
pass "a second start brought the window back from the tray 16 times out of 16"
