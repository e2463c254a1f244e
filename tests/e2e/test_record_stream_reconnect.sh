#!/usr/bin/env bash
# The station's source dies in the middle of a Show recorded from the
# stream and comes back 5 s later: the program reopens the stream with
# growing waits, logging every attempt, and goes on in the same track. One
# recording results, with the outage missing from it (or silent in it) and
# sound after it.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/icecast_lib.sh"
source "$(dirname "$0")/recording_lib.sh"

start_icecast
start_source /stream.mp3
url=$ICECAST_URL/stream.mp3
schedule_stream_show "Drop Show" "$url" $((0x1000 | 0x7f | 0x400)) "Internet Stream" 50
start_headless

wait_for_log "Start Recording Drop Show" 30
wait_for_log "Stream opened: $url" 30
sleep 20
kill_source /stream.mp3
killed=$(date +%s)
wait_for_log "Stream dropped:" 10
left=$((killed + 5 - $(date +%s)))
[ "$left" -le 0 ] || sleep "$left"
start_source /stream.mp3
restarted=$(date +%s)
wait_for_log_count "Stream opened: $url" 2 40
reopened=$(log_time_nth "Stream opened: $url" 2)
no_player_no_server
wait_for_show_end

log=${SKYWELL_HOME}log.txt
drops=$(grep -cF "Stream dropped:" "$log")
failures=$(grep -cF "Stream could not be opened: $url" "$log" || true)
mapfile -t waits < <(grep -oE "Reopening the stream in [0-9]+ seconds?" "$log" | grep -oE '[0-9]+')
[ "$drops" -eq 1 ] || fail "$drops 'Stream dropped' lines for one drop"
[ "$(grep -cF "Stream opened: $url" "$log")" -eq 2 ] || fail "the stream was not opened exactly twice"
# One wait before every attempt: after the drop and after each failure.
[ "${#waits[@]}" -eq $((drops + failures)) ] ||
  fail "${#waits[@]} 'Reopening' lines for $drops drop(s) and $failures failed attempts"
[ "${#waits[@]}" -ge 2 ] || fail "the stream was reopened before the station was back"
for i in "${!waits[@]}"; do
  expected=$((1 << i > 30 ? 30 : 1 << i))
  [ "${waits[$i]}" -eq "$expected" ] || fail "wait $i was ${waits[$i]} s, not $expected s: ${waits[*]}"
done
[ "$reopened" -ge "$restarted" ] || fail "reopened at $reopened, before the station came back at $restarted"
[ "$((reopened - restarted))" -le 15 ] || fail "reopened $((reopened - restarted)) s after the station came back"

# One recording, in one track. The outage is missing from it or silent:
# it holds no more sound than the station sent while the program captured;
# and no less than that but for the time the stream took to open again.
one_track=$(ls "$RECORDINGS" | grep -cE '^Drop Show .*\.mp3$' || true)
[ "$one_track" -eq 1 ] || fail "expected one track: $(ls "$RECORDINGS")"
ls "$RECORDINGS" | grep -qE '\.m3u$' && fail "a playlist for one recording: $(ls "$RECORDINGS")"
track=$RECORDINGS$(ls "$RECORDINGS" | grep -E '^Drop Show .*\.mp3$')
started=$(log_time "Capture started:")
opened=$(log_time "Stream opened:")
stopped=$(log_time "End Recording")
seconds=$(mp3_seconds "$track")
silent=$(ffmpeg -v info -nostats -i "$track" -af silencedetect=noise=-45dB:d=1 -f null - 2>&1 |
  awk '/silence_duration/ {s += $NF} END {printf "%.1f\n", s + 0}')
outage=$((restarted - killed))
missing=$(awk "BEGIN{print $stopped - $started - ($seconds - $silent)}")
late=$(((opened - started) + (reopened - restarted)))
awk "BEGIN{exit !($missing > $outage - 2 && $missing < $outage + $late + 3)}" ||
  fail "the station was gone for $outage s and $late s went to opening the stream; $missing s of the capture have no sound"
# Sound before the outage and after it.
ffmpeg -v error -i "$track" -t 15 -y "$E2E_DIR/before.wav"
ffmpeg -v error -sseof -15 -i "$track" -y "$E2E_DIR/after.wav"
for part in before after; do
  level=$(rms_level "$E2E_DIR/$part.wav")
  awk "BEGIN{exit !($level > 0.05)}" || fail "the track is silent $part the outage (RMS $level)"
done
no_player_no_server
uninstall_and_wait
pass "a dropped stream reopened after waits of ${waits[*]} s: $seconds s recorded, $missing s without sound for an outage of $outage s"
