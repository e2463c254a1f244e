#!/usr/bin/env bash
# Five Shows recorded "As broadcast" at once, each with a new track at each
# station title: an Ogg Vorbis and an Ogg Opus mount whose titles come in
# the stream (chained Ogg), an AAC mount and one whose ADTS frames carry a
# CRC, with titles from icecast. Each keeps its station's frames in order,
# none lost or doubled at a split, in tracks of the codec's extension
# tagged with the title on air; each Ogg track is a whole Ogg stream that
# begins with its headers. The fifth, an Ogg FLAC mount, cannot be kept as
# sent: it is recorded as MP3, with one log line saying so.
source "$(dirname "$0")/broadcast_lib.sh"

titles=("The Beacons - Harbour Lights" "Station Jingle" "Mira Lake - Night Bridge")
songs=("Harbour Lights" "Station Jingle" "Night Bridge")
# name, mount, extension of its tracks
shows=("Vorbis Show" /vorbis.ogg ogg "Opus Show" /opus.opus opus "Aac Show" /aac.aac aac "Crc Show" /aac-crc.aac aac)

start_icecast
make_chain /vorbis.ogg 35 15 "${songs[@]}"
make_chain /opus.opus 35 15 "${songs[@]}"
# The Ogg links change about 33 and 48 s from now, icecast's titles about
# 30 and 45 s from now; recording runs from about 12 to 92 s from now.
TITLES_LOG=$ICECAST_DIR/titles-vorbis.txt start_chained_source /vorbis.ogg
TITLES_LOG=$ICECAST_DIR/titles-opus.txt start_chained_source /opus.opus
for mount in /aac.aac /aac-crc.aac; do
  start_source "$mount"
  set_title "$mount" "${titles[0]}" || fail "cannot set the first title of $mount"
done
start_source /flac.flac
args=()
for ((i = 0; i < ${#shows[@]}; i += 3)); do
  start_reference "${shows[i + 1]}" "$E2E_DIR/reference-${shows[i + 1]#/}"
  args+=("${shows[i]}" "$ICECAST_URL${shows[i + 1]}")
done
schedule_stream_shows 45 $((0x1000 | 0x7f | OUT_AS_BROADCAST | OPT_TITLE_SPLIT)) "${args[@]}" \
  "Flac Show" "$ICECAST_URL/flac.flac"
start_headless
sleep 15
TITLES_LOG=$ICECAST_DIR/titles-aac.txt start_titles /aac.aac 15 "${titles[@]}"
TITLES_LOG=$ICECAST_DIR/titles-aac-crc.txt start_titles /aac-crc.aac 15 "${titles[@]}"
wait_for_log_count "End Recording" 5 $((SHOW_END + 30 - $(date +%s) + 60))
for i in 0 1 2 3 4; do wait_for_new_status "$i"; done
figures=()
for ((i = 0; i < ${#shows[@]}; i += 3)); do
  name=${shows[i]} mount=${shows[i + 1]} ext=${shows[i + 2]}
  stop_reference "$mount"
  tracks_of "$name" "$ext"
  log=$ICECAST_DIR/titles-${mount#/}
  tracks_follow_titles "$name" "$ICECAST_URL$mount" "${log%.*}.txt" "${songs[@]}"
  for track in "${TRACKS[@]}"; do
    case $ext in
      ogg | opus) ogg_whole "$track" ;;
      aac) [ "$(head -c 4 "$track" | od -An -tx1 | tr -d ' \n')" = 49443304 ] || fail "$track does not begin with an ID3v2.4 tag" ;;
    esac
  done
  frames_kept "$E2E_DIR/reference-${mount#/}" -- "${TRACKS[@]}"
  [[ $(last_status $((i / 3))) == "Last Recording was OK: "* ]] || fail "last status of $name: $(last_status $((i / 3)))"
  figures+=("$name: ${#TRACKS[@]} .$ext tracks, $FRAMES_FIGURES")
done

# FLAC: one MP3 track with the station's sound, and one line that says why.
tracks_of "Flac Show" mp3
[ "${#TRACKS[@]}" -eq 1 ] || fail "Flac Show left ${#TRACKS[@]} MP3 tracks: $(ls "$RECORDINGS")"
ls "$RECORDINGS" | grep -E '^Flac Show .*\.(ogg|flac|opus|aac)$' && fail "Flac Show left a file kept as sent"
plays "${TRACKS[0]}"
level=$(rms_level "${TRACKS[0]}")
awk "BEGIN{exit !($level > 0.05)}" || fail "the FLAC stream's MP3 is silent (RMS $level)"
[ "$(grep -F "Flac Show" "${SKYWELL_HOME}log.txt" | grep -cF "as MP3")" -eq 1 ] ||
  fail "not one line saying the FLAC stream is recorded as MP3"
no_player_no_server
uninstall_and_wait
pass "kept as sent: $(printf '%s; ' "${figures[@]}")FLAC as MP3 (RMS $level)"
