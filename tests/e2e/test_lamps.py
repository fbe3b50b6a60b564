"""From sound to the FTDI lamps in the whole program: silence, a tone in one channel's band, a
tone outside it, and the "USB FTDI " toggle clicked on the window."""

import unittest

from sounds import CHANNEL_UNDER_TEST, IN_BAND_HZ, OUT_OF_BAND_HZ, WithSoundFiles, tone_setup
from zebrun import EXIT_BUTTON, FTDI_TOGGLE, ZebRun, ini_text

STEADY_FRAMES = 10


def is_frame(event):
    return event.startswith("write ")


class LampsFollowTheSound(WithSoundFiles):
    SOUNDS = {
        "silence": [(2.0, None, 0)],
        "in-band": [(2.0, IN_BAND_HZ, 0.5)],
        "out-of-band": [(2.0, OUT_OF_BAND_HZ, 0.5)],
    }

    def frames_once_steady(self, sound, expected):
        """Runs the tone setup on `sound`; the frames that follow the first `expected` frame."""
        run = ZebRun(self.files[sound], settings=ini_text(tone_setup()))
        self.addCleanup(run.close)
        run.start()
        index, _, _ = run.wait_log("ftdi.log", lambda event: event == expected, what=f"\"{expected}\"")
        return run.wait_lines("ftdi.log", is_frame, STEADY_FRAMES, after=index)

    def test_silence_lights_only_channel_0(self):
        frames = self.frames_once_steady("silence", "write 01")
        self.assertEqual(frames, ["write 01"] * STEADY_FRAMES)

    def test_a_tone_in_a_channels_band_lights_that_channel_alone(self):
        expected = f"write {1 << CHANNEL_UNDER_TEST:02x}"
        frames = self.frames_once_steady("in-band", expected)
        self.assertEqual(frames, [expected] * STEADY_FRAMES)

    def test_a_tone_outside_the_band_lights_nothing(self):
        # Loud enough to open the silence gate, so channel 0 goes dark too.
        frames = self.frames_once_steady("out-of-band", "write 00")
        self.assertEqual(frames, ["write 00"] * STEADY_FRAMES)

    def test_clicking_usb_ftdi_turns_the_ftdi_frames_on_and_the_exit_saves_it(self):
        run = ZebRun(self.files["silence"])
        self.addCleanup(run.close)
        run.start()
        window = run.main_window()
        opened, _, _ = run.wait_log("ftdi.log", lambda event: event == "baud 57600", what="the chip opened")
        self.assertFalse(any(is_frame(event) for _, event in run.log("ftdi.log")),
                         "FTDI frames before the output was switched on")

        run.click(window, FTDI_TOGGLE)
        run.wait_log("ftdi.log", lambda event: event == "write 01", after=opened, what="FTDI frames")
        run.click(window, EXIT_BUTTON)
        self.assertEqual(run.wait_exit(), 0)
        saved = dict(run.read_settings())
        self.assertEqual(dict(saved["COM"])["CPORT"], "FTDI")
        self.assertEqual(dict(saved["ForeColor"])["f11 "], "16711680")


if __name__ == "__main__":
    unittest.main()
