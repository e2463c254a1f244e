#!/usr/bin/env bash
# The URL Finder's browser is a program of its own (skywell-urlfinder) on a
# real X server with a window manager:
# - skywell links no web engine;
# - a stream a station's page on 127.0.0.1 links to, found in the finder's
#   browser, lands in a new Show (urlfindercheck drives the main window);
# - skywell, with the URL Finder open while a Show records from the stream,
#   outlives a killed browser and the recording ends OK; as root only the
#   browser's processes leave Chromium's sandbox off.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/icecast_lib.sh"
source "$(dirname "$0")/recording_lib.sh"
FINDER_BIN=$SKYWELL_BUILD_DIR/skywell-urlfinder
CHECK_BIN=$SKYWELL_BUILD_DIR/tests/ui/urlfindercheck
[ -x "$FINDER_BIN" ] || fail "no skywell-urlfinder in $SKYWELL_BUILD_DIR"
[ -x "$CHECK_BIN" ] || fail "no urlfindercheck in $SKYWELL_BUILD_DIR/tests/ui"

libraries=$(ldd "$SKYWELL_BIN")
grep -i webengine <<<"$libraries" && fail "skywell links a web engine"
libraries=$(ldd "$FINDER_BIN")
grep -qi webengine <<<"$libraries" || fail "skywell-urlfinder links no web engine"
pass "skywell links no web engine"

DESKTOP_SCREEN=1280x1024x24
source "$(dirname "$0")/desktop_lib.sh"

# The check finds skywell-urlfinder beside itself, as skywell does.
mkdir -p "$E2E_DIR/bin" "$RECORDINGS"
cp "$CHECK_BIN" "$E2E_DIR/bin/"
ln -s "$FINDER_BIN" "$E2E_DIR/bin/skywell-urlfinder"
write_settings 5 60
printf '[General]\nAddShowHint=1\nNotPreferredHint=1\n' >"$XDG_CONFIG_HOME/Skywell/Skywell5.ini"
timeout 300 "$E2E_DIR/bin/urlfindercheck" >"$E2E_DIR/check.txt" 2>&1 ||
  fail "the found stream did not reach a new Show: $(grep -v '^\[' "$E2E_DIR/check.txt" | tail -n 20)"
found=$(field "$DAT" 132 'Z*')
[[ $found == http://127.0.0.1:*/listen.pls ]] || fail "the Show file's address is '$found'"
pass "the stream the finder found is the new Show's address in the Show file: $found"

# A Show records from the stream while the URL Finder is open.
start_icecast
start_source /stream.mp3
url=$ICECAST_URL/stream.mp3
schedule_stream_show "Finder Show" "$url" $((0x1000 | 0x7f | 0x400)) "Internet Stream" 40
"$SKYWELL_BIN" </dev/null >"$E2E_DIR/gui.txt" 2>&1 &
SKYWELL_PID=$!
E2E_PIDS+=("$SKYWELL_PID")
main=$(wait_for_main_window "$SKYWELL_PID" 30) || fail "no main window"
wait_for_log "Stream opened: $url" 60
# The URL Finder button (the window's fixed layout).
finder=""
for ((i = 0; i < 600; i++)); do
  finder=$(pgrep -P "$SKYWELL_PID" -f skywell-urlfinder) && break
  ((i % 50 == 0)) && xdotool mousemove --window "$main" 491 428 click 1
  sleep 0.1
done
[ -n "$finder" ] || fail "the URL Finder started no browser; windows: $(for w in $(xdotool search --onlyvisible --pid "$SKYWELL_PID" 2>/dev/null); do xdotool getwindowname "$w"; done)"
for ((i = 0; i < 600; i++)); do
  xdotool search --onlyvisible --pid "$finder" --name 'Skywell URL Finder - Browser' >/dev/null 2>&1 && break
  sleep 0.1
done
xdotool search --onlyvisible --pid "$finder" --name 'Skywell URL Finder - Browser' >/dev/null 2>&1 ||
  fail "the browser window did not open"
if [ "$(id -u)" -eq 0 ]; then
  # Chromium's own processes run without the sandbox; skywell never heard of it.
  sandbox_off=""
  for pid in $(pgrep -f QtWebEngineProcess); do
    tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q -- '--no-sandbox' && sandbox_off=1
  done
  [ -n "$sandbox_off" ] || fail "the browser's processes run as root without --no-sandbox"
  tr '\0' '\n' <"/proc/$SKYWELL_PID/environ" | grep -q '^QTWEBENGINE' && fail "skywell got a web engine setting"
  tr '\0' ' ' <"/proc/$SKYWELL_PID/cmdline" | grep -q -- 'sandbox' && fail "skywell got the sandbox switch"
fi
kill -KILL "$finder"
sleep 2
process_gone "$SKYWELL_PID" && fail "skywell ended with its URL Finder's browser"
wait_for_show_end
one_track_checked "Finder Show"
status=$(last_status)
[[ $status == "Last Recording was OK: "* ]] || fail "last status: $status"
process_gone "$SKYWELL_PID" && fail "skywell ended"
uninstall_and_wait
pass "a killed URL Finder browser left skywell and its recording alone: $TRACK_SECONDS s, '$status'"
