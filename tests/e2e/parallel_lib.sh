# Helpers of the tests of recordings side by side: "Internet Stream" Shows
# on loopback stations of distinct tones. Sourced after lib.sh,
# showfile_lib.sh and recording_lib.sh.
PARALLEL_HZ=(440 1000 2500)
PARALLEL_NAMES=("Parallel A" "Parallel B" "Parallel C")
mkdir -p "$SKYWELL_HOME"

# parallel_shows OFFSET LENGTH: starts one station per tone and writes a
# Show file of one weekly "Internet Stream" Show (MP3 FM) per station,
# Show i due (i x OFFSET + 20) s from now and LENGTH s long. Sets
# SHOW_STARTS and SHOW_ENDS.
parallel_shows() {
  local i urls=()
  for i in "${!PARALLEL_HZ[@]}"; do
    start_tone_station "${PARALLEL_HZ[$i]}"
    urls+=("$TONE_URL")
  done
  write_settings 5 60
  local t0=$(($(date +%s) + 20))
  SHOW_STARTS=() SHOW_ENDS=()
  : >"$DAT"
  for i in "${!PARALLEL_HZ[@]}"; do
    SHOW_STARTS+=($((t0 + i * $1)))
    SHOW_ENDS+=($((t0 + i * $1 + $2)))
    SHOW_SOURCE="Internet Stream" show_record "${PARALLEL_NAMES[$i]}" "${urls[$i]}" $((0x1000 | 0x7f | 0x400)) \
      "${SHOW_STARTS[$i]}" "${SHOW_ENDS[$i]}" 0 0 $((i + 1)) 0 >>"$DAT"
  done
}

# The tones of the other stations than station I.
other_tones() {
  local j
  for j in "${!PARALLEL_HZ[@]}"; do [ "$j" -eq "$1" ] || echo "${PARALLEL_HZ[$j]}"; done
}
