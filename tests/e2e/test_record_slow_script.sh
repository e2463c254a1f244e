#!/usr/bin/env bash
# A user's script that takes 10 s over every track of a Show split every
# minute and recorded straight from its stream holds nothing up: the next
# track's file grows while it runs, and the tracks it was handed add up to
# what the station sent (icecast's count of the bytes of a 128 kbit/s
# stream) within a second. A second recording beside it, of another
# station, is whole too.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/icecast_lib.sh"
source "$(dirname "$0")/recording_lib.sh"

start_icecast
start_source /slow.mp3
start_source /beside.mp3
# The script notes when it starts and ends and how much the files being
# recorded (every temporary file but the ones set aside for delivery) grew
# meanwhile, then copies the track.
cat >"${SKYWELL_HOME}custom.sh" <<'SH'
recorded() {
  for f in "$(dirname "$1")"/skywell-*.wav; do
    case $f in *track*) ;; *) [ -f "$f" ] && stat -c %s "$f" ;; esac
  done | awk '{s += $1} END {print s + 0}'
}
before=$(recorded "$1")
echo "start $(date +%s) $2" >>"$E2E_DIR/script.txt"
sleep 10
echo "grew $(($(recorded "$1") - before)) $2" >>"$E2E_DIR/script.txt"
cp "$1" "$RECORDINGS$2.wav"
echo "end $(date +%s) $2" >>"$E2E_DIR/script.txt"
SH
sed -i "s|\$E2E_DIR|$E2E_DIR|g; s|\$RECORDINGS|$RECORDINGS|g" "${SKYWELL_HOME}custom.sh"
# Weekly, custom output, split every minute; 110 s and the 30 s after the
# end give two whole minutes and a last piece of about 20 s.
SHOW_SPLIT_MINUTES=1 schedule_stream_show "Slow Script" "$ICECAST_URL/slow.mp3" \
  $((0x1000 | 0x7f | 0x100000 | 0x400000)) "Internet Stream" 110
# The same time, MP3 FM, no split.
SHOW_SOURCE="Internet Stream" show_record "Beside" "$ICECAST_URL/beside.mp3" $((0x1000 | 0x7f | 0x400)) \
  "$SHOW_START" "$SHOW_END" 0 0 2 0 >>"$DAT"
start_headless
wait_for_log "Start Recording Slow Script" 30
wait_for_log "Stream opened: $ICECAST_URL/slow.mp3" 30
wait_for_show_end
wait_for_log_count "End Recording" 2 30
wait_for_new_status 1
# The last track's script runs after the end.
for ((i = 0; i < 300; i++)); do
  [ "$(grep -c '^end ' "$E2E_DIR/script.txt" 2>/dev/null)" -ge 3 ] && break
  sleep 0.1
done

mapfile -t tracks < <(ls "$RECORDINGS" | grep -E '^Slow Script .* - 0[0-9]\.wav$')
[ "${#tracks[@]}" -eq 3 ] || fail "tracks: $(ls "$RECORDINGS"); script: $(cat "$E2E_DIR/script.txt")"
total=0
for track in "${tracks[@]}"; do
  seconds=$(soxi -D "$RECORDINGS$track")
  total=$(awk "BEGIN{print $total + $seconds}")
done
# The first two tracks are the minutes the split asked for.
for i in 0 1; do
  seconds=$(soxi -D "$RECORDINGS${tracks[$i]}")
  awk "BEGIN{exit !($seconds > 59.5 && $seconds < 60.5)}" || fail "track $i is $seconds s long"
done
# The station's side: bytes sent to the program (the listener's line is
# written when it disconnects).
for ((i = 0; i < 100; i++)); do
  grep -qF 'GET /slow.mp3' "$ICECAST_DIR/access.log" 2>/dev/null && break
  sleep 0.1
done
# sent_seconds MOUNT: seconds of 128 kbit/s audio icecast sent from MOUNT.
sent_seconds() {
  awk -v m="GET $1 " 'index($0, m) {for (i = 1; i <= NF; i++) if ($i ~ /^[0-9][0-9][0-9]$/ && $(i + 1) ~ /^[0-9]+$/) {s += $(i + 1); break}} END {print s / 16000}' \
    "$ICECAST_DIR/access.log"
}
for ((i = 0; i < 100; i++)); do
  grep -qF 'GET /beside.mp3' "$ICECAST_DIR/access.log" 2>/dev/null && break
  sleep 0.1
done
sent=$(sent_seconds /slow.mp3)
awk "BEGIN{d = $total - $sent; exit !(d > -1 && d < 1)}" ||
  fail "the tracks hold $total s, the station sent $sent s: $(cat "$E2E_DIR/script.txt")"
# Capture went on beside the scripts of the splits: at least 8 of their
# 10 s reached the next track's file (CD audio, 176400 bytes a second).
for i in 1 2; do
  grew=$(awk -v n="$i" '/^grew / && ++k == n {print $2}' "$E2E_DIR/script.txt")
  [ "${grew:-0}" -ge $((8 * 176400)) ] || fail "the recording grew ${grew:-0} bytes while script $i ran: $(cat "$E2E_DIR/script.txt")"
done
[ "$(grep -cF "Stream opened: $ICECAST_URL/slow.mp3" "${SKYWELL_HOME}log.txt")" -eq 1 ] ||
  fail "the stream was opened more than once"
# The recording beside it: one track, as long as its station sent.
mapfile -t beside < <(ls "$RECORDINGS" | grep -E '^Beside .*\.mp3$')
[ "${#beside[@]}" -eq 1 ] || fail "the recording beside: $(ls "$RECORDINGS")"
beside_seconds=$(mp3_seconds "$RECORDINGS${beside[0]}")
beside_sent=$(sent_seconds /beside.mp3)
awk "BEGIN{d = $beside_seconds - $beside_sent; exit !(d > -1 && d < 1)}" ||
  fail "the recording beside holds $beside_seconds s, its station sent $beside_sent s"
[[ $(last_status 1) == "Last Recording was OK: "* ]] || fail "last status beside: $(last_status 1)"
status=$(last_status)
[[ $status == "Last Recording was OK: "* ]] || fail "last status: $status"
uninstall_and_wait
pass "three tracks of $total s in all beside a 10 s script each (the station sent $sent s); beside it $beside_seconds s of $beside_sent s"
