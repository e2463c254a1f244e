#!/usr/bin/env bash
# Three "Internet Stream" Shows recording side by side when the program is
# killed (kill -9): the next start recovers all three partial recordings
# into the recordings folder, each with its own station's tone.
source "$(dirname "$0")/stream_lib.sh"
source "$(dirname "$0")/parallel_lib.sh"

parallel_shows 0 600
start_headless
wait_for_log_count "Capture started:" 3 60
sleep 20
kill -9 "$SKYWELL_PID"
wait_gone "$SKYWELL_PID" 5
start_headless
wait_for_log_count "Recovered unfinished recording:" 3 60
figures=()
for i in "${!PARALLEL_NAMES[@]}"; do
  name=${PARALLEL_NAMES[$i]}
  file=$(grep -oE 'Recovered unfinished recording: .*\.mp3' "${SKYWELL_HOME}log.txt" | grep -F "/$name " | head -n 1) ||
    fail "$name was not recovered"
  file=${file#Recovered unfinished recording: }
  [ -f "$file" ] && [[ $file == "$RECORDINGS"* ]] || fail "$name recovered as $file"
  seconds=$(mp3_seconds "$file")
  awk "BEGIN{exit !($seconds > 15)}" || fail "$name: recovered only $seconds s"
  only_tone "$file" "${PARALLEL_HZ[$i]}" $(other_tones "$i")
  figures+=("${file##*/}: $seconds s, $TONE_FIGURES")
done
uninstall_and_wait
pass "kill -9 during three recordings: $(printf '%s; ' "${figures[@]}")"
