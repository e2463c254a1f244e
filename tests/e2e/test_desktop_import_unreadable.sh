#!/usr/bin/env bash
# A second start hands over an import file that cannot be read: the running
# window shows the import's message, and the Show list stays as it was.
source "$(dirname "$0")/lib.sh"
export TZ=Europe/Berlin
mkdir -p "$XDG_CONFIG_HOME/Skywell" "${SKYWELL_HOME}Recordings"
printf '[Skywell%%205]\nFirst%%20Time=0\n' >"$XDG_CONFIG_HOME/Skywell/skywell.ini"
printf '[General]\nAddShowHint=1\nTuneHint=1\n' >"$XDG_CONFIG_HOME/Skywell/Skywell5.ini"
printf 'Early Bird|http://127.0.0.1:8000/early.mp3|0500|0600|MTWTF--|*\n' >"$E2E_DIR/early.skw"
mkdir "$E2E_DIR/folder.skw"
export E2E_DIR
export E2E_LIB="$(dirname "$0")"
xvfb-run -a -n "$((100 + RANDOM % 800))" -s "-screen 0 1024x768x24" bash -c '
  set -u
  E2E_PIDS=()
  source "$E2E_LIB/editor_lib.sh"
  accept_show_editors
  trap "kill \${E2E_PIDS[*]} 2>/dev/null" EXIT
  "$SKYWELL_BIN" "$E2E_DIR/early.skw" </dev/null >>"$E2E_DIR/gui.txt" 2>&1 &
  pid=$!
  for i in $(seq 150); do grep -q "Imported show Early Bird" "${SKYWELL_HOME}log.txt" 2>/dev/null && break; sleep 0.1; done
  grep -q "Imported show Early Bird" "${SKYWELL_HOME}log.txt" || { echo "no first Show"; kill -9 $pid; exit 1; }
  sleep 0.5
  sum=$(md5sum < "${SKYWELL_HOME}Skywell5.dat")
  timeout 10 "$SKYWELL_BIN" "$E2E_DIR/folder.skw" </dev/null || { echo "hand-over failed"; kill -9 $pid; exit 1; }
  box=
  for i in $(seq 100); do
    for w in $(xdotool search --onlyvisible --pid $pid --name "^Skywell" 2>/dev/null); do
      xdotool getwindowgeometry "$w" | grep -q "Geometry: 594x475" || box=$w
    done
    [ -n "$box" ] && break; sleep 0.1
  done
  [ -n "$box" ] || { echo "no message in the running window"; kill -9 $pid; exit 1; }
  echo "message box: $(xdotool getwindowname "$box")"
  sleep 0.5
  xdotool windowfocus --sync "$box" key Return
  sleep 0.5
  kill -0 $pid || { echo "the program ended"; exit 1; }
  [ "$(md5sum < "${SKYWELL_HOME}Skywell5.dat")" = "$sum" ] || { echo "the Show list changed"; kill -9 $pid; exit 1; }
  grep -c "Imported show" "${SKYWELL_HOME}log.txt" | grep -qx 1 || { echo "a second Show was imported"; kill -9 $pid; exit 1; }
  timeout 10 "$SKYWELL_BIN" UNINSTALL </dev/null
  wait $pid
' || fail "unreadable import handed over: $?"
pass "an unreadable import gives its message in the running window and leaves the list"
