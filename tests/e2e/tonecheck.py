#!/usr/bin/env python3
"""Which test tones an audio file holds, measured independently of Skywell.

  tonecheck.py only FILE HZ [OTHER_HZ...]
      Every 2-second stretch of FILE (decoded by ffmpeg) holds the sine of
      HZ as its main sound and none of the OTHER_HZ sines (each below a
      tenth of HZ's level). The first and the last stretch may be quiet (a
      player starting, a track cut mid-block), never another tone. Prints
      one line of figures; exits 1 with the reason when it does not hold.
  tonecheck.py level FILE HZ
      Prints the RMS level (0..1) of the sine of HZ in FILE.

A FILE ending in .raw is signed 16-bit stereo at 44100 Hz (parec --raw).
"""
import array
import math
import subprocess
import sys

RATE = 8000
WINDOW = 2 * RATE


def samples(path):
    source = ["-f", "s16le", "-ar", "44100", "-ac", "2"] if path.endswith(".raw") else []
    data = subprocess.run(
        ["ffmpeg", "-v", "error", *source, "-i", path, "-f", "s16le", "-ac", "1", "-ar", str(RATE), "-"],
        stdout=subprocess.PIPE, check=True).stdout
    a = array.array("h")
    a.frombytes(data[:len(data) // 2 * 2])
    return [x / 32768 for x in a]


def tone_rms(block, hz):
    """RMS level of the sine of hz in block: Goertzel over tenths of a
    second, their powers averaged, so that a jump of the tone's phase (a
    station's loop, a dropped block) does not cancel it out."""
    coeff = 2 * math.cos(2 * math.pi * hz / RATE)
    step = RATE // 10
    powers = []
    for i in range(0, len(block) - step + 1, step):
        s1 = s2 = 0.0
        for x in block[i:i + step]:
            s1, s2 = x + coeff * s1 - s2, s1
        power = max(s1 * s1 + s2 * s2 - coeff * s1 * s2, 0)
        powers.append(power * 2 / step / step)
    return math.sqrt(sum(powers) / len(powers)) if powers else 0.0


def main_tone(block):
    """The frequency (Hz, in steps of 10) with the most of block's sound."""
    return max(range(50, RATE // 2, 10), key=lambda hz: tone_rms(block[:RATE], hz))


def rms(block):
    return math.sqrt(sum(x * x for x in block) / len(block)) if block else 0.0


def only(path, hz, others):
    x = samples(path)
    windows = [x[i:i + WINDOW] for i in range(0, len(x) - WINDOW // 2, WINDOW)]
    if not windows:
        sys.exit("%s: shorter than a second" % path)
    least_share, most_other = 1.0, 0.0
    for n, block in enumerate(windows):
        own, total = tone_rms(block, hz), rms(block)
        inside = 0 < n < len(windows) - 1
        share = own / total if total > 0 else 0.0
        if inside:
            least_share = min(least_share, share)
            if own < 0.02 or share < 0.7:
                sys.exit("%s at %d s: the %d Hz tone is at %.3f of a level of %.3f; the main tone is %d Hz" %
                         (path, n * 2, hz, own, total, main_tone(block)))
        for other in others:
            level = tone_rms(block, other)
            most_other = max(most_other, level / own if own > 0 else level)
            if level > 0.01 and level > 0.1 * own:
                sys.exit("%s at %d s: the %d Hz tone (%.3f) beside the %d Hz tone (%.3f)" %
                         (path, n * 2, other, level, hz, own))
    print("%d s of %d Hz, its share of the sound at least %.2f, other tones at most %.3f of it" %
          (len(x) // RATE, hz, least_share, most_other))


def main():
    mode, path, hz = sys.argv[1], sys.argv[2], float(sys.argv[3])
    if mode == "only":
        only(path, hz, [float(f) for f in sys.argv[4:]])
    elif mode == "level":
        print("%.4f" % tone_rms(samples(path), hz))
    else:
        sys.exit("unknown mode " + mode)


main()
