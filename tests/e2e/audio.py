"""What the game sounded like: the audio captured through ALSA's file plugin, read back.

The capture is 16-bit little-endian stereo at 44100 Hz and keeps close to real time, so a
moment of a journey maps to a time in the capture (its size noted at that moment); on a busy
machine Allegro's mixing thread can fall behind and drop a tenth of a second now and then.
Levels come from sox's `stats` over a time window; where a sample starts is found by
correlating the capture with the sample itself, read from the sounds.dat the game loaded.
"""
import array
import contextlib
import ctypes
import math
import shutil
import subprocess
import sys
import tempfile
import time

import allegro_ref

RATE = 44100
BYTES_PER_FRAME = 4          # two channels of 16 bits
BYTES_PER_SECOND = RATE * BYTES_PER_FRAME
LEFT, RIGHT = 0, 1
FULL_SCALE = 32768
SOX_CAPTURE_FORMAT = ["-t", "raw", "-r", str(RATE), "-e", "signed", "-b", "16", "-c", "2", "-L"]
SOX_FLOAT_MONO = ["-t", "raw", "-e", "floating-point", "-b", "32", "-c", "1"]
RMS_LINE = "RMS lev dB"
DAT_SAMPLE = (ord("S") << 24) | (ord("A") << 16) | (ord("M") << 8) | ord("P")
UNSIGNED_16_MIDDLE = 32768   # Allegro keeps 16-bit sample data unsigned

# A correlation with a sample's own waveform above this means the sample starts there; a tune
# underneath lowers a true match of a centred sample (above 0.4 was seen) but does not make a
# false one (about 0.16 at most was seen).
MATCH_THRESHOLD = 0.3
WAIT_TIMEOUT = 30.0
WAIT_POLL = 0.05
# Two starts of the same sample closer than this are one start.
MIN_ONSET_SPACING = 0.1
# Allegro's mixer gives a sample at pan 128 these shares of its volume, left and right.
CENTRE_LEFT, CENTRE_RIGHT = 127, 128
# A centred sample's channels miss that ratio by rounding only; a tune's panned voices by far more.
UNEVEN_DIFFERENCE = 64


def now(game):
    """How far the game's capture has got, in seconds: the capture time of this moment."""
    size = game.audio_file.stat().st_size if game.audio_file.exists() else 0
    return size / BYTES_PER_SECOND


def wait_for(game, what, heard, timeout=WAIT_TIMEOUT):
    """Reads the game's capture until heard(capture) gives a result; returns that result. The
    capture keeps its own time, which a busy machine can let run ahead of the clock or behind."""
    deadline = time.monotonic() + timeout
    while True:
        result = heard(Capture(game.audio_file))
        if result:
            return result
        if not game.running() or time.monotonic() > deadline:
            raise AssertionError(f"{what} was not heard within {timeout} s")
        time.sleep(WAIT_POLL)


def quiet_end(seconds):
    """The length of a capture whose last `seconds` are silent in both channels, else None."""
    def heard(capture):
        if not any(capture.frames[-2 * round(seconds * RATE):]):
            return capture.seconds
    return heard


class _Sample(ctypes.Structure):
    _fields_ = [("bits", ctypes.c_int), ("stereo", ctypes.c_int), ("freq", ctypes.c_int),
                ("priority", ctypes.c_int), ("len", ctypes.c_ulong),
                ("loop_start", ctypes.c_ulong), ("loop_end", ctypes.c_ulong),
                ("param", ctypes.c_ulong), ("data", ctypes.c_void_p)]


class Sample:
    """One sample of a datafile: its rate and its mono waveform scaled to -1..1."""

    def __init__(self, freq, values):
        self.freq, self.values = freq, values

    @property
    def seconds(self):
        return len(self.values) / self.freq

    def at_rate(self, rate=RATE):
        """The waveform resampled (linearly) to `rate`, as the mixer plays it at frequency 1000."""
        count = int(len(self.values) * rate / self.freq)
        resampled = []
        for index in range(count):
            position = index * self.freq / rate
            whole = int(position)
            after = self.values[whole + 1] if whole + 1 < len(self.values) else 0.0
            resampled.append(self.values[whole] + (after - self.values[whole]) * (position - whole))
        return resampled


