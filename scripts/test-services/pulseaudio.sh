# Sourced by test.sh: starts a private PulseAudio server with a null sink
# "rec_sink" (its monitor "rec_sink.monitor" is what the capture tests
# record) in $TEST_RUNTIME_DIR/pulse-home, and exports XDG_RUNTIME_DIR and
# PULSE_SERVER so that every client, also one that sets its own
# XDG_RUNTIME_DIR (the end-to-end tests do), reaches it.
pulse_runtime=$TEST_RUNTIME_DIR/pulse-home
mkdir -p "$pulse_runtime" && chmod 700 "$pulse_runtime"
pulse_socket=$pulse_runtime/pulse/native
XDG_RUNTIME_DIR=$pulse_runtime HOME=$pulse_runtime PULSE_SERVER= \
  pulseaudio -D -n --system=false --exit-idle-time=-1 --disallow-exit \
  --log-target=file:"$TEST_RUNTIME_DIR/pulseaudio.log" \
  --load="module-null-sink sink_name=rec_sink sink_properties=device.description=RecSink" \
  --load=module-native-protocol-unix </dev/null >/dev/null 2>&1
export XDG_RUNTIME_DIR=$pulse_runtime
export PULSE_SERVER=unix:$pulse_socket
export SKYWELL_TEST_SINK=rec_sink
pulse_ready=no
for _ in $(seq 1 100); do
  if pactl info >/dev/null 2>&1; then pulse_ready=yes; break; fi
  sleep 0.1
done
if [ "$pulse_ready" != yes ]; then
  echo "PulseAudio did not start; its log:" >&2
  cat "$TEST_RUNTIME_DIR/pulseaudio.log" >&2 2>/dev/null
  false
else
  # Stops exactly the server started here (its pid file), not any other.
  CLEANUP+=("kill \$(cat '$pulse_runtime/pulse/pid' 2>/dev/null) 2>/dev/null")
  echo "PulseAudio test server: $PULSE_SERVER"
fi
