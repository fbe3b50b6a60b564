"""The web page against the headless program (a sound file as input, simulated lamps): a
phone-size headless Chromium drives it like a person, and plain HTTP requests try every way
in that must stay shut."""

import http.client
import json
import os
import re
import shutil
import socket
import threading
import time
import unittest

from sounds import CHANNEL_UNDER_TEST, DEFAULT_CAPTIONS, IN_BAND_HZ, WithSoundFiles
from zebrun import EVENT_TIMEOUT, NO_DISPLAY, ZebRun, ini_text, wait_until

ADDRESS_LINE = re.compile(r"zeb: web page at (http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]{32}))")
# Channel 3 follows band 12 at first; the tone lies in band 20, which channel 5 follows.
OTHER_CHANNEL = 3
# The parallel port's data byte with channels 3 and 5 lit.
BOTH_LIT = f"out 0378 {(1 << OTHER_CHANNEL) | (1 << CHANNEL_UNDER_TEST):02x}"


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def web_setup(threshold_under_test):
    """Full gain and volume, the parallel port at 378 on, channel 5's threshold as given."""
    return ini_text([
        ("Value", [("Sld2 ", "254"), ("sLevel", "254"), (f"Sld1{CHANNEL_UNDER_TEST}", str(threshold_under_test))]),
        ("text", [(f"Caption{i}", caption) for i, caption in enumerate(DEFAULT_CAPTIONS)]),
        ("Count", [("Combo1", "1")]),
        ("index", [("Combo1", "0")]),
        ("CText", [("Combo10", "378")]),
        ("LPT", [("LPORT", "LPT")]),
    ])


def open_stream(port, token):
    """A page's event stream: its socket and the response, whose status is read."""
    stream = http.client.HTTPConnection("127.0.0.1", port, timeout=EVENT_TIMEOUT)
    stream.request("GET", "/events", headers={"Host": f"127.0.0.1:{port}", "Cookie": f"zeb_token={token}"})
    sock = stream.sock  # the response takes it over
    return sock, stream.getresponse()


class WithWebPage(WithSoundFiles):
    SOUNDS = {"tone": [(30.0, IN_BAND_HZ, 0.5)]}
    THRESHOLD = 0

    def setUp(self):
        self.port = free_port()
        self.run_ = ZebRun(self.files["tone"], settings=web_setup(self.THRESHOLD), environment=NO_DISPLAY)
        self.addCleanup(self.run_.close)
        self.run_.args = ["--headless", "--config", self.run_.settings_path, "--web", f"127.0.0.1:{self.port}"]
        self.run_.start()
        found = wait_until(lambda: ADDRESS_LINE.search(self.run_.output()), EVENT_TIMEOUT, "the page's address")
        self.address, self.token = found.group(1), found.group(3)
        self.assertEqual(int(found.group(2)), self.port)
        token_file = os.path.join(self.run_.program_dir, "web-token")
        self.assertEqual(os.stat(token_file).st_mode & 0o777, 0o600)