def datafile_sample(path, entry):
    """Entry `entry` of a datafile, which must be a 16-bit mono sample."""
    lib = allegro_ref._allegro()
    handle = lib.load_datafile(str(path).encode())
    if not handle:
        raise RuntimeError(f"Allegro could not load {path}")
    try:
        entries = ctypes.cast(handle, ctypes.POINTER(allegro_ref._Datafile))
        for index in range(entry + 1):
            if entries[index].type == allegro_ref.DAT_END:
                raise RuntimeError(f"{path} has no entry {entry}")
        if entries[entry].type != DAT_SAMPLE:
            raise RuntimeError(f"entry {entry} of {path} is not a sample")
        sample = ctypes.cast(entries[entry].dat, ctypes.POINTER(_Sample))[0]
        if sample.bits != 16 or sample.stereo:
            raise RuntimeError(f"entry {entry} of {path} is not a 16-bit mono sample")
        data = array.array("H", ctypes.string_at(sample.data, sample.len * 2))
        values = [(value - UNSIGNED_16_MIDDLE) / FULL_SCALE for value in data]
        return Sample(sample.freq, values)
    finally:
        lib.unload_datafile(handle)


class Capture:
    """The whole capture of one run, read once the run has played what is to be checked."""

    def __init__(self, path):
        self.path = path
        data = path.read_bytes() if path.exists() else b""
        self.frames = array.array("h", data[:len(data) - len(data) % BYTES_PER_FRAME])
        if sys.byteorder != "little":
            self.frames.byteswap()

    @property
    def seconds(self):
        return len(self.frames) // 2 / RATE

    def _frame(self, time):
        return max(0, min(len(self.frames) // 2, round(time * RATE)))

    def channel(self, channel, start, end):
        """The samples of one channel from `start` to `end` seconds."""
        return self.frames[2 * self._frame(start) + channel:2 * self._frame(end):2]

    def first_sound(self, channel, start=0.0):
        """The time of the first non-zero sample of the channel from `start` on, or None."""
        first = self._frame(start)
        for index, value in enumerate(self.channel(channel, start, self.seconds)):
            if value:
                return (first + index) / RATE
        return None

    def silent_blocks(self, channel, start, end, block):
        """The start times of the `block`-second stretches between start and end in which the
        channel is exactly zero throughout."""
        silent = []
        time = start
        while time + block <= end:
            if not any(self.channel(channel, time, time + block)):
                silent.append(time)
            time += block
        return silent

    def levels(self, start, end):
        """RMS levels in dB of the window from sox's stats: {"overall", "left", "right"}."""
        first, last = self._frame(start), self._frame(end)
        if last <= first:
            raise ValueError(f"empty window {start:.3f}..{end:.3f} s")
        stats = subprocess.run(["sox", *SOX_CAPTURE_FORMAT, str(self.path), "-n",
                                "trim", f"{first}s", f"={last}s", "stats"],
                               capture_output=True, text=True, timeout=60, check=True)
        for line in stats.stderr.splitlines():
            if line.startswith(RMS_LINE):
                overall, left, right = (float(word) for word in line[len(RMS_LINE):].split())
                return {"overall": overall, "left": left, "right": right}
        raise ValueError(f"sox stats gave no RMS line: {stats.stderr!r}")

    def first_uneven(self, start=0.0, difference=UNEVEN_DIFFERENCE):
        """The time of the first frame from `start` on that a centred sample alone cannot make,
        or None. Pan 128 splits a sample 127 to 128 between left and right, so its channels keep
        that ratio up to rounding; a tune's voices are panned apart and break it."""
        first = self._frame(start)
        for index in range(first, len(self.frames) // 2):
            left, right = self.frames[2 * index], self.frames[2 * index + 1]
            if abs(left * CENTRE_RIGHT - right * CENTRE_LEFT) > difference * CENTRE_RIGHT:
                return index / RATE
        return None

    def gain(self, sample, at, channel):
        """How loud `sample`, started at `at` seconds, is in the channel: the least-squares
        scale of its waveform against the capture there. A tune underneath is all but
        uncorrelated with it, so it hardly moves the result."""
        template = sample.at_rate(RATE)
        heard = self.channel(channel, at, at + len(template) / RATE)
        pairs = list(zip(template, heard))
        return sum(t * h for t, h in pairs) / sum(t * t for t, _ in pairs) / FULL_SCALE

    def balance(self, sample, at):
        """The left channel's level of `sample` started at `at`, over the right's, in dB."""
        left, right = (self.gain(sample, at, channel) for channel in (LEFT, RIGHT))
        return 20 * math.log10(left / right)

    def onsets(self, sample, start, end, channel=RIGHT, threshold=MATCH_THRESHOLD):
        """The times between start and end at which `sample` starts in the channel: the peaks
        of the normalised correlation of the capture with the sample's waveform."""
        template = sample.at_rate(RATE)
        length = len(template)
        scale = math.sqrt(sum(value * value for value in template)) * math.sqrt(length)
        signal = [value / FULL_SCALE for value in self.channel(channel, start, end)]
        correlation = self._filtered(template, scale, start, end, channel)
        # Energy of every window of `length` samples, from running sums.
        energy = [0.0]
        for value in signal:
            energy.append(energy[-1] + value * value)
        # sox's fir delays its output by half the filter: output n is the window from n - L/2.
        scores = []
        for n, value in enumerate(correlation):
            begin = n - length // 2
            if begin < 0 or begin + length > len(signal):
                scores.append(0.0)
                continue
            window = energy[begin + length] - energy[begin]
            scores.append(value * math.sqrt(length) / math.sqrt(window) if window > 0 else 0.0)
        return [self._frame(start) / RATE + (n - length // 2) / RATE
                for n in _peaks(scores, threshold, round(MIN_ONSET_SPACING * RATE))]

    def _filtered(self, template, scale, start, end, channel):
        """The channel run through sox's fir with the reversed template as coefficients,
        scaled so that no output can clip."""
        with tempfile.NamedTemporaryFile("w", suffix=".txt") as coefficients:
            coefficients.write("\n".join(repr(value / scale) for value in reversed(template)))
            coefficients.flush()
            filtered = subprocess.run(
                ["sox", *SOX_CAPTURE_FORMAT, str(self.path), *SOX_FLOAT_MONO, "-",
                 "trim", f"{self._frame(start)}s", f"={self._frame(end)}s",
                 "remix", str(channel + 1), "fir", coefficients.name],
                capture_output=True, timeout=60, check=True)
        output = array.array("f", filtered.stdout)
        if sys.byteorder != "little":
            output.byteswap()
        return output


def _peaks(scores, threshold, spacing):
    """Indices of the highest score in each run above threshold, at least `spacing` apart."""
    found = []
    index = 0
    while index < len(scores):
        if scores[index] > threshold:
            window = range(index, min(index + spacing, len(scores)))
            best = max(window, key=lambda k: scores[k])
            found.append(best)
            index = best + spacing
        else:
            index += 1
    return found


@contextlib.contextmanager
def kept_on_failure(game):
    """Keeps the game's capture among its artifacts (as audio.raw) when the body fails."""
    try:
        yield
    except BaseException:
        if game.audio_file.exists():
            kept = game.artifacts / "audio.raw"
            shutil.copy(game.audio_file, kept)
            print(f"  captured audio: {kept}", file=sys.stderr)
        raise


def gaps(times):
    return [later - earlier for earlier, later in zip(times, times[1:])]
