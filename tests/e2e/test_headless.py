"""The service without a screen: no display in its environment, a sound file as input and
simulated lamps. The lamps follow the sound, no window-system library is loaded, each of
SIGINT, SIGTERM and SIGHUP darkens every lamp, leaves the settings alone and ends with 0, and a
serial adapter pulled out and plugged in again is reported, shown and driven again."""

import os
import pty
import select
import signal
import subprocess
import time
import unittest

from darkness import ALL_OUTPUTS, assert_dark_within_a_second
from sounds import IN_BAND_HZ, WithSoundFiles
from zebrun import EVENT_TIMEOUT, NO_DISPLAY, ZebRun, ini_text, wait_until

SERVICE_SIGNALS = ("SIGINT", "SIGTERM", "SIGHUP")


def process_state(pid):
    """The state letter of /proc/PID/stat (R, S, T ...)."""
    with open(f"/proc/{pid}/stat") as stat:
        return stat.read().rsplit(")", 1)[1].split()[0]


class Headless(WithSoundFiles):
    # Long enough for each state to be logged (a state must hold for a second).
    SOUNDS = {"tone": [(1.5, None, 0), (1.5, IN_BAND_HZ, 0.5)]}

    def started(self, sound=None):
        run = ZebRun(sound or self.files["tone"], settings=ini_text(ALL_OUTPUTS), environment=NO_DISPLAY)
        self.addCleanup(run.close)
        run.args = ["--headless", "--config", run.settings_path]
        run.start()
        return run

    def wait_moving_lamps(self, run):
        """Channel 5 lit by the tone, then only channel 0 in the silence, on the parallel port."""
        lit, _, _ = run.wait_log("lpt.log", lambda event: event == "out 0378 20", what="channel 5 lit")
        run.wait_log("lpt.log", lambda event: event == "out 0378 01", after=lit, what="channel 5 dark again")

    def test_each_signal_darkens_every_lamp_and_ends_with_0(self):
        for name in SERVICE_SIGNALS:
            with self.subTest(name):
                run = self.started()
                with open(run.settings_path, newline="") as settings:
                    stored = settings.read()
                self.wait_moving_lamps(run)
                with open(f"/proc/{run.process.pid}/maps") as maps:
                    loaded = maps.read()
                for library in ("libQt6Widgets", "libQt6Gui"):
                    self.assertNotIn(library, loaded)

                # Not on a terminal: one line per change of state.
                said = run.output()
                self.assertNotIn("FTDI chip opened", said, "device events without --verbose")
                self.assertIn("zeb: input silent (only channel 0 lit); outputs: COM, LPT 378, KEYBOARD, DMX universe 1\n", said)
                self.assertIn("zeb: sound; outputs: COM, LPT 378, KEYBOARD, DMX universe 1\n", said)

                sent = run.send(getattr(signal, name))
                self.assertEqual(run.wait_exit(), 0)
                assert_dark_within_a_second(self, run, sent)
                with open(run.settings_path, newline="") as settings:
                    self.assertEqual(settings.read(), stored)
                self.assertIn(f"zeb: {name}: every lamp dark", run.output())

    def test_on_a_terminal_one_status_line_is_kept_live(self):
        run = ZebRun(self.files["tone"], settings=ini_text(ALL_OUTPUTS), environment=NO_DISPLAY)
        self.addCleanup(run.close)
        main, terminal = pty.openpty()
        self.addCleanup(os.close, main)
        env = dict(os.environ, ZEB_AUDIO_FILE=run.sound, ZEB_SIMULATE=run.sim_dir)
        env.pop("DISPLAY", None)
        run.process = subprocess.Popen([run.exe, "--headless"], env=env, stdin=subprocess.DEVNULL,
                                       stdout=terminal, stderr=terminal)
        os.close(terminal)
        shown = b""
        deadline = time.monotonic() + 20
        lit = b"lamps -----#------"
        # Until the tone has lit channel 5 on the live line and the silence after it has put
        # channel 0 back: at least two updates, however late the first one came.
        while (lit not in shown or b"lamps #-----------" not in shown[shown.index(lit) :]) and (
            time.monotonic() < deadline
        ):
            if select.select([main], [], [], 0.5)[0]:
                shown += os.read(main, 4096)
        run.send(signal.SIGTERM)
        self.assertEqual(run.wait_exit(), 0)
        lines = shown.decode().split("\r\n")
        # After the start line, every update rewrites the one line in place.
        self.assertTrue(lines[0].startswith("zeb: running with "), lines[0])
        updates = lines[1].split("\r\x1b[K")[1:-1]  # the last one may be cut short
        self.assertGreater(len(updates), 1)
        for update in updates:
            self.assertRegex(update, r"^level +\d+%  lamps [#-]{12}  outputs: COM, LPT 378, KEYBOARD, DMX universe 1$")

    def test_a_serial_port_pulled_out_is_one_line_a_lost_state_and_is_opened_again_when_back(self):
        settings = [(name, keys + [("Combo2", "0")] if name == "index" else keys)
                    for name, keys in ALL_OUTPUTS]
        run = ZebRun(self.files["tone"], settings=ini_text(settings), environment=NO_DISPLAY,
                     args=["--headless"])
        self.addCleanup(run.close)
        run.start()
        run.wait_lines("serial.log", lambda event: event == "tx ff", 8)
        others = "LPT 378, KEYBOARD, DMX universe 1\n"

        unplugged = os.path.join(run.sim_dir, "serial.unplugged")
        open(unplugged, "w").close()
        lost, lost_ms, _ = run.wait_log("serial.log", lambda event: event == "lost", what="the port lost")
        wait_until(lambda: f"outputs: COM (port lost), {others}" in run.output(), EVENT_TIMEOUT,
                   "the state line saying the port is lost")
        os.remove(unplugged)
        back = time.monotonic()
        opened, opened_ms, _ = run.wait_log("serial.log", lambda event: event == "open", after=lost,
                                            what="the port opened again")
        run.wait_log("serial.log", lambda event: event == "tx ff", after=opened, what="frames again")
        self.assertLess(time.monotonic() - back, 2.0)
        wait_until(lambda: run.output().endswith(f"outputs: COM, {others}"), EVENT_TIMEOUT,
                   "the state line without the loss")

        # Tried about twice a second while it was away, not at every tick.
        tries = [event for _, event in run.log("serial.log")[lost:opened] if event == "open failed"]
        self.assertLessEqual(len(tries), (opened_ms - lost_ms) / 1000 * 2.5 + 1)
        self.assertEqual([line for line in run.output().splitlines() if "serial port" in line],
                         ["zeb: serial port 1 (simulated port 1) lost: No such device; it is opened "
                          "again as soon as it is back"])
        run.send(signal.SIGTERM)
        self.assertEqual(run.wait_exit(), 0)

    def test_a_second_signal_ends_at_once(self):
        run = self.started()
        self.wait_moving_lamps(run)
        # Both arrive together: the first starts the way out, the second cuts it short.
        os.kill(run.process.pid, signal.SIGSTOP)
        wait_until(lambda: process_state(run.process.pid) == "T", EVENT_TIMEOUT, "the program stopped")
        run.send(signal.SIGTERM)
        run.send(signal.SIGINT)
        os.kill(run.process.pid, signal.SIGCONT)
        self.assertIn(run.wait_exit(), (-signal.SIGTERM, -signal.SIGINT))

    def test_a_sound_file_that_cannot_be_read_ends_with_one_line_naming_it(self):
        missing = os.path.join(self.sounds.name, "missing.wav")
        run = self.started(sound=missing)
        self.assertNotEqual(run.wait_exit(), 0)
        lines = run.output().splitlines()
        self.assertEqual(len(lines), 1, lines)
        self.assertIn(f"sound file {missing}: No such file or directory", lines[0])


if __name__ == "__main__":
    unittest.main()
