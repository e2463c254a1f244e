#!/usr/bin/env bash
# Two sound-card Shows back to back on two stations, each played by the
# Skywell Tuner: Alpha from +0 to +40 s, Beta from +40 to +80 s with "Mute
# while recording". Beta begins on its own time and is recorded whole;
# Alpha holds only its own station, though it records on past its end.
# While Alpha records, the speakers (the sound server's default sink) play
# its station; while Beta records, muted, they play nothing of it.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/tuner_lib.sh"
source "$(dirname "$0")/recording_lib.sh"

# The user's setup: players play on the speakers, and the Shows record
# what the speakers play.
unset PULSE_SINK
speakers=$(pactl info | sed -n 's/^Default Sink: //p')
[ -n "$speakers" ] || fail "the sound server has no default sink"
# Chosen as a user's speakers are: the sinks loaded meanwhile (recordings'
# own) never take their place.
pactl set-default-sink "$speakers" || fail "cannot keep $speakers the default sink"
export SHOW_SOURCE=$speakers.monitor

# Level (0..1) of the sine of HZ in three seconds of what the speakers play.
speakers_tone() {
  timeout 3 parec -d "$speakers.monitor" --raw --format=s16le --rate=44100 --channels=2 \
    --latency-msec=50 >"$E2E_DIR/speakers.raw" 2>/dev/null || true
  python3 "$(dirname "$0")/tonecheck.py" level "$E2E_DIR/speakers.raw" "$1"
}

start_tone_station 1000
url_a=$TONE_URL
start_tone_station 2500
url_b=$TONE_URL
write_settings 5 60
a_start=$(($(date +%s) + 20))
b_start=$((a_start + 40))
b_end=$((b_start + 40))
show_record "Alpha" "$url_a" $((0x1000 | 0x7f | 0x400)) "$a_start" "$b_start" 0 0 1 0 >"$DAT"
show_record "Beta" "$url_b" $((0x1000 | 0x7f | 0x400 | 0x80000)) "$b_start" "$b_end" 0 0 2 0 >>"$DAT"
start_headless

wait_for_log "Start Recording Alpha" 30
sleep_until $((a_start + 10))
heard=$(speakers_tone 1000)
awk "BEGIN{exit !($heard > 0.05)}" || fail "the speakers do not play Alpha's station while it records (level $heard)"
wait_for_log "Start Recording Beta" $((b_start + 10 - $(date +%s)))
sleep_until $((b_start + 10))
muted=$(speakers_tone 2500)
awk "BEGIN{exit !($muted < 0.005)}" || fail "the speakers play Beta's station while it records muted (level $muted)"

wait_for_log_count "End Recording" 2 $((b_end + 30 - $(date +%s) + 40))
wait_for_new_status 0
wait_for_new_status 1
figures=()
for show in "Alpha 1000 2500 $a_start $b_start 0" "Beta 2500 1000 $b_start $b_end 1"; do
  read -r name hz other start end record <<<"$show"
  status=$(last_status "$record")
  [[ $status == "Last Recording was OK: "* ]] || fail "last status of $name: $status"
  whole_track "$name" "$start" "$end"
  only_tone "$TRACK" "$hz" "$other"
  figures+=("$name: $TRACK_SECONDS s, $TONE_FIGURES")
done
tuner_of_this_test && fail "a tuner still plays after both recordings"
uninstall_and_wait
pass "back to back on the sound card (speakers heard $heard, muted $muted): $(printf '%s; ' "${figures[@]}")"
