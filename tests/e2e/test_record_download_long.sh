#!/usr/bin/env bash
# A scheduled Direct Download of a file that takes far longer than the
# Show's window (4 MB at 25 kB/s, about 160 s, in a 60 s window) runs to
# its end: saved whole and byte-exact, and the Show reads OK.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/download_lib.sh"

head -c 4000000 /dev/urandom >"$SERVED/episode.mp3"
start_download_server 25000
write_settings 5 60
start=$(($(date +%s) + 15))
show_record "Long Episode" "http://127.0.0.1:$DL_PORT/files/episode.mp3" $DIRECT_DAILY "$start" $((start + 60)) \
  0 0 1 0 >"$DAT"
start_headless
wait_for_log "Saving to file:" 40
wait_for_log "Download f" 400
grep -qF "Download finished:" "${SKYWELL_HOME}log.txt" || fail "the download did not finish"
file=$(ls "$RECORDINGS" | grep -E '^Long Episode .* - 01\.mp3$') || fail "no file saved: $(ls "$RECORDINGS")"
[ "$(stat -c %s "$RECORDINGS$file")" -eq 4000000 ] || fail "$file holds $(stat -c %s "$RECORDINGS$file") bytes"
cmp -s "$SERVED/episode.mp3" "$RECORDINGS$file" || fail "$file differs from what was served"
wait_for_new_status 0
[[ $(last_status 0) == "Last Recording was OK: "* ]] || fail "Long Episode: $(last_status 0)"
uninstall_and_wait
pass "a 160 s download in a 60 s window was saved whole: $file"
