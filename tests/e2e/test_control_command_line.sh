#!/usr/bin/env bash
# The command line manages a running skywell --headless: a Show added due
# in a minute (from the stream of a loopback station) is listed, records by
# itself and its file is listed; another is recorded and stopped by hand;
# a Show is removed. Bad input is refused with exit status 2 and the Show
# editor's message; with nothing running, record exits with 1.
source "$(dirname "$0")/stream_lib.sh"
source "$(dirname "$0")/control_lib.sh"

write_settings 5 60
start_tone_station 440

# Nothing runs: the Show file is changed directly, recording cannot start.
run 0 add "Offline" "$TONE_URL"
[[ $ERR == *"No Skywell is running"* ]] || fail "no word that the Show file was changed directly: $ERR"
run 1 record "Offline"
pass "without a running instance add changes the Show file and record exits with 1"

start_headless
wait_for_log "Load Program"
run 0 list --json
[ "$(json_of '[s["name"] for s in d["data"]["shows"]]')" = "['Offline']" ] || fail "the instance lost the Show: $OUT"

# Due in a minute or two: the next whole minute at least 40 s ahead.
start=$(( ($(date +%s) + 40 + 59) / 60 * 60 ))
run 0 add "Tone Show" "$TONE_URL" --source stream --once "$(date -d "@$start" +%F)" --at "$(date -d "@$start" +%H:%M)" --length 1
run 0 list --json
[ "$(json_of '[(s["schedule"], s["source"], s["length"]) for s in d["data"]["shows"] if s["name"] == "Tone Show"]')" \
  = "[('once', 'stream', 1)]" ] || fail "the added Show is not listed as given: $OUT"
[ "$(date -d "$(json_of '[s["next"] for s in d["data"]["shows"] if s["name"] == "Tone Show"][0]')" +%s)" -eq "$start" ] ||
  fail "the Show's next recording is not $(date -d "@$start"): $OUT"
pass "a Show added over the command line is listed with its next recording"

# Refusals: exit status 2, the editor's message on stderr, nothing changed.
run 0 list --json
before=$OUT
refuse() {
  local message=$1
  shift
  run 2 "$@"
  [ "$ERR" = "skywell: $message" ] || fail "skywell $*: stderr '$ERR', not 'skywell: $message'"
}
refuse "You need to enter a name for this show.  Please correct this and try again." add "" "$TONE_URL"
refuse "Please enter an integer." add "Split" "$TONE_URL" --split-every many
refuse "Please enter a length between 1 and 1440 minutes." add "Zero" "$TONE_URL" --length 0
refuse "Please enter a length between 1 and 1440 minutes." add "Long" "$TONE_URL" --length 10000
refuse "The address \"file:///etc/passwd\" is not a web address. Please enter an address that begins with http:// or https://." \
  add "Files" "file:///etc/passwd"
refuse "There is already a show named \"Tone Show\"." add "Tone Show" "$TONE_URL"
refuse "There is no show named \"Nobody\"." record "Nobody"
run 2 add "Option" "$TONE_URL" --colour blue
run 0 list --json
[ "$OUT" = "$before" ] || fail "a refused command changed the Show list"
pass "bad input is refused with exit status 2 and the editor's messages"

# Names as hostile as they come are kept whole.
odd='A/B "quoted" <script>alert(1)</script> 🎷 Nights'
run 0 add "$odd" "$TONE_URL"
run 0 list --json
[ "$(json_of "[s['name'] for s in d['data']['shows']][-1]")" = "$odd" ] || fail "the name came back changed: $OUT"
run 0 remove "$odd"

# The scheduled Show records by itself; its file is listed.
run_until 240 "no recording of the scheduled Show listed" \
  'any(r["show"] == "Tone Show" for r in d["data"]["recordings"])' recordings --json
file=$(json_of '[r["file"] for r in d["data"]["recordings"] if r["show"] == "Tone Show"][0]')
[ "$(json_of "[r['bytes'] for r in d['data']['recordings'] if r['file'] == '''$file'''][0]")" -eq \
  "$(stat -c %s "$RECORDINGS$file")" ] || fail "the listed size of $file is not its size on disk"
seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$RECORDINGS$file")
awk "BEGIN{exit !($seconds >= 30)}" || fail "the scheduled recording $file holds $seconds s"
pass "the Show added over the command line recorded by itself ($file, $seconds s)"

# Record another by hand, see it running, stop it; its file is listed.
run 0 add "By Hand" "$TONE_URL"
run 0 record "By Hand" --minutes 10
refuse "\"By Hand\" is already recording." record "By Hand"
run_until 60 "status shows no bytes recorded" \
  'sum(r["bytes"] for r in d["data"]["running"] if r["show"] == "By Hand") > 0' status --json
sleep 15
run 0 stop "By Hand"
run_until 60 "no file of the recording stopped by hand" \
  'any(r["show"] == "By Hand" for r in d["data"]["recordings"])' recordings --json
run 0 status --json
[ "$(json_of 'len(d["data"]["running"])')" -eq 0 ] || fail "still recording after stop: $OUT"
run 1 stop
pass "record and stop over the command line keep the recording"

run 0 remove "Tone Show"
run 0 list --json
[ "$(json_of 'sorted(s["name"] for s in d["data"]["shows"])')" = "['By Hand', 'Offline']" ] ||
  fail "the removed Show is still listed: $OUT"
pass "remove takes the Show off the list"

kill -TERM "$SKYWELL_PID"
wait_gone "$SKYWELL_PID" 20
run 1 record "By Hand"
pass "once the instance has quit, record exits with 1"
