#!/usr/bin/env bash
# A Show recorded from an MP3 mount with "New track when the title changes"
# on: the station's title changes every 20 s, and each title becomes a
# track of its own whose ID3v2.4 tag carries it ("Artist - Title" gives
# artist and title; a title without " - " gives the title; the album is
# the Show's name), listed in the playlist with an #EXTINF line. No sound
# server runs.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/icecast_lib.sh"
source "$(dirname "$0")/recording_lib.sh"

titles=("The Beacons - Harbour Lights" "Station Jingle" "Mira Żółkiewska - Łódź o północy" "Night Owls - Last Call")
artists=("The Beacons" "" "Mira Żółkiewska" "Night Owls")
songs=("Harbour Lights" "Station Jingle" "Łódź o północy" "Last Call")

start_icecast
start_source /stream.mp3
url=$ICECAST_URL/stream.mp3
set_title /stream.mp3 "${titles[0]}" || fail "cannot set the first title"
# Recording starts about 10 s from now and ends 95 s from now; the titles
# change 35, 55 and 75 s from now: tracks of about 20 s each.
schedule_stream_show "Title Show" "$url" $((0x1000 | 0x7f | 0x400 | 0x1000000)) "Internet Stream" 50
start_headless
sleep 15
start_titles /stream.mp3 20 "${titles[@]}"

wait_for_log "Start Recording Title Show" 30
wait_for_log "Stream opened: $url" 30
wait_for_log "Station title: ${titles[0]}" 15
no_player_no_server
wait_for_show_end
wait_for_log "Writing playlist" 30
for title in "${titles[@]}"; do
  grep -qF "Station title: $title" "${SKYWELL_HOME}log.txt" || fail "no 'Station title: $title' line"
done

mapfile -t changed < <(cut -f1 "$TITLES_LOG")
started=$(log_time "Capture started:")
opened=$(log_time "Stream opened:")
stopped=$(log_time "End Recording")
mapfile -t tracks < <(ls "$RECORDINGS" | grep -E '^Title Show .*\.mp3$')
[ "${#tracks[@]}" -eq "${#titles[@]}" ] || fail "${#tracks[@]} tracks for ${#titles[@]} titles: ${tracks[*]}"
for i in "${!tracks[@]}"; do
  track=$RECORDINGS${tracks[$i]}
  [ "$(head -c 4 "$track" | od -An -tx1 | tr -d ' \n')" = 49443304 ] || fail "track $i does not begin with an ID3v2.4 tag"
  title=$(tag_of "$track" title)
  artist=$(tag_of "$track" artist)
  [ "$title" = "${songs[$i]}" ] || fail "track $i is titled '$title', the station played '${titles[$i]}'"
  [ -z "${artists[$i]}" ] || [ "$artist" = "${artists[$i]}" ] ||
    fail "track $i's artist is '$artist', the station played '${titles[$i]}'"
  [ "$(tag_of "$track" album)" = "Title Show" ] || fail "track $i's album is '$(tag_of "$track" album)'"
  number=$(tag_of "$track" track)
  [ "${number%%/*}" = $((i + 1)) ] || fail "track $i's number is '$number'"
  seconds=$(mp3_seconds "$track")
  # A track lasts as long as its title played while the program recorded
  # (the station's titles reach a listener a few seconds late).
  # The first one begins between the start of capture and the stream's
  # opening.
  from=$([ "$i" -eq 0 ] && echo "$started" || echo "${changed[$i]}")
  latest=$([ "$i" -eq 0 ] && echo "$opened" || echo "${changed[$i]}")
  to=$([ "$i" -eq $((${#tracks[@]} - 1)) ] && echo "$stopped" || echo "${changed[$((i + 1))]}")
  awk "BEGIN{exit !($seconds > $to - $latest - 8 && $seconds < $to - $from + 4)}" ||
    fail "track $i is $seconds s long, its title played $((to - from)) s of the recording"
  level=$(rms_level "$track")
  awk "BEGIN{exit !($level > 0.05)}" || fail "track $i is silent (RMS $level)"
done

# The playlist lists the tracks in order, each after an #EXTINF line with
# its station title.
playlist=$(ls "$RECORDINGS" | grep -E '^Title Show .*\.m3u$') || fail "no playlist: $(ls "$RECORDINGS")"
mapfile -t lines < <(tr -d '\r' <"$RECORDINGS$playlist"; echo)
listed=0 extinf=
for line in "${lines[@]}"; do
  case $line in
    '#EXTINF:'*) extinf=$line ;;
    '#'* | '') ;;
    *)
      [ "$line" = "$RECORDINGS${tracks[$listed]}" ] || fail "playlist entry $listed: $line"
      [[ $extinf == *"${songs[$listed]}"* ]] || fail "the #EXTINF line of entry $listed: '$extinf'"
      extinf=
      listed=$((listed + 1))
      ;;
  esac
done
[ "$listed" -eq "${#tracks[@]}" ] || fail "the playlist lists $listed of ${#tracks[@]} tracks"
no_player_no_server
uninstall_and_wait
pass "one track per station title, each tagged: ${tracks[*]}"
