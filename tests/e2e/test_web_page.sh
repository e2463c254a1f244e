#!/usr/bin/env bash
# The web page in a real browser: a headless chromium adds a Show through
# the page of skywell --headless --web, records it from a loopback station
# with Record Now, stops it, plays the recording in the page and deletes it.
# Screenshots at phone and desktop widths go to the build folder.
source "$(dirname "$0")/stream_lib.sh"

tone_station_run 440
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
start_headless --web "127.0.0.1:$port"
for ((i = 0; i < 300; i++)); do
  curl -sf -o /dev/null "http://127.0.0.1:$port/" && break
  process_gone "$SKYWELL_PID" && fail "the program ended: $(cat "$E2E_DIR/stderr.txt")"
  sleep 0.1
done
curl -sf -o /dev/null "http://127.0.0.1:$port/" || fail "the page is not served on port $port"

shots=${SKYWELL_BUILD_DIR:-$E2E_DIR}
/usr/bin/python3 "$(dirname "$0")/test_web_page.py" "http://127.0.0.1:$port" "$TONE_URL" "$RECORDINGS" "$shots" ||
  fail "the page in the browser"
process_gone "$SKYWELL_PID" && fail "the program ended"
refused=$(grep -cF "Web request refused" "${SKYWELL_HOME}log.txt" || true)
[ "$refused" -ge 5 ] || fail "the hostile requests left $refused log lines, not one each"
uninstall_and_wait
pass "the web page in chromium; screenshots $shots/web-page-phone.png and $shots/web-page-desktop.png"
