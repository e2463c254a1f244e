# Helpers of the Show file end-to-end tests: build and read 1052-byte
# Show records with perl (part of every Debian system).

# show_record NAME URL FLAGS START END LASTRECORDED ONCEDATE SERIAL R956
# prints one record to stdout. SHOW_SOURCE (recording source), SHOW_SPLIT_AT
# (eight minutes past the hour, 255 = none), SHOW_SPLIT_MINUTES and
# SHOW_STATUS change the defaults.
show_record() {
  perl -e '
    my ($name, $url, $flags, $start, $end, $last, $once, $serial, $r956) = @ARGV;
    my $source = $ENV{SHOW_SOURCE} // "Monitor of RecSink";
    my @at = split / /, ($ENV{SHOW_SPLIT_AT} // "0 15 30 45 255 255 255 255");
    my $split = $ENV{SHOW_SPLIT_MINUTES} // 30;
    my $status = $ENV{SHOW_STATUS} // "Last Recording was OK: x";
    my $r = pack("l< a128 a512 a256 l< l< l< L< l< l< a28 s< a2 l< l< l< l< l< a1 C8 a67",
      1, $name, $url, $status, $once, $start, $end, $flags, $last, 0,
      $source, $serial, "", $r956, 0, 5000, 2000, $split, "R", @at, "");
    die "bad record size" unless length($r) == 1052;
    print $r;' -- "$@"
}

# local_time Y M D h m: seconds since 1970 of that local wall-clock time.
local_time() {
  perl -MPOSIX=mktime -e 'print mktime(0, $ARGV[4], $ARGV[3], $ARGV[2], $ARGV[1] - 1, $ARGV[0] - 1900, 0, 0, -1)' -- "$@"
}

# The next occurrence of a repeating Show as the scheduler computes it:
# next_occurrence START END FLAGS LASTRECORDED NOW -> "START END".
next_occurrence() {
  perl -e '
    my ($s, $e, $flags, $last, $now) = @ARGV;
    my $thr = $now + 30 + 5;
    if ($s < $thr) {
      while ($e < $thr) { $s += 86400; $e += 86400; }
      while ($s <= $last) { $s += 86400; $e += 86400; }
      for (1 .. 7) {
        my $wd = (localtime($s))[6];
        my $bit = $wd == 0 ? 0x40 : 1 << ($wd - 1);
        last if $flags & $bit;
        $s += 86400; $e += 86400;
      }
    }
    print "$s $e";' -- "$@"
}

# field FILE OFFSET TEMPLATE: unpacks one value at OFFSET.
field() {
  perl -e '
    open(my $f, "<:raw", $ARGV[0]) or die; local $/; my $d = <$f>;
    print unpack($ARGV[2], substr($d, $ARGV[1]));' -- "$@"
}

# same_record FILE_A FILE_B R [FROM-TO ...]: record R (0-based) is the same
# in both files apart from the given byte ranges of the record (inclusive);
# prints the first difference.
same_record() {
  perl -e '
    my ($a, $b, $r, @skip) = @ARGV;
    local $/;
    open(my $fa, "<:raw", $a) or die; my $da = substr(<$fa>, $r * 1052, 1052);
    open(my $fb, "<:raw", $b) or die; my $db = substr(<$fb>, $r * 1052, 1052);
    if (length($da) != 1052 || length($db) != 1052) { print "record $r missing\n"; exit 1; }
    BYTE: for my $i (0 .. 1051) {
      for (@skip) { my ($lo, $hi) = split /-/; next BYTE if $i >= $lo && $i <= $hi; }
      if (substr($da, $i, 1) ne substr($db, $i, 1)) { print "record $r byte $i differs\n"; exit 1; }
    }' -- "$@"
}
