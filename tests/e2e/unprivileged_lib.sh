# Runs the program as an unprivileged user, so that permission bits count
# even when the tests run as root. as_user CMD... runs CMD as that user in
# the foreground; give_to_user PATH... hands files over to it. UNPRIVILEGED is empty when
# no such user can be had (the caller skips what needs one).
UNPRIVILEGED=
AS_USER=()
if [ "$(id -u)" -ne 0 ]; then
  UNPRIVILEGED=$(id -un)
elif command -v setpriv >/dev/null && id nobody >/dev/null 2>&1; then
  UNPRIVILEGED=nobody
  AS_USER=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --)
  chmod 755 "$E2E_DIR"
fi

as_user() { "${AS_USER[@]}" "$@"; }

# start_headless as that user; sets SKYWELL_PID. The program itself is the
# background job (setpriv execs it), so the clean-up can end it.
start_headless_as_user() {
  "${AS_USER[@]}" "$SKYWELL_BIN" --headless "$@" </dev/null >"$E2E_DIR/stdout.txt" 2>"$E2E_DIR/stderr.txt" &
  SKYWELL_PID=$!
  E2E_PIDS+=("$SKYWELL_PID")
}

give_to_user() {
  [ "$(id -u)" -eq 0 ] && [ -n "$UNPRIVILEGED" ] && chown -R "$UNPRIVILEGED" "$@"
  return 0
}
