#!/usr/bin/env bash
# A Direct Download Show saves the served file byte-exact under its name
# and the address's extension; one whose address answers 404 leaves no
# file and a NOT OK status.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/tuner_lib.sh"
source "$(dirname "$0")/recording_lib.sh"

served=$E2E_DIR/served
mkdir -p "$served"
head -c 3000000 /dev/urandom >"$served/episode.ogg"
python3 -m http.server 0 --bind 127.0.0.1 --directory "$served" >"$E2E_DIR/http.log" 2>&1 &
E2E_PIDS+=($!)
for _ in $(seq 1 100); do
  port=$(grep -oE 'port [0-9]+' "$E2E_DIR/http.log" | grep -oE '[0-9]+' | head -n 1) && [ -n "$port" ] && break
  sleep 0.1
done
[ -n "${port:-}" ] || fail "the web server did not start"

write_settings 5 60
# A download holds its time slot until its end time + 30 s; the second
# Show comes after that.
start=$(($(date +%s) + 15))
{
  show_record "Podcast" "http://127.0.0.1:$port/episode.ogg" $((0x1000 | 0x7f | 0x40000)) "$start" $((start + 40)) \
    0 0 1 0
  show_record "Missing" "http://127.0.0.1:$port/missing.mp3" $((0x1000 | 0x7f | 0x40000)) $((start + 80)) \
    $((start + 120)) 0 0 2 0
} >"$DAT"
start_headless
wait_for_log "Download finished:" 60
file=$(ls "$RECORDINGS" | grep -E '^Podcast .* - 01\.ogg$') || fail "no file saved: $(ls "$RECORDINGS")"
cmp -s "$served/episode.ogg" "$RECORDINGS$file" || fail "$file differs from what was served"
wait_for_log "Download failed:" 150
wait_for_new_status 1
[[ $(last_status 0) == "Last Recording was OK: "* ]] || fail "Podcast: $(last_status 0)"
[[ $(last_status 1) == "Last Recording was NOT OK: "* ]] || fail "Missing: $(last_status 1)"
ls "$RECORDINGS" | grep -q '^Missing' && fail "the 404 left a file: $(ls "$RECORDINGS")"
uninstall_and_wait
pass "direct downloads: $file byte-exact, the 404 left nothing"
