"""The ways out of the window: a save that fails runs on, and every way out (the button, the
window's close, each signal) leaves every lamp dark."""

import os
import signal
import socket
import time
import unittest

import x11
from darkness import ALL_OUTPUTS, assert_dark_within_a_second
from sounds import WithSoundFiles
from test_messages import machine_has_port_access, message_text
from zebrun import EVENT_TIMEOUT, EXIT_BUTTON, FTDI_TOGGLE, NO_DISPLAY, WINDOW_SIZE, ZebRun, ini_text, wait_until


class WaysOut(WithSoundFiles):

    def started(self, settings=None):
        run = ZebRun(self.files["silence"], settings=settings)
        self.addCleanup(run.close)
        run.start()
        window = run.main_window()
        # Activation opens the FTDI chip: once that is logged, start-up is over.
        run.wait_log("ftdi.log", lambda event: event == "baud 57600", what="the window's activation")
        return run, window

    def test_a_failed_save_keeps_the_program_running_and_a_second_press_saves(self):
        run = ZebRun(self.files["silence"])
        self.addCleanup(run.close)
        # set.ini is a folder: the save cannot replace it.
        os.mkdir(run.settings_path)
        kept = os.path.join(run.settings_path, "kept.txt")
        with open(kept, "w") as kept_file:
            kept_file.write("untouched")
        run.start()
        window = run.main_window()
        run.click(window, FTDI_TOGGLE)
        run.wait_log("ftdi.log", lambda event: event == "write 01", what="FTDI frames")

        run.click(window, EXIT_BUTTON)
        box = wait_until(lambda: next((wid for wid, name, w, h in run.windows()
                                       if name == "ZEB" and (w, h) != WINDOW_SIZE), None),
                         EVENT_TIMEOUT, "the save's message box")
        self.assertIn("could not be saved", message_text(run, box))
        run.press(box, "Return")

        # The lamps go on, the folder is as it was, and the line on stderr says why.
        after = len(run.log("ftdi.log"))
        run.wait_log("ftdi.log", lambda event: event == "write 01", after=after, what="frames after the failure")
        with open(kept) as kept_file:
            self.assertEqual(kept_file.read(), "untouched")
        self.assertIn(f"zeb: The settings could not be saved to {run.settings_path}; error ",
                      run.output())

        os.remove(kept)
        os.rmdir(run.settings_path)
        run.click(window, EXIT_BUTTON)
        self.assertEqual(run.wait_exit(), 0)
        # The change made before the failure is the one saved.
        self.assertEqual(dict(dict(run.read_settings())["COM"])["CPORT"], "FTDI")

    def test_every_signal_and_the_windows_close_darken_every_lamp_and_save_nothing(self):
        stored = ini_text(ALL_OUTPUTS)
        for way in ("SIGTERM", "SIGINT", "SIGHUP", "SIGQUIT", "close"):
            with self.subTest(way):
                run, window = self.started(settings=stored)
                run.wait_log("lpt.log", lambda event: event == "out 0378 01", what="lamp frames")
                if way == "close":
                    sent = time.monotonic()
                    x11.request_close(window)
                else:
                    sent = run.send(getattr(signal, way))
                self.assertEqual(run.wait_exit(), 0)
                assert_dark_within_a_second(self, run, sent)
                with open(run.settings_path, newline="") as settings_file:
                    self.assertEqual(settings_file.read(), stored)
                if way != "close":
                    self.assertIn(f"zeb: {way}: every lamp dark", run.output())

    def test_a_signal_behind_a_start_up_message_ends_the_start_up_there(self):
        if machine_has_port_access():
            self.skipTest("this machine can reach a parallel port: no start-up message")
        with socket.socket() as unused:
            unused.bind(("127.0.0.1", 0))
            nobody_answers = unused.getsockname()[1]
        # The port's message, and after it (were start-up to go on) the DMX output's.
        setup = ini_text([("LPT", [("LPORT", "LPT")]),
                          ("DMX", [("Switch", "DMX"), ("RpcPort", str(nobody_answers))])])
        run = ZebRun(self.files["silence"], settings=setup, simulate=False)
        self.addCleanup(run.close)
        run.start()
        run.wait_window("ZEB")
        run.send(signal.SIGTERM)
        self.assertEqual(run.wait_exit(), 0)
        said = run.output()
        self.assertIn("zeb: SIGTERM: every lamp dark", said)
        self.assertNotIn("olad", said, "the DMX output was started after the end")

    def test_the_exit_button_darkens_every_lamp_after_saving(self):
        run, window = self.started(settings=ini_text(ALL_OUTPUTS))
        run.wait_log("lpt.log", lambda event: event == "out 0378 01", what="lamp frames")
        sent = time.monotonic()
        run.click(window, EXIT_BUTTON)
        self.assertEqual(run.wait_exit(), 0)
        assert_dark_within_a_second(self, run, sent)
        self.assertEqual(dict(dict(run.read_settings())["KEY"])["KPORT"], "1")

    def test_a_log_reader_that_went_away_ends_neither_program(self):
        for headless in (False, True):
            with self.subTest(headless=headless):
                run = ZebRun(self.files["silence"], settings=ini_text(ALL_OUTPUTS),
                             environment=NO_DISPLAY if headless else None,
                             args=["--verbose"] + (["--headless"] if headless else []))
                self.addCleanup(run.close)
                # stdout and stderr a pipe nobody reads any more: every line written fails.
                reader, writer = os.pipe()
                os.close(reader)
                run.start(output=writer)
                os.close(writer)
                run.wait_log("lpt.log", lambda event: event == "out 0378 01", what="lamp frames")
                sent = run.send(signal.SIGTERM)
                self.assertEqual(run.wait_exit(), 0)
                assert_dark_within_a_second(self, run, sent)


if __name__ == "__main__":
    unittest.main()
