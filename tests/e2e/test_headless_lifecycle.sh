#!/usr/bin/env bash
# A headless run from first start to "UNINSTALL", a second start while it
# runs, and a second run that is no longer a first start.
source "$(dirname "$0")/lib.sh"

rm -r "$E2E_DIR/music" "$XDG_CACHE_HOME"
start_headless
wait_for_log "Load Program.  Current Version 5.02"
log=${SKYWELL_HOME}log.txt
# Recordings in the desktop's music folder, temporary files in the cache.
[ -d "$E2E_DIR/music/Skywell" ] || fail "default recordings folder not created"
[ -d "$XDG_CACHE_HOME/skywell" ] || fail "default temporary folder not created"
grep -q "First%20Time=0" "$XDG_CONFIG_HOME/Skywell/skywell.ini" || fail "settings not saved on first start"
grep -q "MP3%20Folder=$E2E_DIR/music/Skywell/" "$XDG_CONFIG_HOME/Skywell/skywell.ini" || fail "default folder not stored"
grep -q "Temp%20Folder=$XDG_CACHE_HOME/skywell/" "$XDG_CONFIG_HOME/Skywell/skywell.ini" || fail "default temporary folder not stored"

# The first lines of the run: the empty line, the system report, ... the version.
head -c 2 "$log" | od -c | grep -q '\\r  \\n' || fail "the run does not open with an empty line"
sed -n 2p "$log" | grep -q "[AP]M OS = .*Linux" || fail "no system report on line 2"
size_before=$(stat -c %s "$log")

# A second start without arguments hands over and ends at once.
timeout 5 "$SKYWELL_BIN" --headless </dev/null || fail "second start did not end cleanly"
timeout 5 "$SKYWELL_BIN" </dev/null || fail "second start without --headless did not end cleanly"
# The hand-over was served by the main loop, so start-up is over: the
# recording-source test has its sound.
[ -s "${SKYWELL_HOME}zoom.wav" ] || fail "the test sound zoom.wav was not written on first start"
sleep 0.5
[ "$(stat -c %s "$log")" = "$size_before" ] || fail "a second start wrote to the log"
process_gone "$SKYWELL_PID" && fail "the first instance ended after a second start"
# At rest the program carries no web engine, stream decoder or HTTP client:
# they are loaded by the first stream or download.
for library in libQt6WebEngine libavformat libavcodec libcurl; do
  grep -q "/$library" "/proc/$SKYWELL_PID/maps" && fail "$library is loaded at rest"
done

# UNINSTALL stops it within 2 seconds.
start=$(date +%s.%N)
timeout 5 "$SKYWELL_BIN" UNINSTALL </dev/null || fail "UNINSTALL did not end cleanly"
wait_gone "$SKYWELL_PID" 2
wait "$SKYWELL_PID" || fail "headless run exited with an error"
end=$(date +%s.%N)
echo "stopped after $(awk "BEGIN{print $end-$start}") s"

# A second run: not a first start, and the log keeps growing.
start_headless -quiet
wait_for_log_count "Load Program.  Current Version 5.02" 2
[ "$(grep -c "First start without a desktop" "$log")" = 1 ] || fail "second run was taken as a first start"
timeout 5 "$SKYWELL_BIN" UNINSTALL </dev/null
wait_gone "$SKYWELL_PID" 2

# UNINSTALL with nothing running does nothing.
timeout 5 "$SKYWELL_BIN" UNINSTALL </dev/null || fail "UNINSTALL without an instance failed"
pass "headless lifecycle"
