"""The beat in the whole program: a click track made with sox lights a beat channel on the
clicks, Every=2 halves the flashes, a file without [Beat] runs without the tempo tracker, and
[Output] Delay shifts the FTDI frames by the delay."""

import os
import statistics
import subprocess
import tempfile
import time
import unittest

from sounds import CHANNEL_UNDER_TEST, IN_BAND_HZ, WithSoundFiles, tone_setup
from zebrun import ZebRun, ini_text, rising_edges

BEAT_CHANNEL = 7  # on the FTDI byte's top bit
CLICK_PERIOD_MS = 500  # 120 BPM


def click_track(path, seconds, bpm):
    """`seconds` of 30 ms clicks (a 1.5 kHz sine fading out) at `bpm`, made by sox."""
    period = 60.0 / bpm
    subprocess.run(
        ["sox", "-n", "-r", "44100", "-b", "16", "-c", "1", path, "synth", "0.03", "sine", "1500",
         "fade", "0", "0.03", "0.025", "pad", "0", f"{period - 0.03:.4f}",
         "repeat", str(int(seconds / period) - 1)],
        check=True)


def beat_settings(every=None, beat=True):
    sections = [("Value", [("Sld2 ", "254"), ("sLevel", "254")]), ("COM", [("CPORT", "FTDI")])]
    if beat:
        keys = [(f"Channel{i}", "1" if i == BEAT_CHANNEL else "0") for i in range(12)]
        if every:
            keys.append(("Every", str(every)))
        sections.append(("Beat", keys))
    return ini_text(sections)


def modules_loaded(pid):
    with open(f"/proc/{pid}/maps") as maps:
        return {os.path.basename(line.split()[-1]) for line in maps if "/" in line}


class BeatChannel(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.sounds = tempfile.TemporaryDirectory(prefix="zeb-e2e-beat-")
        cls.clicks = os.path.join(cls.sounds.name, "clicks.wav")
        click_track(cls.clicks, 30, 60000 / CLICK_PERIOD_MS)

    @classmethod
    def tearDownClass(cls):
        cls.sounds.cleanup()

    def flashes(self, settings, seconds=10):
        """The run, and the beat channel's flash starts (ms) once the tracker has had 5 s."""
        run = ZebRun(self.clicks, settings=settings)
        self.addCleanup(run.close)
        run.start()
        run.wait_log("ftdi.log", lambda event: event.startswith("write "), what="FTDI frames")
        time.sleep(seconds)
        self.assertTrue(run.running())
        edges = rising_edges(run.log("ftdi.log"), BEAT_CHANNEL)
        return run, [ms for ms in edges if ms > 5000]

    def test_the_beat_channel_flashes_on_every_click(self):
        run, edges = self.flashes(beat_settings())
        self.assertIn("zeb-aubio.so", modules_loaded(run.process.pid))
        self.assertGreaterEqual(len(edges), 6, f"flashes: {edges}")
        intervals = [b - a for a, b in zip(edges, edges[1:])]
        self.assertAlmostEqual(statistics.median(intervals), CLICK_PERIOD_MS, delta=15,
                               msg=f"intervals: {intervals}")
        # Flashes land on the beat, not on the 35 ms grid of the ticks: nearly every interval
        # is within a few ms of the period.
        on_beat = [i for i in intervals if abs(i - CLICK_PERIOD_MS) <= 20]
        self.assertGreaterEqual(len(on_beat), 0.8 * len(intervals), f"intervals: {intervals}")

    def test_every_second_beat_halves_the_flashes(self):
        _, edges = self.flashes(beat_settings(every=2))
        self.assertGreaterEqual(len(edges), 3, f"flashes: {edges}")
        intervals = [b - a for a, b in zip(edges, edges[1:])]
        self.assertAlmostEqual(statistics.median(intervals), 2 * CLICK_PERIOD_MS, delta=25,
                               msg=f"intervals: {intervals}")

    def test_without_a_beat_section_no_tracker_runs_and_the_channel_follows_its_band(self):
        run, edges = self.flashes(beat_settings(beat=False), seconds=4)
        self.assertNotIn("zeb-aubio.so", modules_loaded(run.process.pid))
        self.assertFalse(any(name.startswith("libaubio") for name in modules_loaded(run.process.pid)))
        # Channel 7's threshold is at the top (25): the clicks never reach it.
        self.assertEqual(edges, [])


class OutputDelay(WithSoundFiles):
    # The tone comes on one second into each two-second loop.
    SOUNDS = {"tone": [(1.0, None, 0), (1.0, IN_BAND_HZ, 0.5)]}

    def tone_phase(self, delay):
        """Mean time (ms) from the capture's start to channel 5 lighting, modulo the loop."""
        sections = tone_setup()
        if delay is not None:
            sections.append(("Output", [("Delay", str(delay))]))
        run = ZebRun(self.files["tone"], settings=ini_text(sections))
        self.addCleanup(run.close)
        run.start()
        _, start, _ = run.wait_log("audio.log", lambda event: event == "capture start")
        run.wait_lines("ftdi.log", lambda event: event.startswith("write "), 200)
        edges = rising_edges(run.log("ftdi.log"), CHANNEL_UNDER_TEST)
        self.assertGreaterEqual(len(edges), 3, f"tone onsets: {edges}")
        return statistics.mean((ms - start) % 2000 for ms in edges[:3])

    def test_the_delay_shifts_every_frame_by_its_milliseconds(self):
        shift = self.tone_phase(300) - self.tone_phase(None)
        # Each onset is seen at the next 35 ms tick, in each run at its own phase.
        self.assertAlmostEqual(shift, 300, delta=30)


if __name__ == "__main__":
    unittest.main()
