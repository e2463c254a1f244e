#!/usr/bin/env python3
"""Whether track files hold a station's frames as sent, none lost or doubled.

  framecheck.py [--edge N] REFERENCE... -- TRACK...

Every file is read with `ffmpeg -c copy -f framemd5` (one hash per frame or
packet, tags and container framing left out); packets that last no time
are left out too: they are the header packets that ffmpeg hands on where a
chained Ogg Vorbis stream begins a new link. The tracks' frames, joined in
the given order, must be one contiguous run of the references' frames:
nothing missing or doubled at a split, nothing foreign. Up to N frames
(default 2) at the very start of the first track and at the very end of
the last may be ones the references lack. Several references are copies
taken one after another (before and after an outage): only where one ends
may the run leave it (up to N frames the copy lacks there) and go on
anywhere in the next, or at the next one's first frame after any number
of frames no copy holds (the next copy began after the tracks picked up).

Prints what it matched; exits 1 with where the run breaks.
"""
import os
import subprocess
import sys


def frames(path):
    out = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-map", "0:a:0", "-c", "copy",
                          "-f", "framemd5", "-"], capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit("ffmpeg cannot read %s: %s" % (path, out.stderr.strip()))
    hashes = []
    for line in out.stdout.splitlines():
        if line.startswith("#") or not line.strip():
            continue
        fields = [f.strip() for f in line.split(",")]
        if fields[3] != "0":  # duration
            hashes.append((fields[4], fields[5]))  # size, hash
    return hashes


def main():
    args = sys.argv[1:]
    edge = 2
    if args[:1] == ["--edge"]:
        edge = int(args[1])
        args = args[2:]
    if "--" not in args:
        sys.exit(__doc__)
    at = args.index("--")
    refs, tracks = args[:at], args[at + 1:]
    if not refs or not tracks:
        sys.exit(__doc__)

    # The references joined: frame -> (reference number, index in it).
    ref = []
    where = []
    ends = []  # where each reference ends in the joined list
    for n, path in enumerate(refs):
        for i, h in enumerate(frames(path)):
            ref.append(h)
            where.append((n, i))
        ends.append(len(ref))
    positions = {}
    for p, h in enumerate(ref):
        positions.setdefault(h, []).append(p)

    joined = []
    label = []
    for path in tracks:
        own = frames(path)
        if not own:
            sys.exit("FAIL: %s holds no frames" % os.path.basename(path))
        joined += own
        label += [(os.path.basename(path), i) for i in range(len(own))]

    def name(t):
        return "frame %d of %s" % (label[t][1], label[t][0])

    def refname(p):
        if p >= len(ref):
            return "the end of the references"
        return "frame %d of reference %d" % (where[p][1] + 1, where[p][0] + 1)

    def run_length(t, p):
        n = 0
        while t + n < len(joined) and p + n < len(ref) and joined[t + n] == ref[p + n]:
            n += 1
        return n

    # Leading frames the references lack (at most `edge`).
    t = 0
    while t < len(joined) and joined[t] not in positions:
        t += 1
    if t > edge:
        sys.exit("FAIL: the first %d frames of %s are not in the references" % (t, label[0][0]))
    if t == len(joined):
        sys.exit("FAIL: no frame of the tracks is in the references")
    runs = []  # (first frame of the tracks, first frame of the references, length)
    p = 0
    while t < len(joined):
        # Frames no reference holds: at most `edge` of them, at the end of
        # the tracks or where one reference ends (what one copy got of the
        # last moment before an outage and the other did not).
        foreign = 0
        while t + foreign < len(joined) and joined[t + foreign] not in positions:
            foreign += 1
        at_junction = bool(runs) and where[p - 1][0] + 1 < len(refs) and ends[where[p - 1][0]] - p <= edge
        # More of them only where the next copy begins later than the
        # tracks pick up again: the run must go on at its very first frame.
        next_from_its_start = (at_junction and t + foreign < len(joined)
                               and ends[where[p - 1][0]] in positions[joined[t + foreign]])
        if foreign and (foreign > edge and not next_from_its_start
                        or not (t + foreign == len(joined) or at_junction)):
            sys.exit("FAIL: %s and %d more are not in the references (the run had reached %s)"
                     % (name(t), foreign - 1, refname(p - 1)))
        t += foreign
        if t == len(joined):
            break
        candidates = positions[joined[t]]
        ahead = [c for c in candidates if c >= p]
        if not ahead:
            sys.exit("FAIL: %s is %s again (doubled; the run had reached %s)"
                     % (name(t), refname(candidates[-1]), refname(p - 1)))
        best = max(ahead, key=lambda c: (run_length(t, c), -c))
        if runs and (best != p or foreign):
            # A jump: allowed only from the last frames of one reference to
            # the next one (an outage between two copies).
            if where[best][0] != where[p - 1][0] + 1 or not at_junction:
                sys.exit("FAIL: %d frames missing before %s: the tracks go from %s to %s"
                         % (best - p, name(t), refname(p - 1), refname(best)))
        n = run_length(t, best)
        runs.append((t, best, n))
        t += n
        p = best + n

    for track_t, ref_p, n in runs:
        print("%s .. %s = %s .. %s" % (name(track_t), name(track_t + n - 1), refname(ref_p), refname(ref_p + n - 1)))
    matched = sum(n for _, _, n in runs)
    print("%d of %d frames of %d tracks in order in %d frames of %d references"
          % (matched, len(joined), len(tracks), len(ref), len(refs)))


if __name__ == "__main__":
    main()
