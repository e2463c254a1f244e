#!/usr/bin/env bash
# Settings that cannot be saved are reported once, with the file and the
# reason, and never claimed as saved. Without a home folder the program
# refuses to start instead of writing into the root of the file system.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/unprivileged_lib.sh"
log=${SKYWELL_HOME}log.txt

# Checks a first start whose settings folder cannot be written: one
# "Settings Error" naming the file and REASON, no claim that they were saved.
check_unsaved_settings() {
  local reason=$1
  wait_for_log "Load Program" 20
  [ "$(grep -c "Settings Error" "$log")" -eq 1 ] || fail "expected one Settings Error, got $(grep -c "Settings Error" "$log")"
  grep -qF "Skywell: Settings Error: settings cannot be saved to $XDG_CONFIG_HOME/Skywell/skywell.ini: $reason" "$log" ||
    fail "the message does not say what, where and why"
  grep -qF "default settings saved." "$log" && fail "unsaved settings were reported as saved"
  grep -qF "First start without a desktop: default settings in use, not saved." "$log" || fail "no word of the defaults"
  return 0
}

# 1. A file where the settings folder should be.
mkdir -p "$XDG_CONFIG_HOME" "$SKYWELL_HOME"
echo x > "$XDG_CONFIG_HOME/Skywell"
start_headless
check_unsaved_settings "Not a directory"
"$SKYWELL_BIN" UNINSTALL
wait_gone "$SKYWELL_PID" 10
pass "a file where the settings folder should be"

# 2. A read-only settings folder, as a user whom its mode stops.
if [ -z "$UNPRIVILEGED" ]; then
  echo "SKIP: no unprivileged user to run the program as"
else
  rm -rf "$XDG_CONFIG_HOME/Skywell" "$SKYWELL_HOME"
  mkdir -p "$XDG_CONFIG_HOME/Skywell" "$SKYWELL_HOME"
  give_to_user "$E2E_DIR"
  chmod 555 "$XDG_CONFIG_HOME/Skywell"
  start_headless_as_user
  check_unsaved_settings "Permission denied"
  as_user "$SKYWELL_BIN" UNINSTALL
  wait_gone "$SKYWELL_PID" 10
  [ -z "$(ls -A "$XDG_CONFIG_HOME/Skywell")" ] || fail "something was written into the read-only folder"
  pass "a read-only settings folder"
fi

# 3. No home and no SKYWELL_HOME: a message and a non-zero exit, nothing
#    written into "/" (nor into the current folder).
had_config=no had_data=no
[ -e /.config/Skywell ] && had_config=yes
[ -e /.local/share/Skywell ] && had_data=yes
mkdir -p "$E2E_DIR/cwd"
status=0
(cd "$E2E_DIR/cwd" && env -u HOME -u SKYWELL_HOME -u XDG_CONFIG_HOME -u XDG_DATA_HOME \
  timeout 10 "$SKYWELL_BIN" --headless </dev/null >"$E2E_DIR/nohome.txt" 2>&1) || status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "exit status $status without a home"
grep -q "no home folder" "$E2E_DIR/nohome.txt" || fail "no message without a home: $(cat "$E2E_DIR/nohome.txt")"
[ "$had_config" = yes ] || [ ! -e /.config/Skywell ] || fail "wrote /.config/Skywell"
[ "$had_data" = yes ] || [ ! -e /.local/share/Skywell ] || fail "wrote /.local/share/Skywell"
[ -z "$(ls -A "$E2E_DIR/cwd")" ] || fail "wrote into the current folder"
# HOME=/ is no home either.
status=0
(cd "$E2E_DIR/cwd" && HOME=/ env -u SKYWELL_HOME -u XDG_CONFIG_HOME -u XDG_DATA_HOME \
  timeout 10 "$SKYWELL_BIN" --headless </dev/null >"$E2E_DIR/nohome.txt" 2>&1) || status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "exit status $status with HOME=/"

# With SKYWELL_HOME it runs, and its settings go there.
rm -rf "$SKYWELL_HOME"
env -u HOME -u XDG_CONFIG_HOME -u XDG_DATA_HOME "$SKYWELL_BIN" --headless </dev/null >"$E2E_DIR/out.txt" 2>&1 &
pid=$!
E2E_PIDS+=("$pid")
wait_for_log "Load Program" 20
env -u HOME -u XDG_CONFIG_HOME -u XDG_DATA_HOME "$SKYWELL_BIN" UNINSTALL
wait_gone "$pid" 10
grep -q "First%20Time=0" "${SKYWELL_HOME}.config/Skywell/skywell.ini" || fail "settings not in SKYWELL_HOME"
[ "$had_config" = yes ] || [ ! -e /.config/Skywell ] || fail "wrote /.config/Skywell"
pass "no home folder"
