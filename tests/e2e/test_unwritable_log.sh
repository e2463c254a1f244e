#!/usr/bin/env bash
# A log that cannot be written loses its lines silently; the program runs.
source "$(dirname "$0")/lib.sh"

mkdir -p "${SKYWELL_HOME}log.txt" # a folder where the file should be
start_headless
sleep 2 # nothing to wait for: the log stays empty
process_gone "$SKYWELL_PID" && fail "the program ended when its log could not be written"
timeout 5 "$SKYWELL_BIN" UNINSTALL </dev/null
wait_gone "$SKYWELL_PID" 2
wait "$SKYWELL_PID" || fail "exit status $?"
grep -q "First%20Time=0" "$XDG_CONFIG_HOME/Skywell/skywell.ini" || fail "settings not saved"

# A corrupt settings file reads as defaults.
rm -rf "${SKYWELL_HOME}log.txt"
head -c 3000 /dev/urandom > "$XDG_CONFIG_HOME/Skywell/skywell.ini"
start_headless
wait_for_log "Load Program"
timeout 5 "$SKYWELL_BIN" UNINSTALL </dev/null
wait_gone "$SKYWELL_PID" 2
pass "unwritable log, corrupt settings"
