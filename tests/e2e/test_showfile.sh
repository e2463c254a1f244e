#!/usr/bin/env bash
# A Show file written by a user's earlier run is rescheduled and rewritten
# at start-up: repeating Shows on their next matching day, once and
# unscheduled Shows untouched, offset 956 = -1, whole 1052-byte records.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/showfile_lib.sh"
export TZ=America/New_York
mkdir -p "$SKYWELL_HOME"
dat=${SKYWELL_HOME}Skywell5.dat

now=$(date +%s)
two_weeks_ago=$((now - 14 * 86400))
read -r y m d < <(perl -e '@t = localtime($ARGV[0]); printf "%d %d %d\n", $t[5] + 1900, $t[4] + 1, $t[3]' "$two_weeks_ago")
start=$(local_time "$y" "$m" "$d" 9 0)      # 9:00 two weeks ago
weekend=$(local_time "$y" "$m" "$d" 21 30)  # 21:30 two weeks ago
once=$(local_time 2026 1 5 20 0)
once_date=$(local_time 2026 1 5 0 0)
{
  show_record "Weekday Show" "http://127.0.0.1:8000/a.mp3" $((0x141f)) "$start" $((start + 3600)) 0 0 777 5
  show_record "Once Show" "http://127.0.0.1:8000/b.mp3" $((0x400)) "$once" $((once + 5400)) 0 "$once_date" 778 6
  show_record "Unscheduled" "http://127.0.0.1:8000/c.mp3" $((0x2400)) 12345 23456 0 0 779 7
  # Weekend evenings, recorded already at the stored occurrence.
  show_record "Weekend Show" "http://127.0.0.1:8000/d.mp3" $((0x1060 | 0x4000)) "$weekend" $((weekend + 3600)) \
    $((weekend + 30)) 0 780 8
} > "$dat"
cp "$dat" "$E2E_DIR/before.dat"
[ "$(stat -c %s "$dat")" -eq 4208 ] || fail "test file not built"

t0=$(date +%s)
start_headless
wait_for_log "Load Program" 20
t1=$(date +%s)
"$SKYWELL_BIN" UNINSTALL
wait_gone "$SKYWELL_PID" 10

size=$(stat -c %s "$dat")
[ $((size % 1052)) -eq 0 ] || fail "length $size is not a multiple of 1052"
[ "$size" -eq 4208 ] || fail "length $size, expected 4208"

for r in 0 1 2 3; do
  [ "$(field "$dat" $((r * 1052 + 956)) 'l<')" = "-1" ] || fail "record $r: offset 956 is not -1"
done

# Once and unscheduled Shows: every byte kept but the serial and offset 956.
for r in 1 2; do
  same_record "$E2E_DIR/before.dat" "$dat" $r 952-953 956-959 || fail "a once or unscheduled Show changed"
done

# Repeating Shows: only their start and end moved, onto the next matching day.
check_repeating() {
  local r=$1 s=$2 e=$3 flags=$4 last=$5 got
  got="$(field "$dat" $((r * 1052 + 904)) 'l<') $(field "$dat" $((r * 1052 + 908)) 'l<')"
  if [ "$got" != "$(next_occurrence "$s" "$e" "$flags" "$last" "$t0")" ] &&
     [ "$got" != "$(next_occurrence "$s" "$e" "$flags" "$last" "$t1")" ]; then
    fail "record $r: start/end $got, expected $(next_occurrence "$s" "$e" "$flags" "$last" "$t0")"
  fi
  same_record "$E2E_DIR/before.dat" "$dat" "$r" 904-911 952-953 956-959 || fail "record $r: more than its times changed"
}
check_repeating 0 "$start" $((start + 3600)) $((0x141f)) 0
check_repeating 3 "$weekend" $((weekend + 3600)) $((0x1060)) $((weekend + 30))

# The moved Shows lie on matching weekdays at their old wall-clock time
# (no daylight-saving change is assumed here, only the day).
wd=$(perl -e 'print((localtime($ARGV[0]))[6])' "$(field "$dat" 904 'l<')")
[ "$wd" -ge 1 ] && [ "$wd" -le 5 ] || fail "weekday show on weekday $wd"
wd=$(perl -e 'print((localtime($ARGV[0]))[6])' "$(field "$dat" $((3 * 1052 + 904)) 'l<')")
[ "$wd" -eq 0 ] || [ "$wd" -eq 6 ] || fail "weekend show on weekday $wd"
[ "$(field "$dat" $((3 * 1052 + 904)) 'l<')" -gt "$t0" ] || fail "weekend show not in the future"

grep -q "TZ=" "$XDG_CONFIG_HOME/Skywell/Skywell5.ini" || fail "the daylight-saving state was not recorded"
pass "Show file rescheduled and rewritten"
