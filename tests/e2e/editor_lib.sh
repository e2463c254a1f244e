# Accepting the Show editor that an import opens on the desktop. Sourced
# by lib.sh, and inside the shells a test runs under xvfb-run.
# Presses Return (OK) on every "Scheduled Show Settings" editor that opens
# on the X display until the test ends (the editor is accepted unchanged).
# Needs DISPLAY.
accept_show_editors() {
  (
    while :; do
      for w in $(xdotool search --name '^Scheduled Show Settings$' 2>/dev/null); do
        sleep 0.3
        timeout 3 xdotool windowmap "$w" windowraise "$w" windowfocus "$w" key Return 2>/dev/null || true
      done
      sleep 0.2
    done
  ) &
  E2E_PIDS+=($!)
}

