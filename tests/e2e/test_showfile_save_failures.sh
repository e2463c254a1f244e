#!/usr/bin/env bash
# A Show list that cannot be saved is never reported as saved, stays in
# memory and is saved at the next change; a Show file that could not be
# read at start-up is never written over.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/unprivileged_lib.sh"
export TZ=UTC
mkdir -p "$SKYWELL_HOME"
dat=${SKYWELL_HOME}Skywell5.dat
log=${SKYWELL_HOME}log.txt

printf 'Morning Show|http://127.0.0.1:8000/morning.mp3|0600|0900|MTWTF--|*\n' > "$E2E_DIR/morning.skw"
printf 'Late|http://127.0.0.1:8000/late.mp3|2300|0100|-------|2030-05-01\n' > "$E2E_DIR/late.skw"

# 1. The Show file's name becomes a folder while the program runs: the
#    import's save fails with the system's reason and no "Imported show".
start_headless
wait_for_log "Load Program" 20
[ "$(stat -c %s "$dat")" -eq 0 ] || fail "expected an empty list at first"
rm "$dat" && mkdir -p "$dat/inside"
"$SKYWELL_BIN" "$E2E_DIR/morning.skw"
wait_for_log "Show added but not saved Morning Show" 10
grep -qF "Cannot save the show list $dat: Is a directory" "$log" || fail "the failed save was not logged with its reason"
grep -qF "Skywell Error: Cannot save the show list $dat: Is a directory." "$log" || fail "the user was not told"
grep -qF "Imported show" "$log" && fail "a failed save was reported as an import"
[ -d "$dat/inside" ] || fail "the folder was touched"
[ -z "$(find "$SKYWELL_HOME" -maxdepth 1 -name 'Skywell5.dat.*')" ] || fail "a temporary file was left behind"

# The list was kept: once the folder is gone the next change saves both.
rm -r "$dat"
"$SKYWELL_BIN" "$E2E_DIR/late.skw"
wait_for_log "Imported show Late" 10
[ "$(stat -c %s "$dat")" -eq 2104 ] || fail "expected both Shows in the file, got $(stat -c %s "$dat") bytes"
[ "$(field "$dat" 4 'Z*')" = "Morning Show" ] || fail "the unsaved Show was lost"
grep -qF "Show list saved again $dat" "$log" || fail "the recovery was not logged"
"$SKYWELL_BIN" UNINSTALL
wait_gone "$SKYWELL_PID" 10
pass "a Show file that is a folder"

# 2. A Show file the program may write but not read: an import is saved
#    beside it, and the file is left byte for byte as it was.
if [ -z "$UNPRIVILEGED" ]; then
  echo "SKIP: no unprivileged user to run the program as"
else
  now=$(date +%s)
  for i in 1 2 3; do
    show_record "Kept $i" "http://127.0.0.1/$i" $((0x141f)) $((now + i * 3600)) $((now + i * 3600 + 1800)) 0 0 "$i" 0
  done > "$dat"
  give_to_user "$E2E_DIR"
  chmod 200 "$dat"
  cp --preserve=all "$dat" "$E2E_DIR/before.dat"
  start_headless_as_user
  wait_for_log_count "Load Program" 2 20
  grep -qF "Cannot read the show list $dat: Permission denied" "$log" || fail "the unreadable file was not logged"
  grep -qF "Skywell Error: Cannot read the show list $dat: Permission denied." "$log" || fail "the user was not told"
  as_user "$SKYWELL_BIN" "$E2E_DIR/morning.skw"
  wait_for_log_count "Imported show Morning Show" 1 10
  grep -qF "Show list saved beside the unreadable one $dat.1" "$log" || fail "where the list went was not said"
  grep -qF "The shows are saved to:" "$log" || fail "the user was not told where the list went"
  cmp -s "$dat" "$E2E_DIR/before.dat" || fail "the unreadable Show file changed"
  [ "$(stat -c %a "$dat")" = 200 ] || fail "the unreadable Show file's mode changed"
  [ "$(stat -c %s "$dat.1")" -eq 1052 ] || fail "the imported Show is not in $dat.1"
  # Later changes go to the same file beside it.
  as_user "$SKYWELL_BIN" "$E2E_DIR/late.skw"
  wait_for_log_count "Imported show Late" 2 10
  [ "$(stat -c %s "$dat.1")" -eq 2104 ] || fail "the second Show is not in $dat.1"
  cmp -s "$dat" "$E2E_DIR/before.dat" || fail "the unreadable Show file changed"
  as_user "$SKYWELL_BIN" UNINSTALL
  wait_gone "$SKYWELL_PID" 10
  pass "an unreadable Show file is left alone"
fi
