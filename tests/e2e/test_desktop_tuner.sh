#!/usr/bin/env bash
# The tuner Skywell starts on a real X server with a window manager
# (Xvfb, openbox) and a real tray (trayer), playing a loopback station
# that sends a stream title (the tuner adds it to its window title):
# - a scheduled recording while the main window is in the tray plays the
#   tuner without putting its window on top of the user's work;
# - Stop Recording on a Record Now ends the tuner.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/tuner_lib.sh"
source "$(dirname "$0")/recording_lib.sh"
source "$(dirname "$0")/desktop_lib.sh"

start_station
write_settings 3 120
printf '[General]\nAddShowHint=1\nNotPreferredHint=1\n' >"$XDG_CONFIG_HOME/Skywell/Skywell5.ini"
mkdir -p "$RECORDINGS"
url=http://127.0.0.1:$STATION_PORT/stream.mp3

# The tuner's windows that the window manager shows (not minimised).
shown_tuners() { xdotool search --onlyvisible --classname '^skywell-tuner$' 2>/dev/null || true; }

# In the tray: the Show starts within the next due-Show search.
start=$(($(date +%s) + 15))
show_record "Tray Show" "$url" $((0x1000 | 0x7f | 0x400)) "$start" $((start + 600)) 0 0 1 0 >"$DAT"
"$SKYWELL_BIN" -quiet </dev/null >"$E2E_DIR/gui.txt" 2>&1 &
SKYWELL_PID=$!
E2E_PIDS+=("$SKYWELL_PID")
for ((i = 0; i < 900; i++)); do
  [ -z "$(shown_tuners)" ] || fail "the tuner opened on the screen while Skywell was in the tray"
  pgrep -P "$SKYWELL_PID" -x skywell-tuner >/dev/null && break
  sleep 0.1
done
pgrep -P "$SKYWELL_PID" -x skywell-tuner >/dev/null || fail "no tuner"
wait_for_log "Capture started:" 60
# It stays minimised while it plays and its title changes.
for ((i = 0; i < 30; i++)); do
  [ -z "$(shown_tuners)" ] || fail "the tuner came up on the screen during the recording"
  sleep 0.1
done
uninstall_and_wait
pass "a scheduled recording from the tray keeps the tuner off the screen"

# Record Now on the shown main window, then Stop Recording.
show_record "Desk Show" "$url" $((0x2000 | 0x400)) 0 0 0 0 1 0 >"$DAT"
"$SKYWELL_BIN" </dev/null >>"$E2E_DIR/gui.txt" 2>&1 &
SKYWELL_PID=$!
E2E_PIDS+=("$SKYWELL_PID")
wait_for_log_count "Load Program" 2 30
main=$(wait_for_main_window "$SKYWELL_PID" 15) || fail "no main window"
sleep 1
# The Show's row, then Record Now (the window's fixed layout).
xdotool mousemove --window "$main" 250 128 click 1
xdotool windowfocus --sync "$main" key Home
xdotool mousemove --window "$main" 75 213 click 1
tuner=""
for ((i = 0; i < 900; i++)); do
  [ -z "$tuner" ] || break
  tuner=$(xdotool search --onlyvisible --name '^Skywell Tuner - Evening News$' 2>/dev/null | head -n 1) || true
  sleep 0.1
done
[ -n "$tuner" ] || fail "no tuner window showing the station's title"
pgrep -P "$SKYWELL_PID" -x skywell-tuner >/dev/null || fail "the tuner is not Skywell's"
xdotool mousemove --window "$main" 75 213 click 1
# The question whether to save: No, deliberately (Save is the default; a
# few seconds saved would only bring the "nothing recorded" box).
box=""
for ((i = 0; i < 100; i++)); do
  [ -z "$box" ] || break
  box=$(xdotool search --onlyvisible --pid "$SKYWELL_PID" --name '^Skywell$' 2>/dev/null | grep -vx "$main" | head -n 1) || true
  sleep 0.1
done
[ -n "$box" ] || fail "no question on Stop Recording"
xdotool windowfocus --sync "$box" key alt+n
for ((i = 0; i < 50; i++)); do
  pgrep -P "$SKYWELL_PID" -x skywell-tuner >/dev/null || break
  sleep 0.1
done
pgrep -P "$SKYWELL_PID" -x skywell-tuner >/dev/null && fail "the tuner still plays 5 s after Stop Recording"
uninstall_and_wait
pass "Stop Recording ends the tuner that shows the station's title"
