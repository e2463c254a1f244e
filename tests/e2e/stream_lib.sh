# The prologue of the tests that record "Internet Stream" Shows from
# loopback stations only, with no sink of their own: the helpers of lib.sh,
# showfile_lib.sh and recording_lib.sh. Such a test sources this file alone.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
TEST_SINK=none
source "$(dirname "$0")/recording_lib.sh"

# tone_station_run HZ: the program's folder, a loopback station of HZ
# (TONE_URL) and settings that give a stream 5 s to connect and retune
# after 60 s.
tone_station_run() {
  mkdir -p "$SKYWELL_HOME"
  start_tone_station "$1"
  write_settings 5 60
}
