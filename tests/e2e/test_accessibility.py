"""The window as a screen reader reads it: the program on a private D-Bus session with its own
accessibility bus, its tree read and worked through AT-SPI (pyatspi) as Orca would."""

import http.client
import json
import os
import re
import signal
import socket
import subprocess
import time
import unittest

from sounds import WithSoundFiles
from zebrun import EVENT_TIMEOUT, ZebRun, wait_until, xdotool

pyatspi = None  # imported once the private session bus exists: it connects on import


def setUpModule():
    global pyatspi, session
    try:
        session = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    except FileNotFoundError:
        raise unittest.SkipTest("dbus-daemon is not installed (scripts/install-deps test)")
    address = session.stdout.readline().strip()
    # The accessibility bus is started on demand from this session bus (at-spi2-core).
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
    os.environ.pop("AT_SPI_BUS_ADDRESS", None)
    import pyatspi as reader
    pyatspi = reader


def tearDownModule():
    # The accessibility bus launcher leaves with the session bus.
    session.send_signal(signal.SIGTERM)
    session.wait(timeout=10)
    session.stdout.close()


def tree(node):
    """Every object under `node`, depth first."""
    for child in node:
        if child is not None:
            yield child
            yield from tree(child)


def states(node):
    return set(node.getState().getStates())


def pixel(window, x, y):
    """The window's colour at (x, y) as the X server shows it: (red, green, blue)."""
    text = subprocess.run(["import", "-window", str(window), "-crop", f"1x1+{x}+{y}", "-depth", "8",
                           "txt:-"], capture_output=True, text=True, check=True).stdout
    values = text.splitlines()[1].split("(")[1].split(")")[0].split(",")
    return tuple(int(float(value)) for value in values[:3])


