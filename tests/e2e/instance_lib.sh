# Helpers of the single-instance tests (sourced after lib.sh).

# Command prefixes (used unquoted, so that a background job's $! is the
# program itself). PLAIN_USER runs a command the way an ordinary user
# would: as root, without the capabilities that let root write to
# read-only files and folders.
PLAIN_USER=
[ "$(id -u)" -ne 0 ] || PLAIN_USER="setpriv --bounding-set=-dac_override,-dac_read_search,-fowner --"

# The second local user: make_peer_user creates it (once) and sets AS_PEER,
# and AS_PEER_REACHING, which may still open this user's private files (as
# a process of that user with CAP_DAC_OVERRIDE could), so that only the
# check of the user at the other end of a socket stands in its way.
# Returns non-zero when not root.
PEER_USER=skywell-peer
PEER_CREATED=
make_peer_user() {
  [ "$(id -u)" -eq 0 ] || return 1
  if ! id "$PEER_USER" >/dev/null 2>&1; then
    useradd --system --no-create-home --shell /usr/sbin/nologin "$PEER_USER" || return 1
    PEER_CREATED=1
  fi
  AS_PEER="setpriv --reuid=$PEER_USER --regid=$PEER_USER --clear-groups --"
  AS_PEER_REACHING="setpriv --reuid=$PEER_USER --regid=$PEER_USER --clear-groups --inh-caps=+dac_override --ambient-caps=+dac_override --"
}
remove_peer_user() { [ -z "$PEER_CREATED" ] || userdel "$PEER_USER" 2>/dev/null || true; }

# The socket a start of this program folder uses in FOLDER.
socket_in() {
  local hash
  hash=$(printf '%s' "$SKYWELL_HOME" | sha1sum | cut -c1-12)
  echo "$1/skywell-$(id -u)-$hash.sock"
}

# Runs skywell with ARGS (after the prefix $RUN_AS), expecting it to end
# within 15 s; sets STATUS and leaves its stderr in $E2E_DIR/err.txt.
RUN_AS=
run_skywell() {
  STATUS=0
  $RUN_AS timeout 15 "$SKYWELL_BIN" "$@" </dev/null >/dev/null 2>"$E2E_DIR/err.txt" || STATUS=$?
}

# Expects the last run_skywell to have failed with a message containing TEXT.
refused_with() {
  [ "$STATUS" -ne 0 ] && [ "$STATUS" -ne 124 ] || fail "$2: exit status $STATUS, expected a refusal"
  grep -qF -- "$1" "$E2E_DIR/err.txt" || { cat "$E2E_DIR/err.txt" >&2; fail "$2: no message '$1'"; }
}

count_log() { grep -cF -- "$1" "${SKYWELL_HOME}log.txt" 2>/dev/null || true; }

# Stops the headless run with UNINSTALL and checks that it ended cleanly.
uninstall_ok() {
  run_skywell UNINSTALL
  [ "$STATUS" -eq 0 ] || { cat "$E2E_DIR/err.txt" >&2; fail "$1: UNINSTALL exit status $STATUS"; }
  wait_gone "$SKYWELL_PID" 5
  wait "$SKYWELL_PID" || fail "$1: the run exited with an error"
}
