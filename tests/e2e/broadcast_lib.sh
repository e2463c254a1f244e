# Helpers of the tests of streams recorded as broadcast (the station's own
# frames kept, no re-encoding): copies of a mount taken beside the
# recording, and the checks of the track files against them. Brings the
# libraries these tests share.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/showfile_lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/icecast_lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/recording_lib.sh"
OUT_AS_BROADCAST=$((0x8000000))
OPT_TITLE_SPLIT=$((0x1000000))
FRAMECHECK=$(dirname "${BASH_SOURCE[0]}")/framecheck.py
declare -A REFERENCE_PGIDS=()

# start_reference MOUNT FILE: ffmpeg copies MOUNT as it comes into FILE
# (its extension picks the container: .mp3, .ogg, .opus, .aac) until
# stop_reference, or until icecast drops the mount.
start_reference() {
  local format
  case $2 in
    *.mp3) format=(-id3v2_version 0 -write_xing 0 -f mp3) ;;
    *.ogg | *.opus) format=(-f ogg) ;;
    *.aac) format=(-f adts) ;;
    *) fail "start_reference: no container for $2" ;;
  esac
  setsid ffmpeg -nostdin -hide_banner -loglevel error -i "$ICECAST_URL$1" -map 0:a:0 -c copy "${format[@]}" -y "$2" \
    </dev/null >>"$ICECAST_DIR/reference-${1//\//}.log" 2>&1 &
  REFERENCE_PGIDS[$1]=$!
  E2E_PIDS+=("$!")
  disown "$!"
}

# stop_reference MOUNT: the copy of MOUNT ends cleanly (its file complete).
stop_reference() {
  local pgid=${REFERENCE_PGIDS[$1]}
  kill -INT -- "-$pgid" 2>/dev/null || true
  wait_gone "$pgid" 10
}

