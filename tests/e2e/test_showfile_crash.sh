#!/usr/bin/env bash
# A save that fails half-way (disk full) or a program killed in the middle
# of writing the Show file never leaves a shorter or empty Skywell5.dat.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
export TZ=UTC
mkdir -p "$SKYWELL_HOME"
dat=${SKYWELL_HOME}Skywell5.dat

now=$(date +%s)
for i in $(seq 1 20); do
  show_record "Show $i" "http://127.0.0.1/$i" $((0x141f)) $((now - 30 * 86400 + i * 60)) $((now - 30 * 86400 + i * 60 + 1800)) \
    0 0 "$i" 0
done > "$dat"
cp "$dat" "$E2E_DIR/before.dat"

# 1. Writes beyond 16 KB fail with "file too large": the save of 21040
#    bytes fails, the program goes on, the old file stays.
(
  trap '' XFSZ
  ulimit -f 16
  exec "$SKYWELL_BIN" --headless </dev/null >"$E2E_DIR/out1.txt" 2>&1
) &
pid=$!
E2E_PIDS+=("$pid")
wait_for_log "Load Program" 20
cmp -s "$dat" "$E2E_DIR/before.dat" || fail "a failed save changed Skywell5.dat ($(stat -c %s "$dat") bytes)"
grep -q "Cannot save the show list" "${SKYWELL_HOME}log.txt" || fail "the failed save was not logged"
"$SKYWELL_BIN" UNINSTALL
wait_gone "$pid" 10

# 2. The same limit with its signal: the kernel kills the program in the
#    middle of writing the records.
(
  ulimit -c 0
  ulimit -f 16
  exec "$SKYWELL_BIN" --headless </dev/null >"$E2E_DIR/out2.txt" 2>&1
) &
pid=$!
E2E_PIDS+=("$pid")
wait_gone "$pid" 20
status=0
wait "$pid" || status=$?
[ "$status" -eq $((128 + 25)) ] || fail "expected death by SIGXFSZ (153), got $status"
cmp -s "$dat" "$E2E_DIR/before.dat" || fail "a killed save changed Skywell5.dat ($(stat -c %s "$dat") bytes)"

# 3. With room again the list is written whole.
started=$(grep -c "Load Program" "${SKYWELL_HOME}log.txt")
start_headless
wait_for_log_count "Load Program" $((started + 1)) 20
"$SKYWELL_BIN" UNINSTALL
wait_gone "$SKYWELL_PID" 10
[ "$(stat -c %s "$dat")" -eq 21040 ] || fail "rewritten file has $(stat -c %s "$dat") bytes"
[ "$(field "$dat" 956 'l<')" = "-1" ] || fail "not rewritten"
pass "Skywell5.dat survives failed and killed saves"
