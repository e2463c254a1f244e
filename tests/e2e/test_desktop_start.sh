#!/usr/bin/env bash
# The desktop start on an offscreen display: splash, window, a second start
# that hands over, and "UNINSTALL" that closes the window.
source "$(dirname "$0")/lib.sh"
export QT_QPA_PLATFORM=offscreen

# Not a first start, and the start-up hint already turned off: no dialog
# waits for a click.
mkdir -p "$XDG_CONFIG_HOME/Skywell" "${SKYWELL_HOME}Recordings"
printf '[Skywell%%205]\nFirst%%20Time=0\n' > "$XDG_CONFIG_HOME/Skywell/skywell.ini"
printf '[General]\nAddShowHint=1\n' > "$XDG_CONFIG_HOME/Skywell/Skywell5.ini"

"$SKYWELL_BIN" </dev/null >"$E2E_DIR/gui.txt" 2>&1 &
SKYWELL_PID=$!
E2E_PIDS+=("$SKYWELL_PID")
wait_for_log "Load Program.  Current Version 5.02" 15
size_before=$(stat -c %s "${SKYWELL_HOME}log.txt")
timeout 5 "$SKYWELL_BIN" </dev/null || fail "second start did not end at once"
sleep 0.3
[ "$(stat -c %s "${SKYWELL_HOME}log.txt")" = "$size_before" ] || fail "a second start wrote to the log"
timeout 5 "$SKYWELL_BIN" UNINSTALL </dev/null
wait_gone "$SKYWELL_PID" 2
pass "desktop start"
