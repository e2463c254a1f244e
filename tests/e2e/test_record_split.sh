#!/usr/bin/env bash
# A Show with a time split of one minute, already under way when the
# program starts, is recorded for the rest of its time as two or three
# tracks and a playlist that lists them, one full path a line.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/tuner_lib.sh"
source "$(dirname "$0")/recording_lib.sh"

start_station
write_settings 5 60
start=$(($(date +%s) - 30))
end=$((start + 140))
SHOW_SPLIT_MINUTES=1 show_record "Split Show" "http://127.0.0.1:$STATION_PORT/stream.mp3" \
  $((0x1000 | 0x7f | 0x400 | 0x400000)) "$start" "$end" 0 0 1 0 >"$DAT"
start_headless
wait_for_log "Start Recording Split Show" 15
wait_for_log "Capture started:" 30
wait_for_log "End Recording" $((end + 30 - $(date +%s) + 30))
wait_for_log "Writing playlist" 30
wait_for_new_status

mapfile -t tracks < <(ls "$RECORDINGS" | grep -E '^Split Show .* - 0[0-9]\.mp3$')
[ "${#tracks[@]}" -ge 2 ] && [ "${#tracks[@]}" -le 3 ] || fail "tracks: ${tracks[*]}"
playlist=$(ls "$RECORDINGS" | grep -E '^Split Show .*\.m3u$') || fail "no playlist: $(ls "$RECORDINGS")"
mapfile -t listed < <(tr -d '\r' <"$RECORDINGS$playlist"; echo)
[ "${#listed[@]}" -eq "${#tracks[@]}" ] || fail "the playlist lists ${#listed[@]} files: ${listed[*]}"
for i in "${!tracks[@]}"; do
  [ "${listed[$i]}" = "$RECORDINGS${tracks[$i]}" ] || fail "line $i of the playlist: ${listed[$i]}"
  seconds=$(mp3_seconds "$RECORDINGS${tracks[$i]}")
  # Every track but the last is one minute long.
  if [ "$i" -lt $((${#tracks[@]} - 1)) ]; then
    awk "BEGIN{exit !($seconds > 58 && $seconds < 62)}" || fail "track $i is $seconds s long"
  fi
done
[[ $(last_status) == "Last Recording was OK: "* ]] || fail "last status: $(last_status)"
uninstall_and_wait
pass "one-minute split: ${#tracks[@]} tracks and $playlist"
