# browser.py -- headless Chromium driven through its DevTools protocol over a pipe
"""A real browser for the gallery test: Debian's chromium, headless, with a fresh profile.

The DevTools protocol runs over file descriptors 3 (to the browser) and 4 (from it), each
message a JSON text ended by a NUL byte (--remote-debugging-pipe), so no port is opened and
file:// pages are loaded exactly as a person opening them would."""

import json
import os
import select
import shutil
import subprocess
import tempfile
import time

CHROMIUM = "/usr/bin/chromium"
FLAGS = [
    "--headless",
    "--no-sandbox",
    "--disable-gpu",
    "--disable-background-networking",
    "--no-first-run",
    "--disable-component-update",
    "--disable-sync",
    "--remote-debugging-pipe",
]


class BrowserError(Exception):
    pass


class Browser:
    def __init__(self, timeout=60):
        self.timeout = timeout
        self.profile = tempfile.mkdtemp(prefix="tarvik-chromium-")
        self.buffer = b""
        self.last_id = 0
        to_browser, self.to_browser = os.pipe()
        self.from_browser, from_side = os.pipe()

        def wire_pipes():
            # Copies first: the pipe ends may themselves sit on descriptors 3 or 4.
            read_end, write_end = os.dup(to_browser), os.dup(from_side)
            os.dup2(read_end, 3)
            os.dup2(write_end, 4)

        self.log = open(os.path.join(self.profile, "chromium.log"), "wb")
        self.process = subprocess.Popen(
            [CHROMIUM, *FLAGS, "--user-data-dir=" + self.profile, "about:blank"],
            preexec_fn=wire_pipes,
            close_fds=False,
            stdin=subprocess.DEVNULL,
            stdout=self.log,
            stderr=self.log,
        )
        os.close(to_browser)
        os.close(from_side)
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True})[
            "sessionId"
        ]
        self.call("Page.enable", session=True)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()
        return False

    def close(self):
        try:
            if self.process.poll() is None:
                self.send("Browser.close")
                self.process.wait(timeout=30)
        except (OSError, subprocess.TimeoutExpired):
            pass
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=30)
        for fd in (self.to_browser, self.from_browser):
            try:
                os.close(fd)
            except OSError:
                pass
        self.log.close()
        shutil.rmtree(self.profile, ignore_errors=True)

    def send(self, method, params=None, session=False):
        self.last_id += 1
        message = {"id": self.last_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = self.session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        return self.last_id

    def receive(self, until):
        while b"\0" not in self.buffer:
            left = until - time.monotonic()
            ready, _, _ = select.select([self.from_browser], [], [], max(0.0, left))
            if not ready:
                raise BrowserError("chromium did not answer within %d s" % self.timeout)
            chunk = os.read(self.from_browser, 1 << 16)
            if not chunk:
                raise BrowserError("chromium ended (code %s)" % self.process.poll())
            self.buffer += chunk
        text, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(text)

    def call(self, method, params=None, session=False):
        """Sends a command and returns its result; events that come first are dropped."""
        wanted = self.send(method, params, session)
        until = time.monotonic() + self.timeout
        while True:
            message = self.receive(until)
            if message.get("id") == wanted:
                if "error" in message:
                    raise BrowserError("%s: %s" % (method, message["error"]))
                return message.get("result", {})

    def open(self, url):
        """Loads the page and waits for its load event (all its images loaded or failed)."""
        wanted = self.send("Page.navigate", {"url": url}, session=True)
        until = time.monotonic() + self.timeout
        answered = loaded = False
        while not (answered and loaded):
            message = self.receive(until)
            if message.get("id") == wanted:
                failure = message.get("error") or message.get("result", {}).get("errorText")
                if failure:
                    raise BrowserError("%s did not load: %s" % (url, failure))
                answered = True
            elif message.get("method") == "Page.loadEventFired":
                loaded = True

    def evaluate(self, expression):
        """The value of a JavaScript expression in the open page (JSON-serialisable)."""
        result = self.call(
            "Runtime.evaluate", {"expression": expression, "returnByValue": True}, session=True
        )
        if "exceptionDetails" in result:
            raise BrowserError("script failed: %s" % result["exceptionDetails"])
        return result["result"].get("value")
