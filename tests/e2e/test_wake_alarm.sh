#!/usr/bin/env bash
# Waking the computer for a Show. An ordinary user's program says plainly,
# once, that it cannot and how to allow it; a copy installed as root
# carries cap_wake_alarm, and run by that user it arms the alarm clock for
# the next Show (the kernel shows the armed CLOCK_REALTIME_ALARM timer).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
source "$(dirname "$0")/unprivileged_lib.sh"
: "${SKYWELL_BUILD_DIR:?}"
log=${SKYWELL_HOME}log.txt
wake_text="Skywell cannot wake this computer from sleep"
[ -n "$UNPRIVILEGED" ] || { echo "SKIP: no unprivileged user to run the program as"; exit 0; }

# One Show an hour from now, so that the alarm has a time to be set to.
start=$(($(date +%s) + 3600))
mkdir -p "$SKYWELL_HOME"
show_record "Wake Show" "http://127.0.0.1:9/stream.mp3" $((0x400)) "$start" $((start + 600)) 0 0 1 0 \
  >"${SKYWELL_HOME}Skywell5.dat"
give_to_user "$E2E_DIR"

# Runs BIN as the ordinary user until start-up is over; leaves SKYWELL_PID.
run_as_user() {
  rm -f "$log"
  SKYWELL_BIN=$1 start_headless_as_user
  wait_for_log "Load Program.  Current Version 5.02" 20
}
stop_as_user() {
  as_user "$1" UNINSTALL </dev/null
  wait_gone "$SKYWELL_PID" 10
}

# 1. The program as built: no permission to wake the computer.
run_as_user "$SKYWELL_BIN"
stop_as_user "$SKYWELL_BIN"
[ "$(grep -cF "$wake_text" "$log")" -eq 1 ] || fail "the plain wake message is not there exactly once"
grep -qF "To allow it, run as root: setcap cap_wake_alarm+ep $(readlink -f "$SKYWELL_BIN")" "$log" ||
  fail "the wake message does not say how to allow it"
pass "an ordinary user's program says it cannot wake the computer and how to allow it"

# 2. Installed: as root the program gets the capability; otherwise the
#    install goes on and says what to run.
prefix=$E2E_DIR/prefix
cmake --install "$SKYWELL_BUILD_DIR" --prefix "$prefix" >"$E2E_DIR/install.txt" 2>&1 ||
  { cat "$E2E_DIR/install.txt" >&2; fail "cmake --install failed"; }
installed=$prefix/bin/skywell
if [ "$(id -u)" -ne 0 ]; then
  grep -qF "run as root: setcap cap_wake_alarm+ep $installed" "$E2E_DIR/install.txt" ||
    fail "an install without root does not say what to run: $(cat "$E2E_DIR/install.txt")"
  echo "SKIP: not root: the install cannot give the program the capability to wake the computer"
  exit 0
fi
if ! getcap "$installed" | grep -q cap_wake_alarm; then
  # Only a file system without capability attributes (or a kernel without
  # them) stops root here; the install says why.
  grep -F "cannot wake" "$E2E_DIR/install.txt" >&2 || fail "setcap failed without a word"
  echo "SKIP: this file system cannot hold the capability: $(grep -F "cannot wake" "$E2E_DIR/install.txt")"
  exit 0
fi
run_as_user "$installed"
[ "$(awk '/^Uid:/ { print $2 }' "/proc/$SKYWELL_PID/status")" = "$(id -u "$UNPRIVILEGED")" ] ||
  fail "the installed program does not run as $UNPRIVILEGED"
! grep -qF "CreateWaitableTimer failed" "$log" || fail "the installed program could not create its alarm"
! grep -qF "$wake_text" "$log" || fail "the installed program says it cannot wake the computer"
# The kernel's view of the program's timers: one alarm clock
# (CLOCK_REALTIME_ALARM is clock 8) armed to go off before the Show.
armed=$(grep -l '^clockid: 8$' /proc/"$SKYWELL_PID"/fdinfo/* 2>/dev/null | head -1)
[ -n "$armed" ] || fail "the installed program holds no alarm clock timer"
seconds=$(sed -n 's/^it_value: (\([0-9]*\),.*/\1/p' "$armed")
[ "${seconds:-0}" -gt 3000 ] && [ "$seconds" -lt 3600 ] || fail "the alarm is not set before the Show: $(cat "$armed")"
stop_as_user "$installed"
pass "the installed program, run by $UNPRIVILEGED, arms the alarm for the next Show"
