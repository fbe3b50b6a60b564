"""Runs the real program for end-to-end checks: a private copy in a temporary folder, a sound
file as its input, simulated lamps, and its windows driven with real X events through xdotool.

The program path comes from the environment variable ZEB_PROGRAM. Every wait polls against a
deadline; a run is always killed when it is closed, whatever the test did.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

WINDOW_SIZE = (643, 393)
# An environment change (see ZebRun) that leaves the program without any display.
NO_DISPLAY = {"DISPLAY": None, "WAYLAND_DISPLAY": None, "QT_QPA_PLATFORM": None}
# Centres of the window's controls, from their rectangles on the panel.
EXIT_BUTTON = (421, 31)
HIDE_BUTTON = (405, 31)
FTDI_TOGGLE = (136, 32)
BACKGROUND = (6, 200)

# Generous: the CI machine is slow and shared.
START_TIMEOUT = 30.0
EVENT_TIMEOUT = 15.0


def program_path():
    path = os.environ.get("ZEB_PROGRAM")
    if not path or not os.access(path, os.X_OK):
        raise RuntimeError("set ZEB_PROGRAM to the built zeb executable")
    return path


def ini_text(sections):
    """set.ini text (CR LF lines) from [(section, [(key, value), ...]), ...]."""
    lines = []
    for section, entries in sections:
        lines.append(f"[{section}]")
        lines.extend(f"{key}={value}" for key, value in entries)
    return "".join(line + "\r\n" for line in lines)


def parse_ini(text):
    """[(section, [(key, value), ...]), ...] in file order; keys keep their blanks."""
    sections = []
    for line in text.replace("\r\n", "\n").split("\n"):
        if not line.strip():
            continue
        if line.startswith("["):
            sections.append((line[1 : line.index("]")], []))
        else:
            key, _, value = line.partition("=")
            sections[-1][1].append((key, value))
    return sections


def log_lines(path):
    """A simulated lamp log's lines as (milliseconds, event); [] while it does not exist."""
    try:
        with open(path) as log_file:
            text = log_file.read()
    except FileNotFoundError:
        return []
    lines = []
    for line in text.splitlines():
        ms, _, event = line.partition(" ")
        if ms.isdigit():
            lines.append((int(ms), event))
    return lines


def rising_edges(lines, bit):
    """Times (ms) of the FTDI frames that light `bit` after a frame that did not."""
    edges, lit = [], False
    for ms, event in lines:
        if not event.startswith("write "):
            continue
        now = bool(int(event.split()[1], 16) & (1 << bit))
        if now and not lit:
            edges.append(ms)
        lit = now
    return edges


