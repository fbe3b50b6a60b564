"""The DMX output of the whole program: to a real OLA daemon and on over Art-Net on the
loopback interface (lit and dark levels at their slots, darkened at exit, frames resuming after
olad is killed and started again), the headless service waiting for an olad started after it,
the message when no olad answers, and simulated DMX beside the serial port."""

import signal
import time
import unittest

from olad import ArtNetListener, PrivateOlad, free_tcp_port, olad_installed
from sounds import CHANNEL_UNDER_TEST, IN_BAND_HZ, WithSoundFiles, tone_setup
from test_messages import the_one_start_up_message
from zebrun import EVENT_TIMEOUT, EXIT_BUTTON, NO_DISPLAY, ZebRun, ini_text, wait_until

# The "DMX" key in the settings column.
DMX_KEY = (508, 83)
ADDRESS = 20
ON, OFF = 200, 7
# olad has stopped answering for this long when it is started again.
OLAD_AWAY_SECONDS = 1.5


def dmx_setup(rpc_port, serial_mode="0"):
    """The tone setup (channel 5 alone answers the tone) with DMX on and no FTDI output."""
    sections = [(name, keys) for name, keys in tone_setup() if name != "COM"]
    return ini_text(sections + [
        ("COM", [("CPORT", serial_mode)]),
        ("DMX", [("Switch", "DMX"), ("Address", str(ADDRESS)), ("OnLevel", str(ON)),
                 ("OffLevel", str(OFF)), ("RpcPort", str(rpc_port))]),
    ])


def our_slots(levels):
    """Slots 1..ADDRESS+11 of a universe: zeros before the start address, then the channels."""
    return list(levels[:ADDRESS + 11])


def with_channels(levels):
    return [0] * (ADDRESS - 1) + levels


LIT_FRAME = with_channels([OFF] * CHANNEL_UNDER_TEST + [ON] + [OFF] * (11 - CHANNEL_UNDER_TEST))
DARK_FRAME = with_channels([OFF] * 12)


@unittest.skipUnless(olad_installed(), "olad is not installed (scripts/install-deps)")
class LampsOnTheLightingNetwork(WithSoundFiles):
    SOUNDS = {"in-band": [(2.0, IN_BAND_HZ, 0.5)]}

    def setUp(self):
        self.olad = PrivateOlad(universe=1)
        self.addCleanup(self.olad.close)
        self.olad.start()
        self.listener = ArtNetListener()
        self.addCleanup(self.listener.close)

    def started(self):
        run = ZebRun(self.files["in-band"], settings=dmx_setup(self.olad.rpc_port), simulate=False)
        self.addCleanup(run.close)
        run.start()
        return run, run.main_window()

    def next_frame(self, what):
        frame = self.listener.next_frame(EVENT_TIMEOUT)
        self.assertIsNotNone(frame, f"no ArtDmx packet: {what}")
        return frame

    def wait_lit_frame(self):
        def lit():
            _, levels = self.next_frame("while the tone plays")
            return our_slots(levels) == LIT_FRAME and levels
        return wait_until(lit, EVENT_TIMEOUT, "channel 5 lit at its slot")

    def test_lit_and_dark_levels_reach_art_net_at_their_slots_and_the_exit_darkens_them(self):
        run, window = self.started()
        levels = self.wait_lit_frame()
        self.assertEqual(set(levels[ADDRESS + 11:]), {0}, "slots after ours must stay 0")

        run.click(window, EXIT_BUTTON)
        self.assertEqual(run.wait_exit(), 0)
        frames = []
        while (frame := self.listener.next_frame(0.5)) is not None:
            frames.append(our_slots(frame[1]))
        self.assertEqual(frames[-1:], [DARK_FRAME], "the last frame before leaving")

    def test_frames_resume_within_2_s_of_olad_coming_back(self):
        run, _ = self.started()
        self.wait_lit_frame()

        self.olad.kill()
        time.sleep(OLAD_AWAY_SECONDS)
        self.assertTrue(run.running(), "the program ended with olad")
        while self.listener.next_frame(0.05) is not None:
            pass
        back = self.olad.start()
        arrived, levels = self.next_frame("after olad came back")
        self.assertLess(arrived - back, 2.0)
        self.assertEqual(our_slots(levels), LIT_FRAME)


