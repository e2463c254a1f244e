#!/usr/bin/env bash
# One instance per program folder, whatever is left in or happens to the
# runtime folder; a start that cannot go on, or whose request does not
# arrive, says why and exits non-zero.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/instance_lib.sh"
export TMPDIR=$E2E_DIR/tmp
mkdir -p "$TMPDIR" "$SKYWELL_HOME" && chmod 1777 "$TMPDIR"
runs() { count_log "Load Program.  Current Version"; }

# An empty lock file left by a killed instance, here and where older
# versions kept it.
: >"${SKYWELL_HOME}skywell.lock"
: >"$XDG_RUNTIME_DIR/skywell-$(id -u)-$(printf '%s' "$SKYWELL_HOME" | sha1sum | cut -c1-12).lock"
start_headless
wait_for_log "Load Program.  Current Version" 10
uninstall_ok "empty lock file"
pass "an empty lock file does not stop a start"

# A lock file nobody may read, left in the program folder.
chmod 000 "${SKYWELL_HOME}skywell.lock"
$PLAIN_USER "$SKYWELL_BIN" --headless </dev/null >"$E2E_DIR/stdout.txt" 2>&1 &
SKYWELL_PID=$!; E2E_PIDS+=("$SKYWELL_PID")
wait_for_log_count "Load Program.  Current Version" 2 10
uninstall_ok "unreadable lock file"
pass "an unreadable lock file of this user does not stop a start"

# A read-only runtime folder: the socket goes to a private folder of this
# user in the temporary folder, where the second start finds it too.
chmod 500 "$XDG_RUNTIME_DIR"
$PLAIN_USER "$SKYWELL_BIN" --headless </dev/null >"$E2E_DIR/stdout.txt" 2>"$E2E_DIR/stderr.txt" &
SKYWELL_PID=$!; E2E_PIDS+=("$SKYWELL_PID")
wait_for_log_count "Load Program.  Current Version" 3 10
before=$(runs)
$PLAIN_USER "$SKYWELL_BIN" --headless </dev/null || fail "second start with a read-only runtime folder failed"
sleep 0.5
[ "$(runs)" = "$before" ] || fail "a second instance ran beside the first (read-only runtime folder)"
[ -S "$(socket_in "$TMPDIR/skywell-$(id -u)")" ] || fail "no socket in the private folder"
[ "$(stat -c %a "$TMPDIR/skywell-$(id -u)")" = 700 ] || fail "the private folder is open to others"
RUN_AS=$PLAIN_USER uninstall_ok "read-only runtime folder"
chmod 700 "$XDG_RUNTIME_DIR"
pass "a read-only runtime folder: one instance, reachable"

# The runtime folder is removed under the running instance (a logout does
# this): a second start runs no second instance, and UNINSTALL still works.
start_headless
wait_for_log_count "Load Program.  Current Version" 4 10
rm -rf "$XDG_RUNTIME_DIR"
before=$(runs)
run_skywell --headless
sleep 1
[ "$(runs)" = "$before" ] || fail "a second instance ran after the runtime folder was removed"
process_gone "$SKYWELL_PID" && fail "the first instance ended"
[ "$STATUS" -eq 0 ] || grep -q . "$E2E_DIR/err.txt" || fail "a failed hand-over said nothing"
uninstall_ok "runtime folder removed"
pass "runtime folder removed under the instance: still one instance, still reachable"

# ... and a start while the runtime folder is missing (the sound library
# may make it again).
rm -rf "$XDG_RUNTIME_DIR"
start_headless
wait_for_log_count "Load Program.  Current Version" 5 10
before=$(runs)
run_skywell --headless
[ "$STATUS" -eq 0 ] || fail "second start without a runtime folder: status $STATUS"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
run_skywell --headless
[ "$STATUS" -eq 0 ] || fail "second start after the runtime folder came back: status $STATUS"
[ "$(runs)" = "$before" ] || fail "a second instance ran beside the first (runtime folder missing)"
uninstall_ok "runtime folder missing at start"
pass "runtime folder missing at start: one instance, reachable"

# The lock is held but nobody answers: the second start says so.
flock -o "${SKYWELL_HOME}skywell.lock" sleep 60 &
E2E_PIDS+=($!)
sleep 0.3
run_skywell --headless "$E2E_DIR/x.skw"
refused_with "did not get the request" "a request nobody takes"
grep -qF "The running Skywell did not get the request:" "${SKYWELL_HOME}log.txt" || fail "the failed hand-over is not in the log"
run_skywell UNINSTALL
refused_with "did not get the request" "an UNINSTALL nobody takes"
kill "${E2E_PIDS[-1]}"
pass "an undelivered request: message and non-zero exit"

