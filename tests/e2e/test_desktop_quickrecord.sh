#!/usr/bin/env bash
# Quick Record on the desktop: a tone plays for 72 s into the test's own
# sink; Quick Record for 1 minute records it into one MP3 of about 70 s
# (the end time 20 s before the minute, then the 30 s end grace).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/tuner_lib.sh"
source "$(dirname "$0")/recording_lib.sh"
CHECK_BIN=$SKYWELL_BUILD_DIR/tests/ui/quickrecordcheck
[ -x "$CHECK_BIN" ] || fail "no quickrecordcheck in $SKYWELL_BUILD_DIR/tests/ui"

write_settings 5 60
printf '[General]\nAddShowHint=1\nLastRecordSource=%s\n' "$TEST_SINK.monitor" \
  >"$XDG_CONFIG_HOME/Skywell/Skywell5.ini"
mkdir -p "$RECORDINGS"
sox -n -r 44100 -c 2 -b 16 "$E2E_DIR/tone70.wav" synth 72 sine 440 vol 0.5
paplay -d "$TEST_SINK" "$E2E_DIR/tone70.wav" &
E2E_PIDS+=("$!")
xvfb-run -a -n "$((100 + RANDOM % 800))" -s "-screen 0 1024x768x24" "$CHECK_BIN" "Quick Tone" 1 >"$E2E_DIR/check.txt" 2>&1 ||
  fail "Quick Record did not record: $(cat "$E2E_DIR/check.txt")"

mapfile -t files < <(ls "$RECORDINGS" | grep '\.mp3$')
[ "${#files[@]}" = 1 ] || fail "expected one MP3, found: $(ls "$RECORDINGS")"
[[ ${files[0]} == "Quick Tone"* ]] || fail "named ${files[0]}"
seconds=$(mp3_seconds "$RECORDINGS${files[0]}")
awk "BEGIN{exit !($seconds > 65 && $seconds < 75)}" || fail "saved $seconds s, expected about 70"
level=$(rms_level "$RECORDINGS${files[0]}")
awk "BEGIN{exit !($level > 0.1)}" || fail "the tone is missing (level $level)"
grep -q "Start Quick Record" "${SKYWELL_HOME}log.txt" || fail "no Start Quick Record in the log"
pass "Quick Record for 1 minute saved $seconds s of the tone"
