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


# Twelve colours that tell the channels apart, most with a part all three primaries share.
COLOURS = ["FF0000", "FF8000", "FFFF40", "80FF00", "00FF80", "FFC080",
           "40FFFF", "0080FF", "0000FF", "8000FF", "FF00FF", "FF80C0"]


def scaled(colour, level, gamma, white=False):
    """A colour's slots at `level` through `gamma`: red, green, blue (and white)."""
    primaries = [int(colour[k:k + 2], 16) * level * 255 for k in (0, 2, 4)]
    linear = [(primary + 65025 // 2) // 65025 for primary in primaries]
    if white:
        shared = min(linear)
        linear = [value - shared for value in linear] + [shared]
    return [int(255 * (value / 255) ** gamma + 0.5) for value in linear]


def colour_setup(rpc_port, dmx_keys, on=ON, off=OFF):
    sections = [(name, keys) for name, keys in tone_setup() if name != "COM"]
    return ini_text(sections + [
        ("COM", [("CPORT", "0")]),
        ("DMX", [("Switch", "DMX"), ("OnLevel", str(on)), ("OffLevel", str(off)),
                 ("RpcPort", str(rpc_port))] + dmx_keys),
        ("Colour", [(f"Colour{i}", colour) for i, colour in enumerate(COLOURS)]),
    ])


def channel_colours(on, off, gamma, white=False, lit=CHANNEL_UNDER_TEST):
    """Each channel's slots while the tone lights channel `lit` alone."""
    return [scaled(colour, on if i == lit else off, gamma, white) for i, colour in enumerate(COLOURS)]


def universes(strip):
    """{universe: its 512 slots} of a strip's slots from universe 1 on, 510 a universe."""
    return {1 + k: strip[510 * k:510 * (k + 1)] + [0] * (512 - len(strip[510 * k:510 * (k + 1)]))
            for k in range((len(strip) + 509) // 510)}


def collect(listener, seconds=0.5):
    """{universe: last slots} of the frames until none comes for `seconds`."""
    last = {}
    while (frame := listener.next_port_frame(seconds)) is not None:
        last[frame[1]] = list(frame[2])
    return last


@unittest.skipUnless(olad_installed(), "olad is not installed (scripts/install-deps)")
class ColourLampsAndLedStrips(WithSoundFiles):
    SOUNDS = {"in-band": [(3.0, IN_BAND_HZ, 0.5)]}

    def olad(self, universes=1):
        olad = PrivateOlad(universe=1, universes=universes)
        self.addCleanup(olad.close)
        olad.start()
        listener = ArtNetListener()
        self.addCleanup(listener.close)
        return olad, listener

    def run_with(self, settings, **options):
        run = ZebRun(self.files["in-band"], settings=settings, simulate=False, **options)
        self.addCleanup(run.close)
        run.start()
        return run

    def wait_frames(self, listener, expected, what):
        """Waits until every universe of `expected` ({universe: slots}) has shown them; returns
        the last slots of every universe seen."""
        seen = {}

        def arrived():
            frame = listener.next_port_frame(EVENT_TIMEOUT)
            self.assertIsNotNone(frame, f"no ArtDmx packet: {what}")
            seen[frame[1]] = list(frame[2])
            return all(seen.get(universe) == slots for universe, slots in expected.items())
        try:
            wait_until(arrived, EVENT_TIMEOUT, what)
        except AssertionError:
            self.assertEqual(seen, expected, f"{what}: universes {sorted(seen)}")
        return seen

    def test_rgb_and_rgbw_fixtures_get_their_channel_colour_through_the_gamma_at_their_slots(self):
        olad, listener = self.olad()
        for layout, white in (("RGB", False), ("RGBW", True)):
            with self.subTest(layout=layout):
                run = self.run_with(colour_setup(olad.rpc_port, [("Layout", layout), ("Address", str(ADDRESS))]))
                window = run.main_window()
                lit = [0] * (ADDRESS - 1) + sum(channel_colours(ON, OFF, 2.2, white), [])
                self.wait_frames(listener, {1: lit + [0] * (512 - len(lit))}, f"{layout} fixtures lit")

                run.click(window, EXIT_BUTTON)
                self.assertEqual(run.wait_exit(), 0)
                dark = [0] * (ADDRESS - 1) + sum(channel_colours(OFF, OFF, 2.2, white), [])
                self.assertEqual(collect(listener)[1][:len(dark)], dark, "the last frame before leaving")

    def test_a_strip_over_two_universes_shows_the_channels_in_equal_segments_mirrored_or_not(self):
        olad, listener = self.olad(universes=2)
        pixels, on, off = 200, 255, 100
        colours = channel_colours(on, off, 1.0)
        dark = channel_colours(off, off, 1.0)
        half = pixels // 2
        segments = {
            "0": [p * 12 // pixels for p in range(pixels)],
            # From the middle outwards: the left half mirrors the right one.
            "1": [(half - 1 - p) * 12 // half for p in range(half)] + [p * 12 // half for p in range(half)],
        }
        for mirror, channels in segments.items():
            with self.subTest(mirror=mirror):
                keys = [("Layout", "Pixels"), ("Pixels", str(pixels)), ("Mirror", mirror), ("Gamma", "1.0")]
                run = self.run_with(colour_setup(olad.rpc_port, keys, on=on, off=off),
                                    environment=NO_DISPLAY, args=["--headless"])
                strip = sum((colours[channel] for channel in channels), [])
                self.wait_frames(listener, universes(strip), f"the strip lit, mirror={mirror}")
                self.assertIn("; outputs: DMX universes 1 to 2, 200 pixels\n", run.output())

                run.send(signal.SIGTERM)
                self.assertEqual(run.wait_exit(), 0)
                strip = sum((dark[channel] for channel in channels), [])
                self.assertEqual(collect(listener), universes(strip), "the last frames before leaving")

    def test_a_layout_chosen_in_the_window_and_the_exit_darken_every_slot_sent_before(self):
        olad, listener = self.olad(universes=3)
        # 420 pixels: channel 5's segment (pixels 175..209) lies in the second universe.
        pixels, off = 420, 100
        keys = [("Layout", "Pixels"), ("Pixels", str(pixels)), ("Gamma", "1.0")]
        run = self.run_with(colour_setup(olad.rpc_port, keys, on=255, off=off))
        window = run.main_window()
        channels = [p * 12 // pixels for p in range(pixels)]
        lit, dark = channel_colours(255, off, 1.0), channel_colours(off, off, 1.0)
        self.wait_frames(listener, universes(sum((lit[c] for c in channels), [])), "the strip lit")

        run.click(window, (508, 105))  # the layout list, then up from "Pixels" to "RGB"
        time.sleep(0.3)
        run.press(window, "Up", "Up", "Return")
        seen = self.wait_frames(listener, {1: sum(lit, []) + [0] * (512 - 36)}, "the RGB fixtures lit")
        strip_dark = universes(sum((dark[c] for c in channels), []))
        self.assertEqual({2: seen.get(2), 3: seen.get(3)}, {2: strip_dark[2], 3: strip_dark[3]},
                         "the strip's other universes left dark")

        run.click(window, EXIT_BUTTON)
        self.assertEqual(run.wait_exit(), 0)
        self.assertEqual(collect(listener)[1], sum(dark, []) + [0] * (512 - 36), "the last frame before leaving")
        self.assertEqual(dict(dict(run.read_settings())["DMX"])["Layout"], "RGB")


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
