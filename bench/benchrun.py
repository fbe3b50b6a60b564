"""One measured run of the whole program, shared by bench/program-bench and bench/soak: the
built program copied into a temporary folder, a generated sound file (1 s silence, 1 s tone in
channel 5's band, repeated) as its input, simulated lamps with the FTDI output on, in a virtual
X display; and what /proc and the simulated logs tell about it."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

from sounds import IN_BAND_HZ, tone_setup, write_wav  # noqa: E402
from zebrun import ini_text, log_lines  # noqa: E402

DEFAULT_PROGRAM = os.path.join(HERE, "..", "build", "src", "app", "zeb")
CYCLE_SECONDS = 2.0  # 1 s silence, then 1 s tone
CYCLES = 10
ENGINE_TICK_MS = 35
UNDER_XVFB = "ZEB_BENCH_UNDER_XVFB"


def rerun_under_xvfb():
    """Runs the calling script again inside a virtual display, so the program is our own child."""
    if os.environ.get(UNDER_XVFB):
        return
    env = dict(os.environ, **{UNDER_XVFB: "1"})
    command = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -noreset", sys.executable, *sys.argv]
    sys.exit(subprocess.run(command, env=env).returncode)


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        # Fields after the command name, which is in parentheses and may hold blanks.
        fields = stat.read().rsplit(")", 1)[1].split()
    utime, stime = int(fields[11]), int(fields[12])
    return (utime + stime) / os.sysconf("SC_CLK_TCK")


def status_field(pid, name):
    """A number from /proc/PID/status (kB for the memory fields); None when it is missing."""
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith(name + ":"):
                return int(line.split()[1])
    return None


def open_files(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


class BenchRun:
    """The program running in its own folder (with `headless`, as the service without a screen);
    stopped and the folder removed on exit."""

    def __init__(self, program, name, headless=False):
        self.program = os.path.abspath(program)
        if not os.access(self.program, os.X_OK):
            sys.exit(f"{name}: {self.program} is not built")
        self.name = name
        self.headless = headless
        self.work = tempfile.mkdtemp(prefix="zeb-bench-")
        self.sim = os.path.join(self.work, "sim")
        self.ftdi_log = os.path.join(self.sim, "ftdi.log")
        self.process = None
        self.launched = None
        self.terminated = False

    def __enter__(self):
        folder = os.path.join(self.work, "program")
        os.mkdir(folder)
        exe = os.path.join(folder, "zeb")
        shutil.copy2(self.program, exe)
        if self.headless:
            shutil.copy2(os.path.join(os.path.dirname(self.program), "zeb-headless"), folder)
        with open(os.path.join(folder, "set.ini"), "w", newline="") as settings:
            settings.write(ini_text(tone_setup()))
        sound = os.path.join(self.work, "onsets.wav")
        write_wav(sound, [(CYCLE_SECONDS / 2, None, 0), (CYCLE_SECONDS / 2, IN_BAND_HZ, 0.5)] * CYCLES)
        env = dict(os.environ, ZEB_AUDIO_FILE=sound, ZEB_SIMULATE=self.sim, XDG_RUNTIME_DIR=self.work,
                   XDG_CONFIG_HOME=os.path.join(self.work, "config"))
        self.launched = time.monotonic()
        command = [exe, "--headless"] if self.headless else [exe]
        self.process = subprocess.Popen(command, cwd=self.work, env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        return self

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            if not self.terminated:
                self.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        shutil.rmtree(self.work, ignore_errors=True)

    def terminate(self):
        """Asks the program to end (SIGTERM); a second signal would end it at once."""
        self.terminated = True
        self.process.send_signal(signal.SIGTERM)

    @property
    def pid(self):
        return self.process.pid

    def running(self):
        return self.process.poll() is None

    def elapsed(self):
        return time.monotonic() - self.launched

    def wait_first_frame(self, poll_seconds=0.001, timeout=30.0):
        """Ms from launch to the first FTDI write (the first engine tick); exits if none comes."""
        deadline = self.launched + timeout
        while time.monotonic() < deadline and self.running():
            if any(event.startswith("write ") for _, event in log_lines(self.ftdi_log)):
                return self.elapsed() * 1000.0
            time.sleep(poll_seconds)
        sys.exit(f"{self.name}: the program wrote no FTDI frame within {timeout:.0f} s")

    def frames(self):
        """FTDI frames as (ms since program start, byte)."""
        return [(ms, int(event[6:], 16)) for ms, event in log_lines(self.ftdi_log)
                if event.startswith("write ")]
