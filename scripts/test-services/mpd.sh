# Sourced by test.sh: starts a Music Player Daemon on 127.0.0.1 with an
# empty music folder under $TEST_RUNTIME_DIR for the music library tests.
# Exports SKYWELL_TEST_MPD_HOST, SKYWELL_TEST_MPD_PORT, SKYWELL_TEST_MPD_MUSIC.

mpd_dir=$TEST_RUNTIME_DIR/mpd
mkdir -p "$mpd_dir/music" "$mpd_dir/playlists"

# A port nobody listens on.
mpd_port=
for _ in $(seq 1 50); do
  candidate=$((20000 + RANDOM % 20000))
  if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then
    mpd_port=$candidate
    break
  fi
done
[ -n "$mpd_port" ] || { echo "mpd.sh: no free port found" >&2; return 1; }

cat >"$mpd_dir/mpd.conf" <<CONF
music_directory    "$mpd_dir/music"
playlist_directory "$mpd_dir/playlists"
db_file            "$mpd_dir/database"
log_file           "$mpd_dir/mpd.log"
bind_to_address    "127.0.0.1"
port               "$mpd_port"
auto_update        "no"
zeroconf_enabled   "no"
audio_output {
  type "null"
  name "Null output"
}
CONF

mpd --no-daemon "$mpd_dir/mpd.conf" </dev/null >"$mpd_dir/stdout.txt" 2>&1 &
mpd_pid=$!
CLEANUP+=("kill $mpd_pid")

mpd_ready=
for _ in $(seq 1 100); do
  if (exec 3<>"/dev/tcp/127.0.0.1/$mpd_port" && head -c 6 <&3 | grep -q "OK MPD") 2>/dev/null; then
    mpd_ready=1
    break
  fi
  sleep 0.1
done
if [ -z "$mpd_ready" ]; then
  echo "mpd.sh: mpd did not answer on 127.0.0.1:$mpd_port" >&2
  cat "$mpd_dir/stdout.txt" "$mpd_dir/mpd.log" >&2 2>/dev/null
  return 1
fi

export SKYWELL_TEST_MPD_HOST=127.0.0.1
export SKYWELL_TEST_MPD_PORT=$mpd_port
export SKYWELL_TEST_MPD_MUSIC=$mpd_dir/music/
unset mpd_dir mpd_port candidate mpd_pid mpd_ready