# schedule_stream_shows SECONDS FLAGS NAME URL [NAME URL ...]: like
# schedule_stream_show, one "Internet Stream" Show per NAME and URL, all at
# the same time.
schedule_stream_shows() {
  local seconds=$1 flags=$2 serial=0
  shift 2
  write_settings 5 60
  SHOW_START=$(($(date +%s) + 15))
  SHOW_END=$((SHOW_START + seconds))
  : >"$DAT"
  while [ $# -gt 0 ]; do
    serial=$((serial + 1))
    SHOW_SOURCE="Internet Stream" show_record "$1" "$2" "$flags" "$SHOW_START" "$SHOW_END" 0 0 "$serial" 0 >>"$DAT"
    shift 2
  done
}

# tracks_of NAME EXT: sets TRACKS to the paths of the Show NAME's tracks
# ending in .EXT, in their order.
tracks_of() {
  mapfile -t TRACKS < <(ls "$RECORDINGS" | grep -E "^$1 .*\.$2\$" | sed "s|^|$RECORDINGS|")
}

# frames_kept REFERENCE... -- TRACK...: the tracks hold the references'
# frames in order, none lost or doubled (framecheck.py).
frames_kept() {
  FRAMES_FIGURES=$(python3 "$FRAMECHECK" "$@" 2>&1) || fail "frames of the station not kept: $FRAMES_FIGURES"
  FRAMES_FIGURES=$(tail -n 1 <<<"$FRAMES_FIGURES")
}

# plays FILE: ffmpeg decodes FILE to its end without a word of error.
plays() {
  local errors
  errors=$(ffmpeg -nostdin -v error -i "$1" -f null - 2>&1) || fail "$1 does not play: $errors"
  [ -z "$errors" ] || fail "$1 plays with errors: $(head -n 5 <<<"$errors")"
}

# ogg_whole FILE: FILE is an Ogg stream of its own that ogginfo finds
# without a fault, its first page the codec's identification header.
ogg_whole() {
  local report
  report=$(ogginfo "$1" 2>&1) || fail "ogginfo rejects $1: $report"
  ! grep -qE 'WARNING|ERROR|Error|error' <<<"$report" || fail "ogginfo on $1: $(grep -E 'WARNING|ERROR|rror' <<<"$report" | head -n 5)"
  python3 - "$1" <<'PY' || fail "$1 does not begin with its codec's headers"
import sys
d = open(sys.argv[1], 'rb').read(64)
n = d[26] if len(d) > 27 else 0
packet = d[27 + n:]
sys.exit(not (d[:4] == b'OggS' and d[5] & 2 and (packet.startswith(b'\x01vorbis') or packet.startswith(b'OpusHead'))))
PY
}

# tag_in FILE KEY: the tag KEY (title, artist, album ...) of FILE as ffprobe
# reads it, from the container (ID3) or the stream (Vorbis comments).
tag_in() {
  ffprobe -v error -show_entries format_tags:stream_tags -of json "$1" | python3 -c '
import json, sys
d = json.load(sys.stdin)
tags = {}
for s in d.get("streams", []):
    tags.update({k.lower(): v for k, v in s.get("tags", {}).items()})
tags.update({k.lower(): v for k, v in d.get("format", {}).get("tags", {}).items()})
print(tags.get(sys.argv[1], ""))' "$2"
}

# Seconds of audio in FILE, as ffmpeg decodes it.
decoded_seconds() {
  ffmpeg -nostdin -v error -i "$1" -ac 1 -ar 8000 -f s16le - 2>/dev/null | wc -c | awk '{printf "%.1f\n", $1 / 16000}'
}

# show_log_time TEXT NAME: seconds since 1970 of the first log line with
# TEXT that names the Show NAME.
show_log_time() {
  local line
  line=$(grep -F -- "$1" "${SKYWELL_HOME}log.txt" | grep -F -- "$2" | head -n 1)
  [ -n "$line" ] || fail "no log line with '$1' for $2"
  date -d "$(echo "$line" | awk '{print $1, $2, $3, $4, $5}')" +%s
}

# tracks_follow_titles NAME URL TITLES_LOG SONG...: TRACKS (one per title in
# TITLES_LOG, in order) each carry the song on air while it was recorded
# (its title tag is SONG; "Artist - Title" titles also give the artist)
# and last as long as it was on air during the recording, with the
# margins of test_record_stream_titles.sh; each plays.
tracks_follow_titles() {
  local name=$1 url=$2 log=$3 i track seconds from latest to title artist expected started opened stopped changed titles
  shift 3
  mapfile -t changed < <(cut -f1 "$log")
  mapfile -t titles < <(cut -f2 "$log")
  [ "${#TRACKS[@]}" -eq "${#titles[@]}" ] || fail "${#TRACKS[@]} tracks for ${#titles[@]} titles: ${TRACKS[*]}"
  started=$(show_log_time "Capture started:" "$name")
  opened=$(log_time "Stream opened: $url") || fail "no 'Stream opened: $url' line"
  stopped=$(show_log_time "End Recording" "$name")
  for i in "${!TRACKS[@]}"; do
    track=${TRACKS[$i]}
    plays "$track"
    title=$(tag_in "$track" title)
    [ "$title" = "$1" ] || fail "$track is titled '$title', the station played '${titles[$i]}'"
    if [[ ${titles[$i]} == *" - "* ]]; then
      expected=${titles[$i]%% - *}
      artist=$(tag_in "$track" artist)
      [ "$artist" = "$expected" ] || fail "$track's artist is '$artist', the station played '${titles[$i]}'"
    fi
    shift
    seconds=$(decoded_seconds "$track")
    from=$([ "$i" -eq 0 ] && echo "$started" || echo "${changed[$i]}")
    latest=$([ "$i" -eq 0 ] && echo "$opened" || echo "${changed[$i]}")
    to=$([ "$i" -eq $((${#TRACKS[@]} - 1)) ] && echo "$stopped" || echo "${changed[$((i + 1))]}")
    awk "BEGIN{exit !($seconds > $to - $latest - 8 && $seconds < $to - $from + 4)}" ||
      fail "$track is $seconds s long, its title played $((to - from)) s of the recording"
  done
}
