"""A setup with every lamp output switched on, and what every way out of the program must leave
at the end of each simulated device log: every lamp dark and every device closed."""

from sounds import CHANNEL_UNDER_TEST, DEFAULT_CAPTIONS

# Parallel port at 378, serial mode "COM", keyboard LEDs, DMX; the FTDI chip is opened and
# darkened whatever the mode. Channel CHANNEL_UNDER_TEST answers a tone in its band.
ALL_OUTPUTS = [
    ("Value", [("Sld2 ", "254"), ("sLevel", "254"), (f"Sld1{CHANNEL_UNDER_TEST}", "25")]),
    ("text", [(f"Caption{i}", caption) for i, caption in enumerate(DEFAULT_CAPTIONS)]),
    ("Count", [("Combo1", "1")]),
    ("index", [("Combo1", "0")]),
    ("CText", [("Combo10", "378")]),
    ("COM", [("CPORT", "COM")]),
    ("LPT", [("LPORT", "LPT")]),
    ("KEY", [("KPORT", "1")]),
    ("DMX", [("Switch", "DMX")]),
]

# The last lines of each log: FTDI pins low then closed; data register 0 and the control
# register's dark value (bits 0, 1 and 3 inverted); the "COM" frame with every channel off, then
# the port closed; the keyboard's own lock states (all off in the simulation), then closed; the
# DMX frame with every channel at the off level, then the connection to olad closed.
DARK_ENDINGS = {
    "ftdi.log": ["write 00", "close"],
    "lpt.log": ["out 0378 00", "out 037a 0b"],
    "serial.log": ["rts 0"] + ["dtr 1", "tx ff"] * 8 + ["rts 1", "close"],
    "kbd.log": ["leds num=0 caps=0 scroll=0", "close"],
    "dmx.log": ["frame 1 1 " + "00" * 12, "close"],
}


def assert_dark_within_a_second(test, run, sent):
    """Every log ends dark, and the darkening began within a second of `sent` (the moment the
    way out was taken, time.monotonic())."""
    sent_ms = run.ms_since_start(sent)
    for name, ending in DARK_ENDINGS.items():
        lines = run.log(name)
        test.assertEqual([event for _, event in lines[-len(ending):]], ending, name)
        first_dark_ms = lines[-len(ending)][0]
        test.assertLess(first_dark_ms - sent_ms, 1000.0, f"{name} went dark too late")