class WebPageInChromium(WithWebPage):
    def browser(self):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
        # A phone's screen: a headless window is never narrower than 500 pixels.
        options.add_experimental_option("mobileEmulation", {"deviceMetrics": {"width": 360, "height": 640, "pixelRatio": 2}})
        for argument in ("--headless=new", "--disable-gpu",
                         "--no-first-run", f"--user-data-dir={self.run_.folder}/chromium-{time.monotonic_ns()}"):
            options.add_argument(argument)
        if os.geteuid() == 0:
            options.add_argument("--no-sandbox")  # Chromium's sandbox refuses root
        driver = webdriver.Chrome(service=Service(shutil.which("chromedriver") or "/usr/bin/chromedriver"),
                                  options=options)
        self.addCleanup(driver.quit)
        driver.get(self.address)
        return driver

    def control(self, driver, name):
        from selenium.webdriver.common.by import By
        found = driver.find_element(By.CSS_SELECTOR, f'[aria-label="{name}"]')
        self.assertEqual(found.accessible_name, name)
        return found

    def wait(self, driver, condition, what):
        from selenium.webdriver.support.ui import WebDriverWait
        WebDriverWait(driver, EVENT_TIMEOUT).until(lambda _: condition(), message=what)

    def test_a_phone_drives_the_program_and_two_pages_agree(self):
        from selenium.webdriver.common.keys import Keys
        from selenium.webdriver.support.ui import Select
        phone = self.browser()
        # The token became a cookie and left the address bar; the page fits the phone's width.
        self.assertEqual(phone.current_url, f"http://127.0.0.1:{self.port}/")
        self.assertLessEqual(phone.execute_script("return document.documentElement.scrollWidth"), 360)
        lamp = self.control(phone, f"Channel {CHANNEL_UNDER_TEST} lamp")
        self.wait(phone, lambda: self.control(phone, "Spectrum gain").get_attribute("value") == "254", "the state")
        self.assertEqual(lamp.get_attribute("aria-checked"), "false")

        # The slider to the top: the tone lights the lamp on the page and on the parallel port.
        self.control(phone, f"Channel {CHANNEL_UNDER_TEST} threshold").send_keys(Keys.END)
        self.wait(phone, lambda: lamp.get_attribute("aria-checked") == "true", "the lamp lit on the page")
        self.run_.wait_log("lpt.log", lambda event: event == f"out 0378 {1 << CHANNEL_UNDER_TEST:02x}",
                           what="channel 5 lit on the port")

        # Another channel to the top and onto the tone's band: both lit.
        self.control(phone, f"Channel {OTHER_CHANNEL} threshold").send_keys(Keys.END)
        Select(self.control(phone, f"Channel {OTHER_CHANNEL} band")).select_by_visible_text("20")
        self.run_.wait_log("lpt.log", lambda event: event == BOTH_LIT, what="channels 3 and 5 lit")

        # An output switched on from the page.
        keyboard = self.control(phone, "KEYBOARD")
        keyboard.click()
        self.wait(phone, lambda: keyboard.get_attribute("aria-pressed") == "true", "KEYBOARD on")
        self.run_.wait_log("kbd.log", lambda event: event.startswith("leds"), what="the keyboard LEDs")

        # A second page shows the same state, and its change shows in the first.
        desk = self.browser()
        self.wait(desk, lambda: Select(self.control(desk, f"Channel {OTHER_CHANNEL} band"))
                  .first_selected_option.text == "20", "the band on the second page")
        self.assertEqual(self.control(desk, "KEYBOARD").get_attribute("aria-pressed"), "true")
        gain = self.control(desk, "Spectrum gain")
        gain.send_keys(Keys.HOME)
        self.wait(phone, lambda: self.control(phone, "Spectrum gain").get_attribute("value") == "0",
                  "the gain from the second page")

        # Refused input is said on the page, and nothing changes.
        universe = self.control(phone, "DMX universe")
        universe.send_keys(Keys.CONTROL, "a")
        universe.send_keys("0", Keys.TAB)
        self.wait(phone, lambda: "DMX universe must be" in self.control(phone, "Messages").text, "the reason")
        self.wait(phone, lambda: universe.get_attribute("value") == "1", "the universe back at 1")

        # The output delay typed; a delay too long is refused and the typed one stays.
        delay = self.control(phone, "Output delay")
        for typed in ("250", "5000"):
            delay.send_keys(Keys.CONTROL, "a")
            delay.send_keys(typed, Keys.TAB)
        self.wait(phone, lambda: "output delay (ms) must be" in self.control(phone, "Messages").text, "the reason")
        self.wait(phone, lambda: delay.get_attribute("value") == "250", "the delay back at 250")

        # A colour picked for the lit channel: its lamp lights in it. A colour input has no keys
        # to type into, so the pick is the value a person's choice leaves behind.
        colour = self.control(phone, f"Channel {CHANNEL_UNDER_TEST} colour")
        phone.execute_script("arguments[0].value = '#ff8800';"
                             "arguments[0].dispatchEvent(new Event('input'))", colour)
        in_colour = {"true": "rgba(255, 136, 0, 1)", "false": "rgba(63, 34, 0, 1)"}
        self.wait(phone, lambda: lamp.value_of_css_property("background-color") ==
                  in_colour[lamp.get_attribute("aria-checked")], "the lamp in its colour")
        Select(self.control(phone, "DMX layout")).select_by_visible_text("RGBW")

        # Four taps on the readout set a tempo.
        tempo = phone.find_element("id", "tempo")
        self.assertEqual(tempo.text, "BPM --")
        for _ in range(4):
            tempo.click()
            time.sleep(0.5)
        self.wait(phone, lambda: re.fullmatch(r"BPM \d+", tempo.text), "a tapped tempo")

        # A channel put on the beat: its threshold has no say while it follows the beat.
        Select(self.control(phone, "Channel 7 band")).select_by_visible_text("B")
        self.wait(phone, lambda: not self.control(phone, "Channel 7 threshold").is_enabled(),
                  "channel 7's threshold greyed")

        # Save writes set.ini and the program runs on.
        self.control(phone, "Save").click()
        self.wait(phone, lambda: "Saved" in self.control(phone, "Messages").text, "saved")
        saved = {section: dict(entries) for section, entries in self.run_.read_settings()}
        self.assertEqual(saved["text"][f"Caption{OTHER_CHANNEL}"], "20")
        self.assertEqual(saved["Value"][f"Sld1{OTHER_CHANNEL}"], "25")
        self.assertEqual(saved["KEY"]["KPORT"], "1")
        self.assertEqual(saved["Output"]["Delay"], "250")
        self.assertEqual(saved["Colour"][f"Colour{CHANNEL_UNDER_TEST}"], "FF8800")
        self.assertEqual(saved["DMX"]["Layout"], "RGBW")
        self.assertEqual(saved["Beat"]["Channel7"], "1")
        self.assertTrue(self.run_.running())


