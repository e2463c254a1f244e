# Helpers of the recording tests: a Show file with Shows due soon, the
# program's settings, and reading back what was recorded. Sourced after
# lib.sh, showfile_lib.sh and tuner_lib.sh (the station and the test's own
# sink, which the tuner Skywell starts plays into through PULSE_SINK).
RECORDINGS=${E2E_DIR}/music/Skywell/
DAT=${SKYWELL_HOME}Skywell5.dat
# Every Show records the test's own sink; no split at set minutes.
export SHOW_SOURCE=$TEST_SINK.monitor
export SHOW_SPLIT_AT="255 255 255 255 255 255 255 255"

# write_settings CONNECT_SECONDS RETUNE_SECONDS: the program's profile.
write_settings() {
  mkdir -p "$XDG_CONFIG_HOME/Skywell"
  printf '[Skywell%%205]\nConnection%%20Time=%s\nRetune%%20Time=%s\nFirst%%20Time=0\n' "$1" "$2" \
    >"$XDG_CONFIG_HOME/Skywell/skywell.ini"
}

# The Show's last status (record R, 0-based).
last_status() { field "$DAT" $((${1:-0} * 1052 + 644)) 'Z*'; }

# Seconds since 1970 at which the log line with TEXT was written (its
# first occurrence), from the line's own time stamp.
log_time() {
  local line
  line=$(grep -F -- "$1" "${SKYWELL_HOME}log.txt" | head -n 1) || return 1
  date -d "$(echo "$line" | awk '{print $1, $2, $3, $4, $5}')" +%s
}

# Length in seconds of the MP3 frames ffprobe decodes.
mp3_seconds() {
  ffprobe -v error -count_frames -show_entries stream=nb_read_frames,sample_rate -of csv=p=0 "$1" |
    awk -F, '{printf "%.1f\n", $2 * 1152 / $1}'
}

# RMS amplitude (0..1) of an audio file, decoded by ffmpeg.
rms_level() {
  ffmpeg -v error -i "$1" -f s16le -ac 1 -ar 8000 - 2>/dev/null | python3 -c "
import array, math, sys
a = array.array('h', sys.stdin.buffer.read())
print('%.4f' % (math.sqrt(sum(x * x for x in a) / len(a)) / 32768 if a else 0))"
}

# Waits until the program has ended (after UNINSTALL or a signal).
uninstall_and_wait() {
  "$SKYWELL_BIN" UNINSTALL >/dev/null 2>&1 || true
  wait_gone "$SKYWELL_PID" 15
}

# True while a skywell-tuner started by this test's program runs.
tuner_of_this_test() {
  local pid
  for pid in $(pgrep -x skywell-tuner); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "SKYWELL_HOME=$SKYWELL_HOME" && return 0
  done
  return 1
}

# Ends the tuners this test's program left behind (after kill -9).
kill_tuners_of_this_test() {
  local pid
  for pid in $(pgrep -x skywell-tuner); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "SKYWELL_HOME=$SKYWELL_HOME" && kill "$pid"
  done
  return 0
}

# Waits until Show R's last status is no longer the one the test wrote (the
# program saves the list a moment after "End Recording").
wait_for_new_status() {
  local record=${1:-0} seconds=${2:-30} i
  for ((i = 0; i < seconds * 10; i++)); do
    [ "$(last_status "$record")" != "Last Recording was OK: x" ] && return 0
    sleep 0.1
  done
  fail "the last status of Show $record did not change within $seconds s"
}

# only_tone FILE HZ OTHER_HZ...: FILE holds the sine of HZ from start to
# end and none of the others, as tonecheck.py measures it; sets TONE_FIGURES.
only_tone() {
  TONE_FIGURES=$(python3 "$(dirname "${BASH_SOURCE[0]}")/tonecheck.py" only "$@" 2>&1) || fail "$TONE_FIGURES"
}

# track_of NAME: the one MP3 track of the Show NAME in the recordings
# folder; sets TRACK (its path) and TRACK_SECONDS.
track_of() {
  local files
  mapfile -t files < <(ls "$RECORDINGS" | grep -E "^$1 .*\.mp3\$")
  [ "${#files[@]}" -eq 1 ] || fail "expected one track of $1: $(ls "$RECORDINGS")"
  TRACK=$RECORDINGS${files[0]}
  TRACK_SECONDS=$(mp3_seconds "$TRACK")
}

# whole_track NAME START END: the Show NAME (due from START to END) left
# one MP3 track covering its window: the search for due Shows runs every
# ten seconds, five seconds ahead, so a Show may begin up to five seconds
# late; it records on for 30 s after its end. The track reaches back to the
# Show's start from the moment it was written. Sets TRACK, TRACK_SECONDS.
whole_track() {
  local window=$(($3 - $2)) written
  track_of "$1"
  awk "BEGIN{exit !($TRACK_SECONDS >= $window - 6 && $TRACK_SECONDS <= $window + 40)}" ||
    fail "$1: the track is $TRACK_SECONDS s long, the Show $window s"
  written=$(log_time "Writing recording $TRACK") || fail "no 'Writing recording $TRACK' line"
  awk "BEGIN{exit !($written - $TRACK_SECONDS <= $2 + 8)}" ||
    fail "$1: the track of $TRACK_SECONDS s written at $written began after the Show's start $2"
}

# Sleeps until the time (seconds since 1970) has come.
sleep_until() {
  local s=$(($1 - $(date +%s)))
  [ "$s" -le 0 ] || sleep "$s"
}
