"""Ends that are not the program's own choice still leave every lamp dark: the display server
dying under the window, and a stop signal at any moment of the start-up, also while `zeb
--headless` replaces itself with the service program."""

import os
import random
import signal
import subprocess
import time
import unittest

from darkness import ALL_OUTPUTS, DARK_ENDINGS, assert_dark_within_a_second
from sounds import WithSoundFiles
from zebrun import EVENT_TIMEOUT, NO_DISPLAY, START_TIMEOUT, ZebRun, ini_text, wait_until

STOP_SIGNALS = {signal.SIGTERM, signal.SIGINT, signal.SIGHUP, signal.SIGQUIT}


def private_x_server():
    """A new Xvfb of the test's own on a free display number: (process, display name)."""
    reader, writer = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(writer), "-nolisten", "tcp", "-noreset",
         "-screen", "0", "1024x768x24"],
        pass_fds=(writer,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(writer)
    with os.fdopen(reader) as numbers:
        number = numbers.readline().strip()
    if not number:
        server.kill()
        server.wait()
        raise AssertionError("Xvfb did not start")
    return server, ":" + number


def start_marker(pid):
    """How far the program's main has come, from /proc/PID/status: "held" while the stop
    signals are held back (main's first step, kept across the exec of the service program),
    "handled" once they have their handlers, None before main."""
    try:
        with open(f"/proc/{pid}/status") as status:
            masks = dict(line.split(":", 1) for line in status if line.startswith("Sig"))
    except (FileNotFoundError, ValueError):
        return None
    for field, marker in (("SigBlk", "held"), ("SigCgt", "handled")):
        mask = int(masks.get(field, "0"), 16)
        if all(mask & (1 << (n - 1)) for n in STOP_SIGNALS):
            return marker
    return None


class Endings(WithSoundFiles):

    def test_the_display_server_dying_under_the_window_darkens_every_lamp_first(self):
        server, display = private_x_server()
        try:
            run = ZebRun(self.files["silence"], settings=ini_text(ALL_OUTPUTS),
                         environment={"DISPLAY": display, "WAYLAND_DISPLAY": None,
                                      "QT_QPA_PLATFORM": "xcb"})
            self.addCleanup(run.close)
            run.start()
            run.wait_log("lpt.log", lambda event: event == "out 0378 01", timeout=START_TIMEOUT,
                         what="lamp frames")
            run.wait_log("ftdi.log", lambda event: event == "baud 57600", what="the activation")
            sent = time.monotonic()
            server.kill()
            server.wait()
            # Qt ends the process itself, with a failure status; the lamps went dark before.
            self.assertNotIn(run.wait_exit(), (0, -signal.SIGABRT, -signal.SIGSEGV))
            assert_dark_within_a_second(self, run, sent)
            self.assertIn("zeb: ended by a library, not by a way out of its own: every lamp dark",
                          run.output())
        finally:
            if server.poll() is None:
                server.kill()
                server.wait()

    def test_a_stop_signal_at_any_moment_of_the_start_up_ends_with_0_and_dark_lamps(self):
        # Both ways to start the service: the program itself, and the window's program, which
        # replaces itself with it. Each run is signalled a random moment after main began.
        randomness = random.Random(20)
        for args in (["--headless"], []):
            program = "zeb --headless" if args else "zeb-headless"
            markers = []
            for attempt in range(15):
                delay = randomness.uniform(0.0, 0.06)
                with self.subTest(program=program, delay_ms=round(delay * 1000, 1)):
                    run = ZebRun(self.files["silence"], settings=ini_text(ALL_OUTPUTS),
                                 environment=NO_DISPLAY, args=args)
                    if not args:
                        run.exe = os.path.join(run.program_dir, "zeb-headless")
                    try:
                        run.start()
                        markers.append(wait_until(
                            lambda: start_marker(run.process.pid) or not run.running(),
                            EVENT_TIMEOUT, "main to begin", interval=0.0002))
                        time.sleep(delay)
                        run.send(randomness.choice(sorted(STOP_SIGNALS)))
                        self.assertEqual(run.wait_exit(), 0, run.output())
                        for name, ending in DARK_ENDINGS.items():
                            events = [event for _, event in run.log(name)]
                            self.assertEqual(events[-len(ending):], ending, name)
                    finally:
                        run.close()
            if args:
                # The signals are held from the window program's main until the service
                # program's handlers exist: the poll sees that in most runs, so most signals
                # went out before any handler was there.
                self.assertGreater(markers.count("held"), len(markers) // 2, markers)


if __name__ == "__main__":
    unittest.main()
