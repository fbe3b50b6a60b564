"""A private OLA daemon for whole-program runs: its own configuration folder and RPC port, only
the Art-Net plugin, on the loopback interface and broadcasting, with one output port patched to
a universe, so every DMX frame it gets goes out as an ArtDmx packet to UDP port 6454 on
127.0.0.1. olad refuses to run as root: under root it runs as nobody. Stopped by its PID.

Only one such daemon can run at a time on a machine (Art-Net's UDP port is fixed), so the tests
that start one hold the CTest resource lock "olad".
"""

import os
import shutil
import signal
import socket
import struct
import subprocess
import tempfile
import time

ARTNET_PORT = 6454
ARTDMX_OPCODE = 0x5000
# Every plugin of olad 0.10 but Art-Net, switched off so that nothing touches hardware.
OTHER_PLUGINS = [
    "dummy", "e131", "espnet", "ftdidmx", "gpio", "karate", "kinet", "milinst", "opendmx",
    "openpixelcontrol", "osc", "pathport", "renard", "sandnet", "shownet", "spi", "stageprofi",
    "uartdmx", "usbdmx", "usbserial",
]
# Art-Net is olad's plugin 2; its one device is 1, with four output ports.
ARTNET_OUTPUT_PORT = "2-1-O-{}"
START_TIMEOUT = 20.0


def olad_installed():
    return shutil.which("olad") is not None


def free_tcp_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def answers(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=0.2):
            return True
    except OSError:
        return False


class PrivateOlad:
    def __init__(self, universe=1, universes=1):
        """Output ports 0.. patched to `universes` consecutive universes from `universe`; olad
        sends each as the Art-Net universe of the same number."""
        self.folder = tempfile.mkdtemp(prefix="zeb-olad-")
        self.config = os.path.join(self.folder, "config")
        os.mkdir(self.config)
        self.rpc_port = free_tcp_port()
        self.process = None
        self._write("ola-port.conf", "".join(f"{ARTNET_OUTPUT_PORT.format(port)} = {universe + port}\n"
                                             for port in range(universes)))
        self._write("ola-artnet.conf",
                    "enabled = true\nip = 127.0.0.1\nuse_loopback = true\nalways_broadcast = true\n")
        for plugin in OTHER_PLUGINS:
            self._write(f"ola-{plugin}.conf", "enabled = false\n")
        self.as_user = []
        if os.geteuid() == 0:
            self.as_user = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"]
            for path in [self.folder, self.config] + [os.path.join(self.config, f) for f in os.listdir(self.config)]:
                shutil.chown(path, "nobody", "nogroup")

    def _write(self, name, text):
        with open(os.path.join(self.config, name), "w") as conf:
            conf.write(text)

    def start(self):
        """Starts olad and returns once its RPC port answers (the moment it is back)."""
        log = open(os.path.join(self.folder, "olad.log"), "a")
        self.process = subprocess.Popen(
            self.as_user + ["olad", "--config-dir", self.config, "--rpc-port", str(self.rpc_port),
                            "--no-http", "--no-register-with-dns-sd", "--log-level", "3"],
            stdout=log, stderr=subprocess.STDOUT, cwd=self.folder)
        log.close()
        deadline = time.monotonic() + START_TIMEOUT
        while not answers(self.rpc_port):
            if self.process.poll() is not None:
                raise RuntimeError(f"olad ended at start:\n{self.log()}")
            if time.monotonic() > deadline:
                raise RuntimeError(f"olad did not answer within {START_TIMEOUT:.0f} s:\n{self.log()}")
            time.sleep(0.01)
        return time.monotonic()

    def kill(self):
        """Ends olad at once, as a crash would."""
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()

    def close(self):
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.kill()
        shutil.rmtree(self.folder, ignore_errors=True)

    def log(self):
        with open(os.path.join(self.folder, "olad.log")) as log:
            return log.read()


class ArtNetListener:
    """Receives the ArtDmx packets olad broadcasts on the loopback interface, whose broadcast
    address is 127.0.0.1 itself."""

    def __init__(self):
        self.socket = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        # olad holds the port on every address; a socket bound to the very address the packets
        # go to is the one that gets them, whichever of the two was bound first.
        self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.socket.bind(("127.0.0.1", ARTNET_PORT))

    def close(self):
        self.socket.close()

    def next_frame(self, timeout):
        """(arrival time, the universe's slots as bytes, slot 1 first), or None at the timeout."""
        frame = self.next_port_frame(timeout)
        return frame and (frame[0], frame[2])

    def next_port_frame(self, timeout):
        """(arrival time, universe, slots), or None at the timeout."""
        deadline = time.monotonic() + timeout
        while (left := deadline - time.monotonic()) > 0:
            self.socket.settimeout(left)
            try:
                packet = self.socket.recv(1024)
            except socket.timeout:
                return None
            if packet[:8] == b"Art-Net\0" and struct.unpack_from("<H", packet, 8)[0] == ARTDMX_OPCODE:
                length = struct.unpack_from(">H", packet, 16)[0]
                return time.monotonic(), struct.unpack_from("<H", packet, 14)[0], packet[18:18 + length]
        return None
