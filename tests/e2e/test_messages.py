"""Message boxes of the start-up, read through the clipboard (the text of a message box can be
selected and copied) and answered with Return, as a user would."""

import ctypes
import glob
import os
import time
import unittest

import x11
from sounds import WithSoundFiles
from zebrun import EVENT_TIMEOUT, EXIT_BUTTON, WINDOW_SIZE, ZebRun, ini_text, wait_until

PORT_MESSAGE = "LPT порт отсутствует , неисправен или неверно указан адрес"


def message_text(run, box):
    """Everything the message box `box` says: its message and the detail under it."""
    return "\n".join(sorted(texts_of_box(run, box)))


def texts_of_box(run, box):
    """The texts of the message box `box` (its message, the detail under it), each copied the
    way a user copies it: a click on it, select all, copy."""
    width, height = next((w, h) for wid, _, w, h in run.windows() if wid == box)
    found = set()
    for tenth in range(2, 8):
        run.click(box, (width // 2, height * tenth // 10))
        run.press(box, "ctrl+a", "ctrl+c")
        found.add(x11.read_clipboard(timeout=1.0))
    return found - {None}


def the_one_start_up_message(test, run):
    """The text of the message box start-up shows before the main window, answered with Return;
    then the main window, with no second message while the program runs on."""
    box = run.wait_window("ZEB")
    test.assertNotIn(WINDOW_SIZE, [(w, h) for _, _, w, h in run.windows()],
                     "the main window is shown before the message")
    text = message_text(run, box)
    run.press(box, "Return")
    window = run.main_window()
    # Once is once: no second message follows while the program runs on.
    time.sleep(1.5)
    test.assertTrue(run.running())
    test.assertEqual([(wid, name) for wid, name, *_ in run.windows()], [(window, "ZEB")])
    return text, window


def machine_has_port_access():
    """Whether this machine can reach a parallel port at all (then there is no message)."""
    if any(os.access(device, os.W_OK) for device in glob.glob("/dev/parport*")):
        return True
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.ioperm(0, 0x400, 1) == 0:
        libc.ioperm(0, 0x400, 0)
        return True
    return False


class StartUpMessages(WithSoundFiles):

    def test_lpt_stored_on_without_port_access_warns_once_and_runs_on(self):
        if machine_has_port_access():
            self.skipTest("this machine can reach a parallel port")
        setup = ini_text([("LPT", [("LPORT", "LPT")])])
        # Real drivers: no simulated devices.
        run = ZebRun(self.files["silence"], settings=setup, simulate=False)
        self.addCleanup(run.close)
        run.start()

        text, window = the_one_start_up_message(self, run)
        self.assertIn(PORT_MESSAGE, text)

        run.click(window, EXIT_BUTTON)
        self.assertEqual(run.wait_exit(), 0)
        self.assertEqual(dict(dict(run.read_settings())["LPT"])["LPORT"], "LPT")

    def test_no_capture_device_reports_the_error_and_ends_unsuccessfully(self):
        run = ZebRun("/nonexistent.wav")
        self.addCleanup(run.close)
        run.start()

        box = run.wait_window("Error")
        texts = texts_of_box(run, box)
        self.assertIn("Can't initialize device\n\nerror code: 2", texts)
        # Under the message, what to act on: the file and the system's reason.
        self.assertIn("sound file /nonexistent.wav: No such file or directory", texts)
        self.assertTrue(run.running(), "the program ended before the report was closed")

        run.press(box, "Return")
        self.assertNotEqual(run.wait_exit(), 0)
        # The same message on stderr, with the file and why.
        self.assertIn("zeb: Can't initialize device; error code: 2 "
                      "(sound file /nonexistent.wav: No such file or directory)\n", run.output())
        self.assertFalse(os.path.exists(run.settings_path))
        self.assertEqual(run.log("ftdi.log"), [], "devices opened although the program never ran")


if __name__ == "__main__":
    unittest.main()
