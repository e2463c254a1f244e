#!/usr/bin/env bash
# SIGTERM ends the desktop program cleanly while the first-start wizard or
# the settings sheet waits for the user, and a second SIGTERM is not lost.
rerun_under_xvfb_first() { [ -n "${DISPLAY:-}" ] || exec xvfb-run -a -n "$((100 + RANDOM % 800))" -s "-screen 0 1024x768x24" bash "$0" "$@"; }
rerun_under_xvfb_first "$@"
source "$(dirname "$0")/lib.sh"

start_desktop() {
  "$SKYWELL_BIN" </dev/null >>"$E2E_DIR/gui.txt" 2>&1 &
  SKYWELL_PID=$!
  E2E_PIDS+=("$SKYWELL_PID")
}

# Waits for a shown window whose title is exactly TITLE; prints its id.
wait_for_window() {
  local title=$1 i id
  for ((i = 0; i < 300; i++)); do
    id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  fail "no window titled '$title' after 30 s"
}

first_time() { grep -s 'First%20Time' "$XDG_CONFIG_HOME/Skywell/skywell.ini" || true; }

# First start: the first-start wizard (after the three-second splash).
start_desktop
sleep 4
wait_for_window "Skywell Setup" >/dev/null
kill -TERM "$SKYWELL_PID"
ended_cleanly "SIGTERM while the first start's wizard is open"
[ "$(first_time)" != "First%20Time=0" ] || fail "a cancelled first start was stored as configured"

# Running: the sheet opened with the "Settings" button, then two SIGTERMs.
mkdir -p "${SKYWELL_HOME}Recordings" "$XDG_CONFIG_HOME/Skywell"
printf '[Skywell%%205]\nFirst%%20Time=0\n' >"$XDG_CONFIG_HOME/Skywell/skywell.ini"
printf '[General]\nAddShowHint=1\n' >"$XDG_CONFIG_HOME/Skywell/Skywell5.ini"
start_desktop
wait_for_log "Load Program" 30
window=$(wait_for_window Skywell)
for ((i = 0; i < 20; i++)); do
  xdotool mousemove --window "$window" 224 428 click 1
  xdotool search --onlyvisible --name '^Skywell Settings$' >/dev/null 2>&1 && break
  sleep 0.5
done
wait_for_window "Skywell Settings" >/dev/null
kill -TERM "$SKYWELL_PID"
sleep 0.2
kill -TERM "$SKYWELL_PID" 2>/dev/null || true
ended_cleanly "two SIGTERMs while the settings sheet is open"