class WebPageRefuses(WithWebPage):
    THRESHOLD = 25
    SOUNDS = {"tone": [(0.3, IN_BAND_HZ, 0.5), (0.3, None, 0)] * 60}

    def request(self, method, path, body=None, headers=None, cookie=True):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=EVENT_TIMEOUT)
        try:
            sent = {"Host": f"127.0.0.1:{self.port}"}
            if cookie:
                sent["Cookie"] = f"zeb_token={self.token}"
            sent.update(headers or {})
            connection.request(method, path, body=body, headers=sent)
            response = connection.getresponse()
            return response.status, response.read(), response
        finally:
            connection.close()

    def settings_view(self):
        """The state without what the ticks change."""
        status, body, _ = self.request("GET", "/state")
        self.assertEqual(status, 200)
        state = json.loads(body)
        for live in ("spectrum", "meters", "silent", "messages", "outputs", "tempo"):
            state.pop(live)
        for channel in state["channels"]:
            channel.pop("lit")
            channel.pop("auto")
        return state

    def assert_refused(self, status, method, path, body=None, headers=None, cookie=True):
        before = self.settings_view()
        got, answer, _ = self.request(method, path, body, headers, cookie)
        self.assertEqual(got, status, f"{method} {path} {body!r} {headers}: {answer!r}")
        if status in (400, 403, 413):
            self.assertIn("error", json.loads(answer))
        self.assertEqual(self.settings_view(), before, f"{method} {path} {body!r} changed the state")

    def test_every_bad_request_is_refused_with_nothing_changed(self):
        change = json.dumps({"do": "threshold", "channel": 0, "value": 20})
        with self.subTest("no token"):
            for method, path in (("GET", "/"), ("GET", "/state"), ("GET", "/events"), ("POST", "/change")):
                self.assert_refused(401, method, path, change if method == "POST" else None, cookie=False)
        with self.subTest("wrong token"):
            self.assert_refused(401, "POST", "/change", change, {"Cookie": "zeb_token=" + "0" * 32})
            self.assert_refused(401, "GET", "/?token=" + "f" * 32, cookie=False)
        with self.subTest("foreign origin"):
            self.assert_refused(403, "POST", "/change", change, {"Origin": "http://attacker.example"})
        with self.subTest("rebinding host"):
            self.assert_refused(403, "POST", "/change", change, {"Host": f"attacker.example:{self.port}"})
            self.assert_refused(403, "GET", "/state", headers={"Host": f"attacker.example:{self.port}"})
        with self.subTest("oversize body"):
            self.assert_refused(413, "POST", "/change", json.dumps({"do": "save", "pad": "x" * 20000}))
        with self.subTest("malformed and unknown"):
            for body in ("{", "[1, 2]", '"save"', '{"do": "explode"}', '{"do": "save", "extra": 1}',
                         '{"do": "threshold", "channel": "0", "value": 1}', '{"do": "threshold", "value": 1}',
                         '{"do": "toggle", "name": "ALL"}', '{"do": "lpt-add", "text": "37\\n8"}'):
                self.assert_refused(400, "POST", "/change", body)
        with self.subTest("out of range"):
            for body in ({"do": "threshold", "channel": 0, "value": 26}, {"do": "threshold", "channel": 12, "value": 1},
                         {"do": "band", "channel": 0, "value": 33}, {"do": "level", "value": 255},
                         {"do": "gain", "value": -1}, {"do": "device", "index": 5}, {"do": "speed", "index": 4},
                         {"do": "dmx-universe", "text": "0"}, {"do": "dmx-address", "text": "502"},
                         {"do": "level", "value": 2 ** 40}, {"do": "delay", "text": "5000"},
                         {"do": "colour", "channel": 0, "text": "red"}, {"do": "colour", "channel": 0, "text": "#FF0000"},
                         {"do": "dmx-layout", "index": 4}):
                self.assert_refused(400, "POST", "/change", json.dumps(body))
        with self.subTest("no other file"):
            self.assert_refused(404, "GET", "/../set.ini")
            self.assert_refused(404, "GET", "/web-token")

        # What passes the checks does change the program.
        status, _, _ = self.request("POST", "/change", change, {"Origin": f"http://127.0.0.1:{self.port}"})
        self.assertEqual(status, 200)
        self.assertEqual(self.settings_view()["channels"][0]["threshold"], 20)

    def test_a_new_token_shuts_the_old_one_out(self):
        status, _, response = self.request("POST", "/change", json.dumps({"do": "new-token"}))
        self.assertEqual(status, 200)
        cookie = response.getheader("Set-Cookie")
        self.assertRegex(cookie, r"^zeb_token=[0-9a-f]{32}; Path=/; HttpOnly; SameSite=Strict$")
        self.assertEqual(self.request("GET", "/state")[0], 401)
        self.token = cookie.split(";")[0].split("=")[1]
        self.assertEqual(self.request("GET", "/state")[0], 200)
        with open(os.path.join(self.run_.program_dir, "web-token")) as stored:
            self.assertEqual(stored.read().strip(), self.token)

    def lamp_lines(self):
        return len(self.run_.log("lpt.log"))

    def test_floods_and_slow_clients_leave_the_program_ticking(self):
        # Sixteen pages at most; the seventeenth is turned away. Each page reads on, as a
        # browser does: the server lets a page that reads nothing for ten seconds go.
        def read_on(response):
            try:
                while response.read1(65536):
                    pass
            except (OSError, ValueError, http.client.HTTPException):
                pass

        streams, readers = [], []
        for _ in range(16):
            stream, response = open_stream(self.port, self.token)
            self.assertEqual(response.status, 200)
            self.assertEqual(response.read(7), b"data: {")
            streams.append(stream)
            readers.append(threading.Thread(target=read_on, args=(response,), daemon=True))
            readers[-1].start()
        # An event stream never ends: only its status is read.
        extra, response = open_stream(self.port, self.token)
        self.assertEqual(response.status, 503)
        extra.close()
        for stream in streams:
            stream.shutdown(socket.SHUT_RDWR)
        for reader in readers:
            reader.join(EVENT_TIMEOUT)

        # A hundred connections at once, one of them a header that never ends.
        slow = socket.create_connection(("127.0.0.1", self.port), timeout=EVENT_TIMEOUT)
        slow.sendall(b"GET /state HTTP/1.1\r\nHost: 127.0.0.1\r\n")
        flood = []
        for _ in range(99):
            # Beyond the server's limit and its listen queue a connect waits for the kernel's
            # retries: a flood that cannot get in is flood enough.
            try:
                flood.append(socket.create_connection(("127.0.0.1", self.port), timeout=1))
            except OSError:
                pass
        before = self.lamp_lines()
        wait_until(lambda: self.lamp_lines() >= before + 6, EVENT_TIMEOUT, "lamps switching during the flood")
        for connection in flood:
            connection.close()
        # The slow header is cut off after ten seconds; the program ticks on meanwhile.
        slow.settimeout(20)
        started = time.monotonic()
        try:
            self.assertEqual(slow.recv(1), b"")
        except ConnectionResetError:
            pass
        self.assertLess(time.monotonic() - started, 15)
        slow.close()
        before = self.lamp_lines()
        wait_until(lambda: self.lamp_lines() >= before + 4, EVENT_TIMEOUT, "lamps switching afterwards")
        wait_until(lambda: self.request("GET", "/state")[0] == 200, EVENT_TIMEOUT, "the page answering again")
        self.assertTrue(self.run_.running())


