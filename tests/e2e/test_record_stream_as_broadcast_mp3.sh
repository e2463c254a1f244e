#!/usr/bin/env bash
# An MP3 mount recorded "As broadcast" with a new track at each station
# title: the tracks hold the station's own frames, in order, none lost or
# doubled at a split (against a copy of the mount taken beside the
# recording), each between an ID3v2.4 and an ID3v1 tag naming the title
# that was on air during it, and the playlist lists them with #EXTINF
# lines. No sound server runs.
source "$(dirname "$0")/broadcast_lib.sh"

titles=("The Beacons - Harbour Lights" "Station Jingle" "Mira Lake - Night Bridge")
songs=("Harbour Lights" "Station Jingle" "Night Bridge")

start_icecast
start_source /stream.mp3
url=$ICECAST_URL/stream.mp3
set_title /stream.mp3 "${titles[0]}" || fail "cannot set the first title"
start_reference /stream.mp3 "$E2E_DIR/reference.mp3"
# Recording starts about 10 s from now and ends 90 s from now; the titles
# change 30 and 45 s from now.
schedule_stream_show "Kept Show" "$url" $((0x1000 | 0x7f | OUT_AS_BROADCAST | OPT_TITLE_SPLIT)) "Internet Stream" 45
start_headless
sleep 15
start_titles /stream.mp3 15 "${titles[@]}"
wait_for_log "Stream opened: $url" 30
wait_for_show_end
wait_for_log "Writing playlist" 30
stop_reference /stream.mp3
no_player_no_server

tracks_of "Kept Show" mp3
tracks_follow_titles "Kept Show" "$url" "$TITLES_LOG" "${songs[@]}"
for track in "${TRACKS[@]}"; do
  [ "$(head -c 4 "$track" | od -An -tx1 | tr -d ' \n')" = 49443304 ] || fail "$track does not begin with an ID3v2.4 tag"
  [ "$(tail -c 128 "$track" | head -c 3)" = TAG ] || fail "$track does not end with an ID3v1 tag"
  [ "$(tag_in "$track" album)" = "Kept Show" ] || fail "$track's album is '$(tag_in "$track" album)'"
done
frames_kept "$E2E_DIR/reference.mp3" -- "${TRACKS[@]}"

# The playlist lists the tracks in order, each after an #EXTINF line.
playlist=$(ls "$RECORDINGS" | grep -E '^Kept Show .*\.m3u$') || fail "no playlist: $(ls "$RECORDINGS")"
mapfile -t listed < <(tr -d '\r' <"$RECORDINGS$playlist" | grep -v '^#' | grep -v '^$')
[ "${listed[*]}" = "${TRACKS[*]}" ] || fail "the playlist lists '${listed[*]}'"
[ "$(grep -c '^#EXTINF:' "$RECORDINGS$playlist")" -eq "${#TRACKS[@]}" ] || fail "the playlist lacks #EXTINF lines"
status=$(last_status)
[[ $status == "Last Recording was OK: "* ]] || fail "last status: $status"
uninstall_and_wait
pass "the station's MP3 frames kept in ${#TRACKS[@]} tracks: $FRAMES_FIGURES"
