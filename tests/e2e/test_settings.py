"""set.ini across whole runs: the first start, the save-and-exit button, a restart with a saved
setup, and a window closed some other way."""

import os
import unittest

import x11
from sounds import DEFAULT_CAPTIONS, WithSoundFiles
from zebrun import BACKGROUND, EXIT_BUTTON, FTDI_TOGGLE, ZebRun, ini_text, xdotool

GREY = "4210752"
BLUE = "16711680"
COLOUR_KEYS = ["f9 ", "f5 ", "f10 ", "f11 ", "f12 ", "f13 ", "f14 "]
# A sound file's input starts at full volume, which is the top of the 0..254 slider.
FIRST_RUN_LEVEL = "254"


def first_start_file():
    return [
        ("ForeColor", [(key, GREY) for key in COLOUR_KEYS]),
        ("Value", [("Sld2 ", "0"), ("sLevel", FIRST_RUN_LEVEL)] + [(f"Sld1{i}", "0") for i in range(12)]),
        ("text", [(f"Caption{i}", caption) for i, caption in enumerate(DEFAULT_CAPTIONS)]),
        ("Count", [("Combo1", "0")]),
        ("index", [("Combo1", "-1"), ("Combo2", "-1"), ("Combo3", "0"), ("Combo4", "-1")]),
        ("COM", [("CPORT", "")]),
        ("LPT", [("LPORT", "")]),
        ("AUTO", [("ATUNE", "")]),
        ("KEY", [("KPORT", "")]),
        ("Frm", [("Wh", "9650")]),
        ("DMX", [("Switch", "0"), ("Universe", "1"), ("Address", "1"), ("OnLevel", "255"),
                 ("OffLevel", "0"), ("RpcPort", "9010"), ("Dimmer", "0")]),
    ]


def saved_setup():
    """A setup unlike the first start in every key, collapsed window, plus a foreign section."""
    return [
        ("ForeColor", [(key, BLUE if key in ("f5 ", "f11 ") else GREY) for key in COLOUR_KEYS]),
        ("Value", [("Sld2 ", "200"), ("sLevel", "127")] + [(f"Sld1{i}", str(2 * i + 1)) for i in range(12)]),
        ("text", [(f"Caption{i}", str(31 - 2 * i)) for i in range(12)]),
        ("Count", [("Combo1", "2")]),
        ("index", [("Combo1", "1"), ("Combo2", "3"), ("Combo3", "0"), ("Combo4", "2")]),
        ("CText", [("Combo10", "378"), ("Combo11", "278")]),
        ("COM", [("CPORT", "FTDI")]),
        ("LPT", [("LPORT", "0")]),
        ("AUTO", [("ATUNE", "AUTO")]),
        ("KEY", [("KPORT", "0")]),
        ("Frm", [("Wh", "6655")]),
        ("DMX", [("Switch", "DMX"), ("Universe", "7"), ("Address", "501"), ("OnLevel", "200"),
                 ("OffLevel", "10"), ("RpcPort", "9011"), ("Dimmer", "1")]),
        ("Notes", [("kept", "as it was")]),
    ]


COLLAPSED_SIZE = (444, 393)


class SettingsAcrossRuns(WithSoundFiles):

    def started(self, settings=None, window_size=None):
        run = ZebRun(self.files["silence"], settings=settings)
        self.addCleanup(run.close)
        run.start()
        window = run.main_window() if window_size is None else run.wait_window("ZEB", window_size)
        # Activation opens the FTDI chip: once that is logged, start-up is over.
        run.wait_log("ftdi.log", lambda event: event == "baud 57600", what="the window's activation")
        return run, window

    def test_first_start_writes_nothing_until_the_exit_button_then_every_key_in_order(self):
        run, window = self.started()
        self.assertFalse(os.path.exists(run.settings_path), "set.ini written before the exit button")
        self.assertFalse(os.path.exists(os.path.join(run.folder, "config", "zeb")))

        run.click(window, EXIT_BUTTON)
        self.assertEqual(run.wait_exit(), 0)
        self.assertEqual(run.read_settings(), first_start_file())

    def test_saved_setup_comes_back_after_a_restart(self):
        setup = saved_setup()
        run, window = self.started(settings=ini_text(setup), window_size=COLLAPSED_SIZE)
        # The stored output is live: FTDI frames are written without touching the window.
        run.wait_log("ftdi.log", lambda event: event.startswith("write "), what="an FTDI frame")

        run.click(window, EXIT_BUTTON)
        self.assertEqual(run.wait_exit(), 0)
        # Every value went through the window's controls and back out unchanged.
        self.assertEqual(run.read_settings(), setup)

    def test_exit_button_turns_the_ftdi_lamps_off_and_closes_the_chip(self):
        run, window = self.started(settings=ini_text([("COM", [("CPORT", "FTDI")])]))
        first = run.wait_log("ftdi.log", lambda event: event == "write 01", what="a silent frame")

        run.click(window, EXIT_BUTTON)
        self.assertEqual(run.wait_exit(), 0)
        events = [event for _, event in run.log("ftdi.log")[first[0] :]]
        self.assertEqual(events[-2:], ["write 00", "close"])

    def test_a_threshold_set_with_keys_is_saved_by_the_exit_button_pressed_with_a_key(self):
        run, window = self.started(settings=ini_text([("Value", [("Sld11", "10")])]))
        # Crossing the background parks the focus outside the panel: Tab then starts at the
        # first control. In reading order channel 1's slider is the 16th: seven captions, the
        # hide and exit buttons, the tempo readout, "AUTO", VOL, then band caption and slider
        # of channels 0 and 1.
        xdotool("mousemove", "--window", window, *BACKGROUND)
        run.press(window, *["Tab"] * 16, "Up", "Up", "Up")
        # Back past channel 0, VOL, "AUTO" and the readout to the exit button.
        run.press(window, *["shift+Tab"] * 7, "Return")
        self.assertEqual(run.wait_exit(), 0)
        self.assertEqual(dict(dict(run.read_settings())["Value"])["Sld11"], "13")

    def test_closing_the_window_another_way_saves_nothing(self):
        with self.subTest("no settings file yet"):
            run, window = self.started()
            x11.request_close(window)
            self.assertEqual(run.wait_exit(), 0)
            self.assertFalse(os.path.exists(run.settings_path))

        with self.subTest("a changed setup is not saved over the stored one"):
            stored = ini_text(first_start_file())
            run, window = self.started(settings=stored)
            run.click(window, FTDI_TOGGLE)
            # The click took effect: the lamps are now written to.
            run.wait_log("ftdi.log", lambda event: event.startswith("write "), what="FTDI on")
            x11.request_close(window)
            self.assertEqual(run.wait_exit(), 0)
            with open(run.settings_path, newline="") as settings_file:
                self.assertEqual(settings_file.read(), stored)


if __name__ == "__main__":
    unittest.main()