def wait_until(condition, timeout, what, interval=0.02):
    """Polls `condition` until it returns something true; fails with `what` at the deadline."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def xdotool(*args):
    done = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, timeout=30)
    return done.stdout.split() if done.returncode == 0 else []


class ZebRun:
    """One run of the program in its own folder (removed on close), with the command-line
    arguments `args`."""

    def __init__(self, sound, settings=None, simulate=True, environment=None, args=()):
        self.folder = tempfile.mkdtemp(prefix="zeb-e2e-")
        # Its own program folder, so set.ini lands here and never beside the build's program.
        self.program_dir = os.path.join(self.folder, "program")
        os.mkdir(self.program_dir)
        self.exe = os.path.join(self.program_dir, "zeb")
        shutil.copy2(program_path(), self.exe)
        # `zeb --headless` runs the service binary beside it, and a DMX output and the tempo
        # tracker load their modules from there.
        for sibling in ("zeb-headless", "zeb-ola.so", "zeb-aubio.so"):
            built = os.path.join(os.path.dirname(program_path()), sibling)
            if os.path.exists(built):
                shutil.copy2(built, self.program_dir)
        self.args = list(args)
        self.settings_path = os.path.join(self.program_dir, "set.ini")
        if settings is not None:
            with open(self.settings_path, "w", newline="") as out:
                out.write(settings)
        self.sim_dir = os.path.join(self.folder, "sim") if simulate else None
        self.sound = sound
        # Changes to the program's environment; None removes a variable.
        self.environment = environment or {}
        self.process = None
        self.started_at = None
        self.signalled = False

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def start(self, output=None):
        """Starts the program; its stdout and stderr go to the file descriptor `output`, or to a
        file that output() reads."""
        env = dict(os.environ)
        env.pop("ZEB_SIMULATE", None)
        env["ZEB_AUDIO_FILE"] = self.sound
        env["XDG_CONFIG_HOME"] = os.path.join(self.folder, "config")
        env["XDG_RUNTIME_DIR"] = self.folder
        if self.sim_dir:
            env["ZEB_SIMULATE"] = self.sim_dir
        for name, value in self.environment.items():
            if value is None:
                env.pop(name, None)
            else:
                env[name] = value
        self.started_at = time.monotonic()
        with open(os.path.join(self.folder, "output.txt"), "w") as output_file:
            self.process = subprocess.Popen(
                [self.exe, *self.args], cwd=self.folder, env=env,
                stdout=output_file if output is None else output, stderr=subprocess.STDOUT
            )
        return self

    def output(self):
        """What the program wrote to stdout and stderr so far."""
        with open(os.path.join(self.folder, "output.txt")) as output:
            return output.read()

    def close(self):
        if self.process and self.process.poll() is not None and self.process.returncode != 0 \
                and not self.signalled:
            said = self.output()
            # Killed by a signal it raised itself (an abort, a crash), or a sanitizer's report:
            # show what it said.
            if self.process.returncode < 0 or "Sanitizer" in said:
                print(f"\nzeb ended with status {self.process.returncode}:\n{said}", file=sys.stderr)
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)

    def running(self):
        return self.process.poll() is None

    def send(self, signal_number):
        """Sends a signal; returns the time it was sent (time.monotonic())."""
        self.signalled = True
        sent = time.monotonic()
        self.process.send_signal(signal_number)
        return sent

    def ms_since_start(self, moment):
        """`moment` (time.monotonic()) on the simulated logs' clock, which starts a little
        after the launch: so the result is never too late."""
        return (moment - self.started_at) * 1000.0

    def wait_exit(self, timeout=EVENT_TIMEOUT):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the program did not end within {timeout:.0f} s") from None

    # Windows

    def windows(self):
        """The program's visible windows as (id, title, width, height)."""
        found = []
        for wid in xdotool("search", "--all", "--onlyvisible", "--pid", self.process.pid, "--class", "."):
            size = _window_size(wid)
            if size:
                found.append((int(wid), _window_name(wid), *size))
        return found

    def wait_window(self, title, size=None, timeout=START_TIMEOUT):
        def find():
            if not self.running():
                raise AssertionError(f"the program ended (status {self.process.returncode}) "
                                     f"before a window \"{title}\" appeared")
            for wid, name, width, height in self.windows():
                if name == title and (size is None or (width, height) == size):
                    return wid
            return None
        return wait_until(find, timeout, f"a window titled \"{title}\"")

    def main_window(self, timeout=START_TIMEOUT):
        return self.wait_window("ZEB", WINDOW_SIZE, timeout)

    def click(self, window, position):
        x, y = position
        # No --sync: it waits for the pointer to move, forever when it is already there.
        xdotool("mousemove", "--window", window, x, y, "click", 1)

    def press(self, window, *keys):
        # Keys sent to a window directly are marked synthetic and Qt ignores them: focus the
        # window and type for real.
        xdotool("windowfocus", "--sync", window)
        xdotool("key", "--clearmodifiers", *keys)

    # Simulated lamp logs

    def log(self, name):
        """The lines of a simulated log as (milliseconds, event); [] while it does not exist."""
        return log_lines(os.path.join(self.sim_dir, name))

    def wait_log(self, name, predicate, after=0, timeout=EVENT_TIMEOUT, what=None):
        """The first line (from index `after` on) whose event satisfies `predicate`, and its index."""
        def find():
            for index, (ms, event) in enumerate(self.log(name)[after:], start=after):
                if predicate(event):
                    return (index, ms, event)
            if not self.running():
                raise AssertionError(f"the program ended while waiting for {what or name}")
            return None
        return wait_until(find, timeout, what or f"a line in {name}")

    def wait_lines(self, name, predicate, count, after=0, timeout=EVENT_TIMEOUT):
        """Waits until `count` lines from index `after` on satisfy `predicate`; returns their events."""
        def find():
            events = [event for _, event in self.log(name)[after:] if predicate(event)]
            if len(events) >= count:
                return events[:count]
            if not self.running():
                raise AssertionError(f"the program ended while waiting for lines in {name}")
            return None
        return wait_until(find, timeout, f"{count} lines in {name}")

    def read_settings(self):
        with open(self.settings_path, newline="") as settings_file:
            return parse_ini(settings_file.read())


def _window_name(wid):
    done = subprocess.run(["xdotool", "getwindowname", str(wid)], capture_output=True, text=True, timeout=30)
    return done.stdout.rstrip("\n")


def _window_size(wid):
    done = subprocess.run(["xdotool", "getwindowgeometry", str(wid)], capture_output=True, text=True, timeout=30)
    for line in done.stdout.splitlines():
        if "Geometry:" in line:
            width, height = line.split("Geometry:")[1].strip().split("x")
            return int(width), int(height)
    return None
