#!/usr/bin/env bash
# Second starts at the same moment: every handed-over file is imported
# exactly once, also when the settings cannot be written; whatever else
# reaches the socket is logged and leaves the instance running.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/instance_lib.sh"
export TZ=Europe/Berlin

start_headless
wait_for_log "Load Program.  Current Version" 10

# Twelve imports at once, each from a start of its own.
for i in $(seq -w 1 12); do
  printf 'Show %s|http://127.0.0.1:8000/s%s.mp3|%s00|%s30|-------|*\n' "$i" "$i" "$i" "$i" >"$E2E_DIR/show$i.skw"
done
pids=()
for i in $(seq -w 1 12); do
  timeout 20 "$SKYWELL_BIN" --headless "$E2E_DIR/show$i.skw" </dev/null 2>"$E2E_DIR/err$i.txt" &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || fail "a parallel import's start failed: $(cat "$E2E_DIR"/err*.txt)"; done
wait_for_log_count "Imported show Show" 12 20
sleep 1
for i in $(seq -w 1 12); do
  [ "$(count_log "Imported show Show $i")" = 1 ] || fail "Show $i imported $(count_log "Imported show Show $i") times"
done
pass "12 parallel imports, each imported exactly once"

# Settings that cannot be written: the import still arrives.
chmod -R a-w "$XDG_CONFIG_HOME"
printf 'Read Only|http://127.0.0.1:8000/ro.mp3|1300|1330|-------|*\n' >"$E2E_DIR/ro.skw"
$PLAIN_USER timeout 20 "$SKYWELL_BIN" --headless "$E2E_DIR/ro.skw" </dev/null || fail "the import's start failed"
chmod -R u+w "$XDG_CONFIG_HOME"
wait_for_log "Imported show Read Only" 10
pass "an import with read-only settings"

# Nonsense from this user's own processes: a log line each, and the
# instance goes on.
socket=$(socket_in "$XDG_RUNTIME_DIR")
send_raw() { socat -u - UNIX-CONNECT:"$socket" 2>/dev/null || true; }
n=0
check_ignored() {
  n=$((n + 1))
  wait_for_log_count "Ignored a request from a second start:" "$n" 15
  process_gone "$SKYWELL_PID" && fail "the instance ended after: $1"
  true
}
printf '' | send_raw; check_ignored "an empty request"
printf 'hello\n' | send_raw; check_ignored "a word"
printf '1042\n' | send_raw; check_ignored "half a request"
printf '1042 906 \n' | send_raw; check_ignored "an import without a file"
printf '1042 902 x y z\n' | send_raw; check_ignored "too many words"
printf '1033\0 513\n' | send_raw; check_ignored "a zero byte"
head -c 100000 /dev/urandom >"$E2E_DIR/random"
send_raw <"$E2E_DIR/random"; check_ignored "random bytes"
head -c 5000000 /dev/zero | tr '\0' 7 >"$E2E_DIR/long"
send_raw <"$E2E_DIR/long"; check_ignored "five megabytes without a line end"
sleep 1 # a connection that sends nothing is closed after a while
socat -u EXEC:"sleep 12" UNIX-CONNECT:"$socket" 2>/dev/null &
E2E_PIDS+=($!)
check_ignored "a connection that sends nothing"
[ "$(count_log "Imported show")" = 13 ] || fail "nonsense was taken for an import"
run_skywell --headless
[ "$STATUS" -eq 0 ] || fail "the instance no longer takes requests"
uninstall_ok "after nonsense"
pass "nonsense on the socket: logged, the instance goes on"