class ScreenReaderView(WithSoundFiles):

    def start(self, args=()):
        run = ZebRun(self.files["silence"], environment={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                                                         "QT_ACCESSIBILITY": "1"}, args=args)
        self.addCleanup(run.close)
        run.start()
        run.main_window()

        def frame():
            desktop = pyatspi.Registry.getDesktop(0)
            for app in desktop:
                if app is not None and app.get_process_id() == run.process.pid and app.childCount:
                    return app[0]
            return None
        return run, wait_until(frame, EVENT_TIMEOUT, "the program on the accessibility bus")

    def test_every_control_reads_with_its_role_name_and_state_and_works(self):
        run, frame = self.start()
        self.assertEqual(frame.getRole(), pyatspi.ROLE_FRAME)
        objects = {node.name: node for node in tree(frame)}

        # Nothing the user can reach is nameless.
        for node in tree(frame):
            shown = states(node)
            if pyatspi.STATE_SHOWING in shown and pyatspi.STATE_FOCUSABLE in shown:
                self.assertTrue(node.name, f"a nameless {node.getRoleName()}")

        # A switch reads its state, off as well as on, and pressing it switches.
        ftdi = objects["USB FTDI"]
        self.assertEqual(ftdi.getRole(), pyatspi.ROLE_CHECK_BOX)
        self.assertNotIn(pyatspi.STATE_CHECKED, states(ftdi))
        ftdi.queryAction().doAction(0)
        wait_until(lambda: pyatspi.STATE_CHECKED in states(ftdi), EVENT_TIMEOUT, "FTDI switched on")
        self.assertEqual(objects["Save and exit"].getRole(), pyatspi.ROLE_PUSH_BUTTON)

        # Lamps and indicators: read-only check boxes with their state; meters and the automatic
        # thresholds: bars with their values.
        for name in ("Channel 0 lamp", "Channel 11 indicator"):
            self.assertEqual(objects[name].getRole(), pyatspi.ROLE_CHECK_BOX, name)
            self.assertIn(pyatspi.STATE_READ_ONLY, states(objects[name]), name)
        for name in ("Left level meter", "Channel 3 auto level"):
            self.assertEqual(objects[name].getRole(), pyatspi.ROLE_PROGRESS_BAR, name)
        self.assertEqual(objects["Channel 3 auto level"].queryValue().maximumValue, 32)

        # The lists are named by their labels, not by the entry they show.
        for name in ("Audio input", "Audio device"):
            label = objects[name]
            self.assertEqual(label.getRole(), pyatspi.ROLE_LABEL)
            relations = {r.getRelationType(): r.getTarget(0) for r in label.getRelationSet()}
            listed = relations[pyatspi.RELATION_LABEL_FOR]
            self.assertEqual(listed.getRole(), pyatspi.ROLE_COMBO_BOX)
            back = {r.getRelationType(): r.getTarget(0) for r in listed.getRelationSet()}
            self.assertEqual(back[pyatspi.RELATION_LABELLED_BY].name, name)

        # A first start says on the panel what lights the lamps, until a slider moves.
        hint = next(node for node in tree(frame) if "GAIN" in (node.name or ""))
        self.assertIn(pyatspi.STATE_SHOWING, states(hint))

        # GAIN set through the reader lights channel 0 in silence (and nothing else), and the hint
        # goes.
        objects["Spectrum gain"].queryValue().currentValue = 254
        wait_until(lambda: pyatspi.STATE_CHECKED in states(objects["Channel 0 lamp"]),
                   EVENT_TIMEOUT, "lamp 0 lit")
        self.assertNotIn(pyatspi.STATE_CHECKED, states(objects["Channel 1 lamp"]))
        wait_until(lambda: pyatspi.STATE_SHOWING not in states(hint), EVENT_TIMEOUT, "the hint gone")

        # A band caption's own actions change its own band, with nothing hovered.
        band = objects["Channel 3 band"]
        self.assertEqual(band.getRole(), pyatspi.ROLE_SPIN_BUTTON)
        action = band.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        action.doAction(names.index("Increase"))
        wait_until(lambda: band.queryValue().currentValue == 13, EVENT_TIMEOUT, "band 3 at 13")
        band.queryValue().currentValue = 20
        wait_until(lambda: band.queryValue().currentValue == 20, EVENT_TIMEOUT, "band 3 at 20")
        self.assertEqual(objects["Channel 4 band"].queryValue().currentValue, 14)
        # One step above the last band the channel follows the beat, and reads as the "B" it shows.
        band.queryValue().currentValue = 32
        wait_until(lambda: band.queryText().getText(0, -1) == "B", EVENT_TIMEOUT, "band 3 on B")

        # A threshold set through the reader is what the save writes.
        objects["Channel 5 threshold"].queryValue().currentValue = 17
        objects["Save and exit"].queryAction().doAction(0)
        self.assertEqual(run.wait_exit(), 0)
        saved = dict(run.read_settings())
        self.assertEqual(dict(saved["Value"])["Sld15"], "17")
        self.assertEqual(dict(saved["text"])["Caption3"], "20")
        self.assertEqual(dict(saved["Beat"])["Channel3"], "1")

    def test_a_lamp_shows_its_colour_and_its_colour_dialog_reads_by_name_and_changes_it(self):
        run, frame = self.start()
        window = run.main_window()
        lamp = (216, 376)  # channel 5, dark in silence: a quarter of its green
        wait_until(lambda: pixel(window, *lamp) == (0, 63, 3), EVENT_TIMEOUT, "lamp 5 in its colour")

        xdotool("mousemove", "--window", window, *lamp, "click", 3)
        application = frame.getApplication()

        def dialog():
            return next((node for node in application if node is not None
                         and node.name == "Channel 5 colour"), None)
        found = wait_until(dialog, EVENT_TIMEOUT, "the colour dialog of channel 5")
        self.assertEqual(found.getRole(), pyatspi.ROLE_DIALOG)
        objects = {node.name: node for node in tree(found)}
        html = next(node for name, node in objects.items() if name and "HTML" in name)
        html.queryComponent().grabFocus()
        xdotool("key", "--clearmodifiers", "ctrl+a")
        xdotool("type", "#0000ff")
        objects["OK"].queryAction().doAction(0)
        wait_until(lambda: pixel(window, *lamp) == (0, 0, 63), EVENT_TIMEOUT, "lamp 5 blue")

        run.click(window, (421, 31))  # save and exit
        self.assertEqual(run.wait_exit(), 0)
        self.assertEqual(dict(dict(run.read_settings())["Colour"]), {"Colour5": "0000FF"})

    def test_a_change_from_the_page_shows_in_the_window_and_the_address_reads_with_its_code(self):
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        run, frame = self.start(args=["--web", f"127.0.0.1:{port}"])
        token = re.search(r"zeb: web page at http://127\.0\.0\.1:\d+/\?token=([0-9a-f]{32})",
                          run.output()).group(1)
        objects = {node.name: node for node in tree(frame)}
        label = objects[f"127.0.0.1:{port}"]
        self.assertIn(f"http://127.0.0.1:{port}/?token={token}", label.description)
        self.assertIn('<img src="data:image/png;base64,', label.description)

        connection = http.client.HTTPConnection("127.0.0.1", port, timeout=EVENT_TIMEOUT)
        self.addCleanup(connection.close)
        connection.request("POST", "/change", json.dumps({"do": "threshold", "channel": 3, "value": 9}),
                           {"Cookie": f"zeb_token={token}", "Host": f"127.0.0.1:{port}"})
        self.assertEqual(connection.getresponse().status, 200)
        # The window shows the change as soon as it was carried out: read once, no waiting.
        self.assertEqual(objects["Channel 3 threshold"].queryValue().currentValue, 9)

        # A change in the window reaches a page that is open already.
        stream = http.client.HTTPConnection("127.0.0.1", port, timeout=EVENT_TIMEOUT)
        self.addCleanup(stream.close)
        stream.request("GET", "/events", headers={"Cookie": f"zeb_token={token}", "Host": f"127.0.0.1:{port}"})
        events, buffered = stream.getresponse(), b""

        def next_states():
            nonlocal buffered
            buffered += events.read1(65536)
            *complete, buffered = buffered.split(b"\n\n")
            return [json.loads(event.removeprefix(b"data: ")) for event in complete]

        while not any("channels" in state for state in next_states()):
            pass
        objects["Channel 4 threshold"].queryValue().currentValue = 12
        deadline = time.monotonic() + EVENT_TIMEOUT
        while not any(state.get("channels", [{}] * 5)[4].get("threshold") == 12 for state in next_states()):
            self.assertLess(time.monotonic(), deadline, "channel 4's threshold on the page")


if __name__ == "__main__":
    unittest.main()
