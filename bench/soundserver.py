"""A private PulseAudio server for the benchmarks (never the user's own): one null sink, the
default, whose monitor every measured program captures, and music played into it in a loop."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SINK = "zebbench"
MONITOR = SINK + ".monitor"


def server_installed():
    return all(shutil.which(tool) for tool in ("pulseaudio", "pactl", "paplay"))


class PrivateSoundServer:
    """`pulseaudio` with its own runtime folder and socket, stopped and removed on exit."""

    def __init__(self, timeout=15.0):
        self.timeout = timeout
        self.folder = None
        self.process = None

    def client_environment(self):
        """What a client needs to talk to this server and no other."""
        # The cookie too: a client makes one where none is, and it must not be the user's.
        return {"PULSE_SERVER": "unix:" + os.path.join(self.folder, "native"),
                "PULSE_COOKIE": os.path.join(self.folder, "cookie")}

    def environment(self):
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.folder,
               "XDG_RUNTIME_DIR": os.path.join(self.folder, "runtime"),
               "XDG_CONFIG_HOME": os.path.join(self.folder, "config"),
               "XDG_STATE_HOME": os.path.join(self.folder, "state"),
               "PULSE_RUNTIME_PATH": os.path.join(self.folder, "runtime"),
               "PULSE_STATE_PATH": os.path.join(self.folder, "state")}
        env.update(self.client_environment())
        return env

    def __enter__(self):
        self.folder = tempfile.mkdtemp(prefix="zeb-bench-pulse-")
        os.mkdir(os.path.join(self.folder, "runtime"), 0o700)
        os.mkdir(os.path.join(self.folder, "state"))
        # -n: only the two modules named here. As root the daemon needs --system=false to stay a
        # per-user server; anonymous auth spares the cookie.
        self.process = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1",
             "--use-pid-file=no", "--log-target=stderr", "-L",
             f"module-null-sink sink_name={SINK} rate=44100", "-L",
             "module-native-protocol-unix auth-anonymous=1 socket=" + os.path.join(self.folder, "native")],
            env=self.environment(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + self.timeout
        while time.monotonic() < deadline:
            done = subprocess.run(["pactl", "get-default-sink"], env=self.environment(),
                                  capture_output=True, text=True)
            if done.returncode == 0 and done.stdout.strip() == SINK:
                return self
            time.sleep(0.1)
        self.__exit__()
        sys.exit("the private PulseAudio server did not start")

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


class MusicPlayer:
    """Plays a file into the server's null sink from its beginning, over and over, until exit."""

    def __init__(self, server, path):
        self.server = server
        self.path = os.path.abspath(path)
        self.process = None

    def __enter__(self):
        loop = 'while paplay --device="$1" "$2"; do :; done'
        self.process = subprocess.Popen(["sh", "-c", loop, "sh", SINK, self.path], env=self.server.environment(),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        start_new_session=True)
        return self

    def __exit__(self, *exc):
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
        self.process.wait()
