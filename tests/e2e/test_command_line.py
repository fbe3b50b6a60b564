"""The command line, with and without a display: --help, --version, a wrong option, no display
at all, and --config naming the settings file."""

import itertools
import os
import re
import subprocess
import unittest

from sounds import WithSoundFiles
from zebrun import EXIT_BUTTON, NO_DISPLAY, ZebRun, ini_text, program_path


def run_to_end(args, display):
    env = dict(os.environ)
    if not display:
        for name in NO_DISPLAY:
            env.pop(name, None)
    return subprocess.run([program_path(), *args], env=env, capture_output=True, text=True, timeout=30)


class CommandLine(WithSoundFiles):

    def test_help_and_version_answer_with_and_without_a_display(self):
        for display in (True, False):
            with self.subTest(display=display):
                shown = run_to_end(["--help"], display)
                self.assertEqual((shown.returncode, shown.stderr), (0, ""))
                self.assertTrue(shown.stdout.startswith("Usage: zeb "))
                for option in ("--config PATH", "--headless", "--verbose", "--version",
                               "--web [ADDRESS:]PORT", "--web-new-token"):
                    self.assertIn(option, shown.stdout)
                shown = run_to_end(["--version"], display)
                self.assertEqual((shown.returncode, shown.stderr), (0, ""))
                self.assertRegex(shown.stdout, r"^zeb \d+\.\d+\.\d+\n$")

    def test_a_wrong_option_prints_the_usage_on_stderr_and_exits_2(self):
        for args in (["--bogus"], ["--config"], ["stray"], ["--web"], ["--web", "80800"],
                     ["--web=zeb.lan:8035"], ["--web", "::1:8035"]):
            with self.subTest(args=args):
                shown = run_to_end(args, display=True)
                self.assertEqual((shown.returncode, shown.stdout), (2, ""))
                self.assertIn("Usage: zeb ", shown.stderr)

    def test_without_a_display_the_window_says_so_in_one_line(self):
        shown = run_to_end([], display=False)
        # A plain failure status, not an abort (a negative status is a signal).
        self.assertEqual(shown.returncode, 1)
        self.assertEqual(len(shown.stderr.splitlines()), 1)
        self.assertIn("no display", shown.stderr)

    def test_the_window_starts_on_a_display_that_resets_when_its_last_client_leaves(self):
        # A plain xvfb-run: an X server resets when its last client leaves, and a program that
        # connects during the reset aborts. So the program's own look for a display must not
        # leave the server without clients before the window has connected. The server's
        # audit log tells, every time, whether it did.
        audit = os.path.join(self.sounds.name, "xvfb.log")
        shown = subprocess.run(
            ["xvfb-run", "-a", "-e", audit, "-s", "-screen 0 640x480x24 -audit 4",
             "timeout", "-s", "TERM", "2",
             program_path(), "--config", os.path.join(self.sounds.name, "set.ini")],
            env=dict(os.environ, ZEB_AUDIO_FILE=os.path.join(self.sounds.name, "missing.wav")),
            capture_output=True, text=True, timeout=60)
        # Still running (its message box about the missing file open) when told to end.
        self.assertEqual(shown.returncode, 124, shown.stderr)
        events = []
        with open(audit) as log:
            for line in log:
                change = re.search(r"client \d+ (connected|disconnected)", line)
                repeated = re.search(r"last message repeated (\d+) times", line)
                if change:
                    events.append(change[1])
                elif repeated and events:
                    events += [events[-1]] * int(repeated[1])
        clients = list(itertools.accumulate(1 if event == "connected" else -1 for event in events))
        # Without any client once only: when the program has ended.
        self.assertEqual(clients.count(0), 1, events)

    def test_config_names_the_settings_file_that_is_loaded_and_saved(self):
        run = ZebRun(self.files["silence"])
        self.addCleanup(run.close)
        elsewhere = os.path.join(run.folder, "elsewhere.ini")
        with open(elsewhere, "w", newline="") as settings:
            settings.write(ini_text([("COM", [("CPORT", "FTDI")]), ("Notes", [("kept", "yes")])]))
        run.args = ["--config", elsewhere, "--verbose"]
        run.start()
        window = run.main_window()
        # Loaded: the stored FTDI output is live without a click.
        run.wait_log("ftdi.log", lambda event: event.startswith("write "), what="an FTDI frame")

        run.click(window, EXIT_BUTTON)
        self.assertEqual(run.wait_exit(), 0)
        with open(elsewhere, newline="") as settings:
            saved = settings.read()
        self.assertIn("[ForeColor]\r\n", saved)
        self.assertIn("[Notes]\r\nkept=yes\r\n", saved)
        self.assertFalse(os.path.exists(run.settings_path), "saved beside the program instead")
        # --verbose: the device events.
        for event in ("capture started: ", "FTDI chip opened", "every lamp dark, devices closed"):
            self.assertIn(f"zeb: {event}", run.output())


if __name__ == "__main__":
    unittest.main()
