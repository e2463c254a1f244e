# Sourced by test.sh: starts a private PipeWire (pipewire, wireplumber,
# pipewire-pulse) in $TEST_RUNTIME_DIR/pipewire with a null sink "rec_sink",
# so that the capture and mixer tests run once more against PipeWire's
# PulseAudio server, as most current desktops have it. Exports
# SKYWELL_TEST_PIPEWIRE_SERVER (a PULSE_SERVER address); the rest of the
# environment is left to the PulseAudio service.
pw_runtime=$TEST_RUNTIME_DIR/pipewire
rm -rf "$pw_runtime"
mkdir -p "$pw_runtime/config/wireplumber/main.lua.d" && chmod 700 "$pw_runtime"
# Without a D-Bus session wireplumber exits unless device reservation and
# the Flatpak portal are off.
printf '%s\n' 'alsa_monitor.properties["alsa.reserve"] = false' \
  'default_access.properties["enable-flatpak-portal"] = false' \
  >"$pw_runtime/config/wireplumber/main.lua.d/51-no-dbus.lua"

pw_env=(env -u DBUS_SESSION_BUS_ADDRESS -u PULSE_SERVER XDG_RUNTIME_DIR="$pw_runtime"
  XDG_CONFIG_HOME="$pw_runtime/config" XDG_STATE_HOME="$pw_runtime/state" HOME="$pw_runtime")
pw_server=unix:$pw_runtime/pulse/native

pw_start() {
  "${pw_env[@]}" pipewire </dev/null >"$pw_runtime/pipewire.log" 2>&1 &
  CLEANUP+=("kill $!")
  local i
  for i in $(seq 1 100); do [ -S "$pw_runtime/pipewire-0" ] && break; sleep 0.1; done
  [ -S "$pw_runtime/pipewire-0" ] || { echo "pipewire did not start" >&2; return 1; }
  # Streams never connect without the session manager.
  "${pw_env[@]}" wireplumber </dev/null >"$pw_runtime/wireplumber.log" 2>&1 &
  CLEANUP+=("kill $!")
  "${pw_env[@]}" pipewire-pulse </dev/null >"$pw_runtime/pipewire-pulse.log" 2>&1 &
  CLEANUP+=("kill $!")
  for i in $(seq 1 100); do
    PULSE_SERVER=$pw_server pactl info 2>/dev/null | grep -q "on PipeWire" && break
    sleep 0.1
  done
  PULSE_SERVER=$pw_server pactl info 2>/dev/null | grep -q "on PipeWire" ||
    { echo "pipewire-pulse did not answer" >&2; return 1; }
  PULSE_SERVER=$pw_server pactl load-module module-null-sink sink_name=rec_sink \
    sink_properties=device.description=RecSink >/dev/null
}

if pw_start; then
  export SKYWELL_TEST_PIPEWIRE_SERVER=$pw_server
  echo "PipeWire test server: $pw_server"
else
  cat "$pw_runtime"/*.log >&2 2>/dev/null
  false
fi
unset pw_runtime pw_env pw_server
unset -f pw_start