# The program folder cannot be made: the start says why.
SKYWELL_HOME=/proc/skywell/ run_skywell --headless
refused_with "Skywell cannot start:" "unusable program folder"
pass "an unusable program folder: message and non-zero exit"

# Another user's folder, lock and socket at this user's name in the
# temporary folder (no XDG_RUNTIME_DIR): never used, never talked to.
if ! make_peer_user; then
  echo "SKIP: the cases with a second user need root"
  exit 0
fi
trap 'remove_peer_user; e2e_cleanup' EXIT
unset XDG_RUNTIME_DIR
chmod 755 "$E2E_DIR"
mkdir -m 777 "$E2E_DIR/peer"
hash=$(printf '%s' "$SKYWELL_HOME" | sha1sum | cut -c1-12)
# Where older versions kept the lock and the socket ...
$AS_PEER touch "$TMPDIR/skywell-$(id -u)-$hash.lock"
$AS_PEER socat -u UNIX-LISTEN:"$TMPDIR/skywell-$(id -u)-$hash.sock",fork OPEN:"$E2E_DIR/peer/got.txt",creat,append &
E2E_PIDS+=($!)
# ... and the private folder of this user.
squat=$TMPDIR/skywell-$(id -u)
rm -rf "$squat"
$AS_PEER mkdir -m 700 "$squat"
$AS_PEER socat -u UNIX-LISTEN:"$(socket_in "$squat")",fork OPEN:"$E2E_DIR/peer/got.txt",creat,append &
E2E_PIDS+=($!)
sleep 0.5
start_headless
wait_for_log_count "Load Program.  Current Version" 6 10
grep -qF "A second start cannot reach this instance:" "${SKYWELL_HOME}log.txt" || fail "the refused folder is not in the log"
grep -qF "cannot reach this instance" "$E2E_DIR/stderr.txt" || fail "the refused folder is not on stderr"
run_skywell UNINSTALL
refused_with "belongs to user $(id -u "$PEER_USER")" "UNINSTALL with another user's folder"
process_gone "$SKYWELL_PID" && fail "the instance ended"
[ -s "$E2E_DIR/peer/got.txt" ] && fail "a request went to the other user's socket"
# The same folder open to everybody.
$AS_PEER chmod 777 "$squat"
run_skywell UNINSTALL
refused_with "belongs to user" "UNINSTALL with another user's open folder"
[ -s "$E2E_DIR/peer/got.txt" ] && fail "a request went to the other user's socket"
kill -TERM "$SKYWELL_PID"
wait_gone "$SKYWELL_PID" 5
pass "another user's folder, lock and socket in the temporary folder: not used, nothing sent there"

# A socket of another user where this user's socket should be (only a
# process that may open this user's files can put it there): the second
# start checks who listens, and the instance checks who talks.
export XDG_RUNTIME_DIR=$E2E_DIR/runtime2
mkdir -m 700 "$XDG_RUNTIME_DIR"
flock -o "${SKYWELL_HOME}skywell.lock" sleep 60 &
holder=$!; E2E_PIDS+=("$holder")
$AS_PEER_REACHING socat -u UNIX-LISTEN:"$(socket_in "$XDG_RUNTIME_DIR")",fork OPEN:"$E2E_DIR/peer/got2.txt",creat,append &
peer=$!; E2E_PIDS+=("$peer")
for _ in $(seq 50); do [ -S "$(socket_in "$XDG_RUNTIME_DIR")" ] && break; sleep 0.1; done
run_skywell UNINSTALL
refused_with "not to this user" "UNINSTALL to another user's socket"
[ -s "$E2E_DIR/peer/got2.txt" ] && fail "a request went to the other user's socket"
kill "$peer" "$holder"; wait "$holder" 2>/dev/null || true
pass "the second start checks the user at the other end"

start_headless
wait_for_log_count "Load Program.  Current Version" 7 10
printf '1042 902\n' | $AS_PEER_REACHING socat -u - UNIX-CONNECT:"$(socket_in "$XDG_RUNTIME_DIR")" 2>/dev/null || true
wait_for_log "Ignored a request from a second start: it came from user $(id -u "$PEER_USER")" 5
sleep 0.5
process_gone "$SKYWELL_PID" && fail "another user's request stopped the instance"
uninstall_ok "another user's request"
pass "the instance checks the user at the other end"
