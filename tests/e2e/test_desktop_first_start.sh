#!/usr/bin/env bash
# A first start on the desktop asks its questions in one wizard (no box
# before it), and what is chosen there is what the program then uses.
rerun_under_xvfb_first() { [ -n "${DISPLAY:-}" ] || exec xvfb-run -a -n "$((100 + RANDOM % 800))" -s "-screen 0 1024x768x24" bash "$0" "$@"; }
rerun_under_xvfb_first "$@"
source "$(dirname "$0")/lib.sh"
# A fresh user: not even the default folders exist yet.
rm -r "$E2E_DIR/music" "$XDG_CACHE_HOME"
# The Add Show hint, which would wait for a click after the wizard, is off.
mkdir -p "$XDG_CONFIG_HOME/Skywell"
printf '[General]\nAddShowHint=1\n' >"$XDG_CONFIG_HOME/Skywell/Skywell5.ini"

"$SKYWELL_BIN" </dev/null >>"$E2E_DIR/gui.txt" 2>&1 &
SKYWELL_PID=$!
E2E_PIDS+=("$SKYWELL_PID")

# The first window after the splash that waits for the user is the wizard.
wizard=
for ((i = 0; i < 300; i++)); do
  [ -n "$wizard" ] && break
  for w in $(xdotool search --onlyvisible --pid "$SKYWELL_PID" --name . 2>/dev/null); do
    name=$(xdotool getwindowname "$w" 2>/dev/null) || continue
    geometry=$(xdotool getwindowgeometry "$w" 2>/dev/null) || continue
    [[ $geometry == *"Geometry: 425x159"* ]] && continue # the splash
    [ "$name" = "Skywell Setup" ] || fail "the first start showed \"$name\" before the wizard"
    wizard=$w
  done
  sleep 0.1
done
[ -n "$wizard" ] || fail "no first-start wizard"

# Defaults on the first page; then start at login on, no source test.
xdotool windowfocus --sync "$wizard" key Return
sleep 0.5
xdotool windowfocus --sync "$wizard" key alt+l alt+t
sleep 0.3
xdotool windowfocus --sync "$wizard" key Return
wait_for_log "Load Program.  Current Version 5.02" 30

ini=$XDG_CONFIG_HOME/Skywell/skywell.ini
grep -q "First%20Time=0" "$ini" || fail "the wizard's choices were not saved"
grep -q "MP3%20Folder=$E2E_DIR/music/Skywell/" "$ini" || fail "recordings not in the music folder: $(cat "$ini")"
grep -q "Temp%20Folder=$XDG_CACHE_HOME/skywell/" "$ini" || fail "temporary files not in the cache"
grep -q "Start%20on%20Boot=1" "$ini" || fail "start at login not stored"
[ -d "$E2E_DIR/music/Skywell" ] && [ -d "$XDG_CACHE_HOME/skywell" ] || fail "the folders were not made"
grep -q -- '-quiet' "$XDG_CONFIG_HOME/autostart/skywell.desktop" || fail "no login entry"
# The source test was not asked for: its window never opens.
sleep 1
xdotool search --onlyvisible --name '^Recording Source Test$' >/dev/null 2>&1 && fail "the source test opened"
timeout 10 "$SKYWELL_BIN" UNINSTALL </dev/null
wait_gone "$SKYWELL_PID" 10
pass "first start: one wizard, its choices in the settings"
