# Helpers of the direct-download tests: the program's folders and a web
# server with paced files and a live station. Sourced after lib.sh and
# showfile_lib.sh; no sound server is needed.
mkdir -p "$SKYWELL_HOME"
TEST_SINK=unused
source "$(dirname "${BASH_SOURCE[0]}")/recording_lib.sh"
SERVED=$E2E_DIR/served
mkdir -p "$SERVED"

# start_download_server RATE: serves $SERVED/NAME as /files/NAME at RATE
# bytes a second, and /live; sets DL_PORT.
start_download_server() {
  python3 "$(dirname "${BASH_SOURCE[0]}")/downloadserver.py" "$SERVED" "$E2E_DIR/port" "$1" \
    </dev/null >"$E2E_DIR/server.log" 2>&1 &
  E2E_PIDS+=($!)
  local i
  for ((i = 0; i < 100; i++)); do [ -s "$E2E_DIR/port" ] && break; sleep 0.1; done
  DL_PORT=$(cat "$E2E_DIR/port" 2>/dev/null) || fail "the web server did not start"
}

# The flags of a daily Direct Download Show.
DIRECT_DAILY=$((0x1000 | 0x7f | 0x40000))
