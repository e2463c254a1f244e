#!/usr/bin/env bash
# A title-split recording from an MP3 mount, killed (kill -9) in the middle
# of its third track and started again within the Show: the recovered
# track keeps its number and its tags, the rest of the Show goes on in the
# same series of names, and one playlist lists every track in order. No
# sound server runs.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/icecast_lib.sh"
source "$(dirname "$0")/recording_lib.sh"

titles=("The Beacons - Harbour Lights" "Station Jingle" "Mira Lake - Night Bridge" "Night Owls - Last Call"
  "Dawn Chorus - Early")

start_icecast
start_source /stream.mp3
url=$ICECAST_URL/stream.mp3
set_title /stream.mp3 "${titles[0]}" || fail "cannot set the first title"
# Recording starts about 10 s from now and ends 155 s from now; the titles
# change 35, 55, 75 and 95 s from now.
schedule_stream_show "Killed Show" "$url" $((0x1000 | 0x7f | 0x400 | 0x1000000)) "Internet Stream" 110
start_headless
sleep 15
start_titles /stream.mp3 20 "${titles[@]}"

wait_for_log "Station title: ${titles[2]}" 60
sleep 6
kill -9 "$SKYWELL_PID"
wait_gone "$SKYWELL_PID" 5
start_headless
wait_for_log "Recovered unfinished recording:" 30
wait_for_log "Continuing the interrupted recording at track 4" 30
wait_for_show_end
wait_for_log "Writing playlist" 30

# One series: Killed Show <day> - 01, 02, 03 ... with no second series and
# no other name.
mapfile -t files < <(ls "$RECORDINGS")
mapfile -t tracks < <(printf '%s\n' "${files[@]}" | grep -E '\.mp3$')
[ "${#tracks[@]}" -ge 5 ] || fail "only ${#tracks[@]} tracks: ${files[*]}"
for i in "${!tracks[@]}"; do
  [[ ${tracks[$i]} =~ ^Killed\ Show\ [A-Z][a-z]+\ [0-9]+\ -\ ([0-9]{2})\.mp3$ ]] ||
    fail "a track outside the series: ${tracks[$i]} (all: ${files[*]})"
  [ "$((10#${BASH_REMATCH[1]}))" -eq $((i + 1)) ] || fail "track numbers are not 1, 2, 3 ...: ${tracks[*]}"
  number=$(tag_of "$RECORDINGS${tracks[$i]}" track)
  [ "${number%%/*}" = $((i + 1)) ] || fail "${tracks[$i]} is tagged as track '$number'"
  level=$(rms_level "$RECORDINGS${tracks[$i]}")
  awk "BEGIN{exit !($level > 0.05)}" || fail "${tracks[$i]} is silent (RMS $level)"
done

# The recovered third track carries the title that played when the
# program was killed.
recovered=$RECORDINGS${tracks[2]}
grep -qF "Recovered unfinished recording: $recovered" "${SKYWELL_HOME}log.txt" ||
  fail "track 3 is not the recovered one: $(grep -F Recovered "${SKYWELL_HOME}log.txt")"
[ "$(tag_of "$recovered" title)" = "Night Bridge" ] || fail "the recovered track's title is '$(tag_of "$recovered" title)'"
[ "$(tag_of "$recovered" artist)" = "Mira Lake" ] || fail "the recovered track's artist is '$(tag_of "$recovered" artist)'"
[ "$(tag_of "$recovered" album)" = "Killed Show" ] || fail "the recovered track's album is '$(tag_of "$recovered" album)'"

# One playlist, listing every track once, in order.
mapfile -t playlists < <(printf '%s\n' "${files[@]}" | grep -E '\.m3u$')
[ "${#playlists[@]}" -eq 1 ] || fail "${#playlists[@]} playlists: ${files[*]}"
mapfile -t listed < <(tr -d '\r' <"$RECORDINGS${playlists[0]}" | grep -v '^#'; echo)
[ -z "${listed[-1]}" ] && unset 'listed[-1]'
[ "${#listed[@]}" -eq "${#tracks[@]}" ] || fail "the playlist lists ${#listed[@]} of ${#tracks[@]} tracks: ${listed[*]}"
for i in "${!tracks[@]}"; do
  [ "${listed[$i]}" = "$RECORDINGS${tracks[$i]}" ] || fail "playlist entry $i is '${listed[$i]}'"
done
no_player_no_server
uninstall_and_wait
pass "killed and restarted: ${tracks[*]} in ${playlists[0]}"
