#!/usr/bin/env bash
# An MP3 mount recorded "As broadcast" with title splits meets a title
# storm (50 titles, each 100 ms after the one before was taken), then its
# source is replaced by an AAC one on the same mount. The program neither
# crashes nor stops: every file it leaves plays, the AAC part goes into
# tracks of their own (.aac, after the MP3 ones) up to the end of the
# recording, and the playlist names only files that exist.
source "$(dirname "$0")/broadcast_lib.sh"

start_icecast
start_source /stream.mp3
url=$ICECAST_URL/stream.mp3
set_title /stream.mp3 "Before the storm" || fail "cannot set the first title"
schedule_stream_show "Storm Show" "$url" $((0x1000 | 0x7f | OUT_AS_BROADCAST | OPT_TITLE_SPLIT)) "Internet Stream" 45
start_headless
wait_for_log "Stream opened: $url" 40
sleep 3
storm=()
for i in $(seq 50); do storm+=("Storm $i - Song $i"); done
start_titles /stream.mp3 0.1 "${storm[@]}"
wait_for_log "Station title: Storm" 15
for ((i = 0; i < 100; i++)); do [ "$(wc -l <"$TITLES_LOG")" -ge 50 ] && break; sleep 0.2; done
sleep 3
kill_source /stream.mp3
sleep 2
start_source /stream.mp3 aac
changed=$(date +%s)
wait_for_log "Stream opened: $url (aac" 40
wait_for_show_end
wait_for_log "Writing playlist" 30
process_gone "$SKYWELL_PID" && fail "the program ended by itself"

# Every file of the Show plays; MP3 tracks first, then AAC ones.
mapfile -t files < <(ls "$RECORDINGS" | grep -E '^Storm Show ' | grep -vE '\.m3u$')
last=
for file in "${files[@]}"; do
  [[ $file =~ \.(mp3|aac)$ ]] || fail "an unexpected file: $file"
  [ -s "$RECORDINGS$file" ] || fail "$file is empty"
  plays "$RECORDINGS$file"
  [ "$last" != aac ] || [[ $file == *.aac ]] || fail "an MP3 track after the AAC ones: ${files[*]}"
  last=${file##*.}
done
tracks_of "Storm Show" mp3
[ "${#TRACKS[@]}" -ge 2 ] || fail "the storm's titles split nothing: ${files[*]}"
tracks_of "Storm Show" aac
[ "${#TRACKS[@]}" -ge 1 ] || fail "no .aac track after the change: ${files[*]}"
# The AAC part lasts from the change (the program reopens within a few
# seconds) to the end of the recording.
seconds=0
for track in "${TRACKS[@]}"; do seconds=$(awk -v a="$seconds" -v b="$(decoded_seconds "$track")" 'BEGIN{print a + b}'); done
stopped=$(log_time "End Recording")
awk "BEGIN{exit !($seconds > $stopped - $changed - 12)}" ||
  fail "the AAC tracks hold $seconds s of the $((stopped - changed)) s after the change"
playlist=$(ls "$RECORDINGS" | grep -E '^Storm Show .*\.m3u$') || fail "no playlist"
while read -r entry; do
  [ -z "$entry" ] || [ -f "$entry" ] || fail "the playlist names a missing file: $entry"
done < <(tr -d '\r' <"$RECORDINGS$playlist" | grep -v '^#')
no_player_no_server
uninstall_and_wait
pass "a title storm and MP3 turned AAC: ${#files[@]} files that all play, $seconds s of AAC"
