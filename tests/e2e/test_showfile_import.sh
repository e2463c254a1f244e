#!/usr/bin/env bash
# Show import files: named on the command line of a headless start, and
# handed to the running program by a second start. Without a desktop the
# imported Show is added as if the editor's OK were pressed.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
export TZ=Europe/Berlin
mkdir -p "$SKYWELL_HOME"
dat=${SKYWELL_HOME}Skywell5.dat

printf 'Morning Show|http://127.0.0.1:8000/morning.mp3|0600|0900|MTWTF--|*\r\n' > "$E2E_DIR/morning.skw"
printf 'Late|http://127.0.0.1:8000/late.mp3|2300|0100|-------|2030-05-01\n' > "$E2E_DIR/late.skw"
printf 'Broken|http://127.0.0.1:8000/x\n' > "$E2E_DIR/broken.skw"
head -c 2000 /dev/urandom > "$E2E_DIR/binary.skw"

t0=$(date +%s)
start_headless "$E2E_DIR/morning.skw"
wait_for_log "Imported show Morning Show" 20
[ "$(stat -c %s "$dat")" -eq 1052 ] || fail "expected one Show in the file"
[ "$(field "$dat" 4 'Z*')" = "Morning Show" ] || fail "name"
[ "$(field "$dat" 912 'L<')" = "$((0x141f))" ] || fail "flags $(field "$dat" 912 'L<')"
s=$(field "$dat" 904 'l<')
read -r wd hour minute < <(perl -e '@t = localtime($ARGV[0]); print "$t[6] $t[2] $t[1]\n"' "$s")
[ "$wd" -ge 1 ] && [ "$wd" -le 5 ] || fail "Morning Show on weekday $wd"
[ "$hour:$minute" = "6:0" ] || fail "Morning Show at $hour:$minute"
# Its next occurrence: a later morning, or this morning's while it is still on
# (a Show whose end has not passed is due now).
[ $((s + 10800)) -gt "$t0" ] && [ "$s" -le $((t0 + 4 * 86400)) ] ||
  fail "Morning Show not the next weekday morning (start $s, now $t0)"
[ $(($(field "$dat" 908 'l<') - s)) -eq 10800 ] || fail "Morning Show is not three hours long"

# A second start hands its file to the running program, which runs in
# another folder: a path relative to the second start's folder still works.
mkdir -p "$E2E_DIR/elsewhere"
(cd "$E2E_DIR/elsewhere" && "$SKYWELL_BIN" ../late.skw)
wait_for_log "Imported show Late" 20
[ "$(stat -c %s "$dat")" -eq 2104 ] || fail "expected two Shows in the file"
s=$(field "$dat" $((1052 + 904)) 'l<')
[ "$s" -eq "$(local_time 2030 5 1 23 0)" ] || [ "$s" -eq $(($(local_time 2030 5 1 23 0) + 3600)) ] ||
  fail "Late starts at $s"
[ $(($(field "$dat" $((1052 + 908)) 'l<') - s)) -eq 7200 ] || fail "Late does not end two hours later"

# Broken and binary files add nothing and do not stop the program.
"$SKYWELL_BIN" "$E2E_DIR/broken.skw"
wait_for_log "Error parsing imported show file" 20
"$SKYWELL_BIN" "$E2E_DIR/binary.skw"
"$SKYWELL_BIN" "$E2E_DIR/missing.skw"
wait_for_log "Unable to open imported show file:" 20
process_gone "$SKYWELL_PID" && fail "the program ended"
"$SKYWELL_BIN" UNINSTALL
wait_gone "$SKYWELL_PID" 10
size=$(stat -c %s "$dat")
[ $((size % 1052)) -eq 0 ] && [ "$size" -ge 2104 ] || fail "Show file has $size bytes"
pass "Show import files"
