#!/usr/bin/env bash
# Show files and import files that are not plain files, or never end: the
# program refuses them at once with a message, keeps running and answering
# UNINSTALL, and leaves the Show file as it is.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
export TZ=UTC
mkdir -p "$SKYWELL_HOME"
dat=${SKYWELL_HOME}Skywell5.dat
log=${SKYWELL_HOME}log.txt
# Whatever goes wrong, the program may not take the machine's memory.
ulimit -v 4000000

# Waits at most about a second for a log line.
refused_soon() { wait_for_log "$1" 1; }
# Starts the program and waits until its start-up is done.
starts=0
start_and_wait() {
  start_headless
  starts=$((starts + 1))
  if [ "$starts" -eq 1 ]; then wait_for_log "Load Program" 20; else wait_for_log_count "Load Program" "$starts" 20; fi
}

# 1. A Show file that reads for ever (a link to /dev/zero), then one that
#    blocks when opened (a FIFO): refused, the program starts and stops.
ln -s /dev/zero "$dat"
start_and_wait
grep -qF "Cannot read the show list $dat: it is a device" "$log" || fail "/dev/zero was not refused"
"$SKYWELL_BIN" UNINSTALL
wait_gone "$SKYWELL_PID" 10
[ "$(readlink "$dat")" = /dev/zero ] || fail "the link was replaced"
rm "$dat"

mkfifo "$dat"
start_and_wait
grep -qF "Cannot read the show list $dat: it is a named pipe (FIFO)" "$log" || fail "the FIFO was not refused"
"$SKYWELL_BIN" UNINSTALL
wait_gone "$SKYWELL_PID" 10
[ -p "$dat" ] || fail "the FIFO was replaced"
rm "$dat"
pass "Show files that never end"

# 2. A Show file of absurd size (sparse, behind three real Shows) is refused
#    unread and left byte for byte as it was; an import goes beside it.
now=$(date +%s)
for i in 1 2 3; do
  show_record "Kept $i" "http://127.0.0.1/$i" $((0x141f)) $((now + i * 3600)) $((now + i * 3600 + 1800)) 0 0 "$i" 0
done > "$dat"
truncate -s 200M "$dat"
sum_before=$(md5sum < "$dat")
printf 'Morning Show|http://127.0.0.1:8000/morning.mp3|0600|0900|MTWTF--|*\n' > "$E2E_DIR/morning.skw"
start_and_wait
grep -qF "Cannot read the show list $dat: it is larger than a show list can be" "$log" || fail "the huge file was not refused"
"$SKYWELL_BIN" "$E2E_DIR/morning.skw"
wait_for_log "Imported show Morning Show" 10
[ "$(md5sum < "$dat")" = "$sum_before" ] || fail "the huge Show file changed"
[ "$(stat -c %s "$dat.1")" -eq 1052 ] || fail "the import was not saved beside the huge file"
"$SKYWELL_BIN" UNINSTALL
wait_gone "$SKYWELL_PID" 10
rm "$dat" "$dat.1"
pass "a Show file of absurd size"

# 3. Import files that are a folder, a device, a FIFO, huge, or binary.
start_and_wait
"$SKYWELL_BIN" "$E2E_DIR/morning.skw"
wait_for_log_count "Imported show Morning Show" 2 10
cp "$dat" "$E2E_DIR/before.dat"

mkdir "$E2E_DIR/folder.skw"
"$SKYWELL_BIN" "$E2E_DIR/folder.skw"
refused_soon "Skywell: Unable to open imported show file:"
wait_for_log "Only a regular file can be imported: it is a folder." 1

mkfifo "$E2E_DIR/pipe.skw"
"$SKYWELL_BIN" "$E2E_DIR/pipe.skw"
refused_soon "Only a regular file can be imported: it is a named pipe (FIFO)."

ln -s /dev/zero "$E2E_DIR/zero.skw"
"$SKYWELL_BIN" "$E2E_DIR/zero.skw"
refused_soon "Only a regular file can be imported: it is a device."

# Huge: only the first line counts, the rest is never read.
{ printf 'Huge Show|http://127.0.0.1:8000/huge.mp3|1000|1100|-------|*\n'; } > "$E2E_DIR/huge.skw"
truncate -s 4G "$E2E_DIR/huge.skw"
"$SKYWELL_BIN" "$E2E_DIR/huge.skw"
refused_soon "Imported show Huge Show"
cp "$dat" "$E2E_DIR/before.dat"

head -c 100000 /dev/urandom | tr -d '|' > "$E2E_DIR/binary.skw"
"$SKYWELL_BIN" "$E2E_DIR/binary.skw"
refused_soon "Error parsing imported show file"

process_gone "$SKYWELL_PID" && fail "the program ended"
cmp -s "$dat" "$E2E_DIR/before.dat" || fail "a refused import changed the Show file"
"$SKYWELL_BIN" UNINSTALL
wait_gone "$SKYWELL_PID" 10
[ "$(stat -c %s "$dat")" -eq 2104 ] || fail "Show file has $(stat -c %s "$dat") bytes"
pass "import files that are not plain files"