@unittest.skipUnless(olad_installed(), "olad is not installed (scripts/install-deps)")
class ServiceStartedBeforeOlad(WithSoundFiles):
    SOUNDS = {"in-band": [(2.0, IN_BAND_HZ, 0.5)]}

    def test_the_service_waits_for_olad_and_sends_as_soon_as_it_answers_also_after_a_loss(self):
        olad = PrivateOlad(universe=1)
        self.addCleanup(olad.close)
        listener = ArtNetListener()
        self.addCleanup(listener.close)
        run = ZebRun(self.files["in-band"], settings=dmx_setup(olad.rpc_port), simulate=False,
                     environment=NO_DISPLAY, args=["--headless"])
        self.addCleanup(run.close)
        run.start()

        def state(outputs, what):
            wait_until(lambda: f"zeb: sound; outputs: {outputs}\n" in run.output(), EVENT_TIMEOUT, what)

        def lit_frame_after(back, what):
            def lit():
                frame = listener.next_frame(EVENT_TIMEOUT)
                self.assertIsNotNone(frame, f"no ArtDmx packet {what}")
                return our_slots(frame[1]) == LIT_FRAME and frame
            arrived, _ = wait_until(lit, EVENT_TIMEOUT, f"channel 5 lit at its slot {what}")
            self.assertLess(arrived - back, 2.0, what)

        state("DMX universe 1 (waiting for olad)", "the service saying it waits for olad")
        self.assertEqual([line for line in run.output().splitlines() if "olad" in line][:1],
                         [f"zeb: No OLA daemon (olad) answers on port {olad.rpc_port} yet: the DMX "
                          "output waits for it and sends as soon as it answers."])
        lit_frame_after(olad.start(), "after olad started")
        state("DMX universe 1", "the service saying DMX runs")

        olad.kill()
        state("DMX universe 1 (olad lost)", "the service saying olad is lost")
        lit_frame_after(olad.start(), "after olad came back")
        self.assertTrue(run.running(), "the service ended")
        run.send(signal.SIGTERM)
        self.assertEqual(run.wait_exit(), 0)


class DmxWithoutOlad(WithSoundFiles):
    SOUNDS = {"in-band": [(2.0, IN_BAND_HZ, 0.5)]}

    def test_no_olad_shows_one_message_and_the_program_runs_on_with_dmx_off(self):
        port = free_tcp_port()  # nothing listens there
        run = ZebRun(self.files["in-band"], settings=dmx_setup(port), simulate=False)
        self.addCleanup(run.close)
        run.start()

        text, window = the_one_start_up_message(self, run)
        self.assertIn(f"No OLA daemon (olad) answers on port {port}", text)

        run.click(window, EXIT_BUTTON)
        self.assertEqual(run.wait_exit(), 0)
        self.assertEqual(dict(dict(run.read_settings())["DMX"])["Switch"], "0")

    def test_simulated_dmx_runs_beside_the_serial_port_until_its_key_switches_it_off(self):
        run = ZebRun(self.files["in-band"], settings=dmx_setup(9010, serial_mode="COM"))
        self.addCleanup(run.close)
        run.start()
        window = run.main_window()
        lit = "frame 1 {} {}".format(ADDRESS, "".join(f"{level:02x}" for level in LIT_FRAME[ADDRESS - 1:]))
        opened, _, _ = run.wait_log("dmx.log", lambda event: event == "open 9010", what="the link")
        index, _, _ = run.wait_log("dmx.log", lambda event: event == lit, after=opened, what=lit)
        run.wait_lines("serial.log", lambda event: event == "tx ff", 16)

        run.click(window, DMX_KEY)
        dark = "frame 1 {} {}".format(ADDRESS, f"{OFF:02x}" * 12)
        closed, _, _ = run.wait_log("dmx.log", lambda event: event == "close", after=index, what="close")
        self.assertEqual(run.log("dmx.log")[closed - 1][1], dark)
        time.sleep(0.2)
        self.assertEqual(len(run.log("dmx.log")), closed + 1, "frames after the key switched DMX off")

        run.click(window, EXIT_BUTTON)
        self.assertEqual(run.wait_exit(), 0)
        self.assertEqual(dict(dict(run.read_settings())["DMX"])["Switch"], "0")


if __name__ == "__main__":
    unittest.main()
