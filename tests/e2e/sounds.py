"""Sound files for whole-program runs, and a setup under which exactly one known channel
answers a tone: full spectrum gain, and only that channel's threshold at the bottom."""

import array
import math
import os
import tempfile
import unittest
import wave

RATE = 44100
# Channel 5 follows band 20 by default (FFT bins 71..88 at 44 100 Hz and 2048 points).
CHANNEL_UNDER_TEST = 5
IN_BAND_HZ = 79 * RATE / 2048  # bin 79, the middle of band 20
# A settings file without captions blanks them, and a blank caption follows no band.
DEFAULT_CAPTIONS = ["0", "4", "8", "12", "14", "20", "24", "29", "0", "0", "0", "0"]
# Band 12 (bins 14..15): the default band of channel 3, whose threshold stays at the top.
OUT_OF_BAND_HZ = 14 * RATE / 2048


def tone_setup():
    """set.ini sections: FTDI output on, full input volume and gain, channel 5 at threshold 0."""
    return [
        ("Value", [("Sld2 ", "254"), ("sLevel", "254"), (f"Sld1{CHANNEL_UNDER_TEST}", "25")]),
        ("text", [(f"Caption{i}", caption) for i, caption in enumerate(DEFAULT_CAPTIONS)]),
        ("COM", [("CPORT", "FTDI")]),
    ]


def write_wav(path, segments):
    """A mono 16-bit file at 44 100 Hz from (seconds, frequency or None, amplitude) segments."""
    samples = array.array("h")
    for seconds, frequency, amplitude in segments:
        count = int(round(seconds * RATE))
        if frequency is None or amplitude == 0:
            samples.extend([0] * count)
            continue
        step = 2.0 * math.pi * frequency / RATE
        peak = amplitude * 32767.0
        samples.extend(int(round(peak * math.sin(step * n))) for n in range(count))
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(samples.tobytes())


class WithSoundFiles(unittest.TestCase):
    """Writes the class's SOUNDS ({name: segments for write_wav}) once, into a temporary folder
    removed after the class; cls.files maps each name to its path."""

    SOUNDS = {"silence": [(1.0, None, 0)]}

    @classmethod
    def setUpClass(cls):
        cls.sounds = tempfile.TemporaryDirectory(prefix="zeb-e2e-sound-")
        cls.files = {}
        for name, segments in cls.SOUNDS.items():
            cls.files[name] = os.path.join(cls.sounds.name, name + ".wav")
            write_wav(cls.files[name], segments)

    @classmethod
    def tearDownClass(cls):
        cls.sounds.cleanup()
