"""One measured run of the whole program, shared by bench/program-bench and bench/soak: the
built program copied into a temporary folder, a sound file (by default a generated one: 1 s
silence, 1 s tone in channel 5's band, repeated) or a sound server as its input, simulated lamps
with the FTDI output on, the window in a virtual X display of its own; and what /proc and the
simulated logs tell about it."""

import os
import select
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

DEFAULT_PROGRAM = os.path.join(HERE, "..", "build", "bin", "zeb")
DEFAULT_FLOOR = os.path.join(HERE, "..", "build", "bin", "zeb-floor")
CYCLE_SECONDS = 2.0  # 1 s silence, then 1 s tone
CYCLES = 10
ENGINE_TICK_MS = 35


def cpu_seconds(pid):
    """User + system time of a process so far."""
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


def private_memory(pid):
    """Private_Clean + Private_Dirty of a process in MB: the memory it holds that no other shares."""
    total = 0
    with open(f"/proc/{pid}/smaps_rollup") as rollup:
        for line in rollup:
            if line.startswith(("Private_Clean:", "Private_Dirty:")):
                total += int(line.split()[1])
    return total / 1024.0


def open_files(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


def tick_count(frames):
    """(frames seen, ticks expected, longest gap in ms) between the first and the last frame:
    every engine tick writes one FTDI frame."""
    times = [ms for ms, _ in frames]
    if len(times) < 2:
        return len(times), len(times), 0
    expected = round((times[-1] - times[0]) / ENGINE_TICK_MS) + 1
    return len(times), expected, max(b - a for a, b in zip(times, times[1:]))


class CpuMeter:
    """CPU time of some processes over one stretch of wall time, in % of one core."""

    def __init__(self, pids):
        self.pids = list(pids)
        self.start_wall = time.monotonic()
        self.start_cpu = [cpu_seconds(pid) for pid in self.pids]

    def percent(self):
        wall = time.monotonic() - self.start_wall
        return [100.0 * (cpu_seconds(pid) - start) / wall for pid, start in zip(self.pids, self.start_cpu)]


def stop_process(process, sig=signal.SIGTERM, timeout=10):
    if process.poll() is None:
        process.send_signal(sig)
        try:
            process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class VirtualDisplay:
    """A private Xvfb: the window's display server, whose own CPU time is its share of a run."""

    def __init__(self, timeout=15.0):
        self.timeout = timeout
        self.process = None
        self.name = None

    def __enter__(self):
        read, write = os.pipe()
        try:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                 "-noreset"], pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except FileNotFoundError:
            sys.exit("Xvfb is not installed (scripts/install-deps)")
        finally:
            os.close(write)
        with os.fdopen(read) as announced:
            # Xvfb writes its display number once it accepts clients.
            ready, _, _ = select.select([announced], [], [], self.timeout)
            number = announced.readline().strip() if ready else ""
        if not number:
            stop_process(self.process)
            sys.exit("Xvfb did not start")
        self.name = ":" + number
        return self

    def __exit__(self, *exc):
        stop_process(self.process)

    @property
    def pid(self):
        return self.process.pid


class FloorRun:
    """The toolkit's floor (bench/floor) in a virtual display of its own, stopped on exit."""

    def __init__(self, program):
        self.program = os.path.abspath(program)
        if not os.access(self.program, os.X_OK):
            sys.exit(f"{self.program} is not built (cmake --build build --target zeb-floor)")
        self.display = None
        self.process = None

    def __enter__(self):
        self.display = VirtualDisplay().__enter__()
        env = dict(os.environ, DISPLAY=self.display.name)
        for variable in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
            env.pop(variable, None)
        self.process = subprocess.Popen([self.program], env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        return self

    def __exit__(self, *exc):
        stop_process(self.process)
        self.display.__exit__(*exc)

    @property
    def pid(self):
        return self.process.pid


class BenchRun:
    """The program running in its own folder (with `headless`, as the service without a screen;
    otherwise in a virtual display of its own), stopped and the folder removed on exit.

    Its input is `audio_file` (by default the generated tone file) or, with `sound_server`, that
    server's default source. `settings` are set.ini's sections (by default tone_setup()). With
    `simulate` off the outputs are real: the settings must then switch on only what the run may
    touch (DMX to a private olad, say). What the program says on stderr is kept: errors()."""

    def __init__(self, program, name, headless=False, settings=None, audio_file=None,
                 sound_server=None, simulate=True):
        self.program = os.path.abspath(program)
        if not os.access(self.program, os.X_OK):
            sys.exit(f"{name}: {self.program} is not built")
        self.name = name
        self.headless = headless
        self.settings = settings if settings is not None else tone_setup()
        self.audio_file = audio_file
        self.sound_server = sound_server
        self.simulate = simulate
        self.work = tempfile.mkdtemp(prefix="zeb-bench-")
        self.stderr = os.path.join(self.work, "stderr.txt")
        self.sim = os.path.join(self.work, "sim")
        self.ftdi_log = os.path.join(self.sim, "ftdi.log")
        self.display = None
        self.process = None
        self.launched = None
        self.terminated = False

    def __enter__(self):
        folder = os.path.join(self.work, "program")
        os.mkdir(folder)
        exe = os.path.join(folder, "zeb")
        shutil.copy2(self.program, exe)
        for sibling in ("zeb-headless", "zeb-ola.so", "zeb-aubio.so"):
            built = os.path.join(os.path.dirname(self.program), sibling)
            if os.path.exists(built):
                shutil.copy2(built, folder)
        with open(os.path.join(folder, "set.ini"), "w", newline="") as settings:
            settings.write(ini_text(self.settings))
        env = dict(os.environ, XDG_RUNTIME_DIR=self.work,
                   XDG_CONFIG_HOME=os.path.join(self.work, "config"))
        for variable in ("ZEB_SIMULATE", "ZEB_AUDIO_FILE", "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
            env.pop(variable, None)
        if self.simulate:
            env["ZEB_SIMULATE"] = self.sim
        if self.sound_server:
            env.update(self.sound_server.client_environment())
        else:
            sound = self.audio_file
            if sound is None:
                sound = os.path.join(self.work, "onsets.wav")
                write_wav(sound, [(CYCLE_SECONDS / 2, None, 0), (CYCLE_SECONDS / 2, IN_BAND_HZ, 0.5)] * CYCLES)
            env["ZEB_AUDIO_FILE"] = os.path.abspath(sound)
        if not self.headless:
            self.display = VirtualDisplay().__enter__()
            env["DISPLAY"] = self.display.name
        self.launched = time.monotonic()
        command = [exe, "--headless"] if self.headless else [exe]
        with open(self.stderr, "wb") as errors:
            self.process = subprocess.Popen(command, cwd=self.work, env=env, stdout=subprocess.DEVNULL,
                                            stderr=errors)
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
        if self.display:
            self.display.__exit__(*exc)
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

    def errors(self):
        """What the program wrote on stderr so far."""
        with open(self.stderr, errors="replace") as errors:
            return errors.read()

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