class WebPageInSilence(WithWebPage):
    SOUNDS = {"tone": [(30.0, None, 0)]}

    def test_pages_that_went_are_noticed_while_nothing_changes(self):
        # In silence no frame differs from the one before: the pages still get one now and
        # then, by which the server notices those that went and frees their places.
        for _ in range(16):
            stream, response = open_stream(self.port, self.token)
            self.assertEqual(response.read(7), b"data: {")
            stream.shutdown(socket.SHUT_RDWR)
            stream.close()

        def a_page_gets_in():
            stream, response = open_stream(self.port, self.token)
            stream.close()
            return response.status == 200
        wait_until(a_page_gets_in, EVENT_TIMEOUT, "a new page after sixteen went", interval=0.25)


class WebPortTaken(WithSoundFiles):
    SOUNDS = {"tone": [(0.3, IN_BAND_HZ, 0.5), (0.3, None, 0)]}

    def test_a_taken_port_is_said_once_and_the_lamps_run_on(self):
        with socket.socket() as taken:
            taken.bind(("127.0.0.1", 0))
            taken.listen()
            port = taken.getsockname()[1]
            run = ZebRun(self.files["tone"], settings=web_setup(25), environment=NO_DISPLAY)
            self.addCleanup(run.close)
            run.args = ["--headless", "--config", run.settings_path, "--web", f"127.0.0.1:{port}"]
            run.start()
            line = f"zeb: web page off: cannot listen on 127.0.0.1:{port}: Address already in use\n"
            wait_until(lambda: line in run.output(), EVENT_TIMEOUT, "the port's message")
            run.wait_lines("lpt.log", lambda event: event.startswith("out 0378"), 4)
            self.assertEqual(run.output().count("web page"), 1)


if __name__ == "__main__":
    unittest.main()
