#!/usr/bin/env bash
# SIGTERM and SIGINT end a headless run cleanly, and a run killed outright
# leaves nothing that stops the next start.
source "$(dirname "$0")/lib.sh"

runs=0
for sig in TERM INT; do
  start_headless
  wait_for_log_count "Load Program" $((++runs))
  kill -s "$sig" "$SKYWELL_PID"
  wait_gone "$SKYWELL_PID" 2
  wait "$SKYWELL_PID" || fail "SIG$sig: exit status $?"
done

start_headless
wait_for_log_count "Load Program" 3
kill -9 "$SKYWELL_PID"
wait_gone "$SKYWELL_PID" 2
start_headless
wait_for_log_count "Load Program" 4
timeout 5 "$SKYWELL_BIN" UNINSTALL </dev/null
wait_gone "$SKYWELL_PID" 2
pass "signals and stale instance"
