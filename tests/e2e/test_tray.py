"""The notification-area icon under a real notification area (trayer): every kind of press on
the icon brings the hidden window back, and none ends the program; the show key hides the window
and brings it back."""

import subprocess
import unittest

from sounds import WithSoundFiles
from zebrun import EVENT_TIMEOUT, EXIT_BUTTON, HIDE_BUTTON, ZebRun, wait_until, xdotool

SHOW_KEY = "ctrl+alt+z"
# xdotool click arguments: each button once, then a left double click.
PRESSES = [("left", ["1"]), ("middle", ["2"]), ("right", ["3"]),
           ("double", ["--repeat", "2", "--delay", "80", "1"])]


class TrayIcon(WithSoundFiles):

    def setUp(self):
        self.trayer = subprocess.Popen(
            ["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
             "--width", "100", "--heighttype", "pixel", "--height", "30"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(self.stop_trayer)
        wait_until(lambda: xdotool("search", "--onlyvisible", "--name", "^panel$"),
                   EVENT_TIMEOUT, "the notification area")

    def stop_trayer(self):
        self.trayer.terminate()
        try:
            self.trayer.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.trayer.kill()
            self.trayer.wait()

    def test_every_press_on_the_icon_and_the_show_key_bring_the_window_back(self):
        # Without a session bus Qt embeds its icon in the X notification area, as trayer hosts.
        run = ZebRun(self.files["silence"], environment={"DBUS_SESSION_BUS_ADDRESS": None})
        self.addCleanup(run.close)
        run.start()
        window = run.main_window()
        run.wait_log("ftdi.log", lambda event: event == "baud 57600", what="the window's activation")

        for name, click in PRESSES:
            with self.subTest(press=name):
                run.click(window, HIDE_BUTTON)
                icon = wait_until(lambda: self.icon_alone(run, window), EVENT_TIMEOUT,
                                  "the window hidden and the icon in the notification area")
                xdotool("mousemove", "--window", icon, 5, 5, "click", *click)
                wait_until(lambda: self.window_back(run, window), EVENT_TIMEOUT,
                           "the window shown again")

        with self.subTest(press="show key"):
            run.press(window, SHOW_KEY)
            wait_until(lambda: self.icon_alone(run, window), EVENT_TIMEOUT,
                       "the window hidden by the show key")
            # Hidden, the window has no focus: the desktop hands the key to the program.
            xdotool("key", "--clearmodifiers", SHOW_KEY)
            wait_until(lambda: self.window_back(run, window), EVENT_TIMEOUT,
                       "the window shown by the show key")

        run.click(window, EXIT_BUTTON)
        self.assertEqual(run.wait_exit(), 0)

    @staticmethod
    def icon_alone(run, window):
        if not run.running():
            raise AssertionError(f"the program ended (status {run.process.returncode})")
        shown = [wid for wid, *_ in run.windows()]
        return shown[0] if len(shown) == 1 and shown[0] != window else None

    @staticmethod
    def window_back(run, window):
        if not run.running():
            raise AssertionError(f"the program ended (status {run.process.returncode})")
        return [wid for wid, *_ in run.windows()] == [window]


if __name__ == "__main__":
    unittest.main()
