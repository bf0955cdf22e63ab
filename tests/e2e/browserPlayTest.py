# browserPlayTest.py -- ./tools/play --browser played from headless Chromium
"""tools/play --browser serves the piece to a browser tab: opened at the printed address in
headless Chromium, the tab connects, its key and mouse presses reach the program (the s key
writes test.png, presses gather digits that then show in the tab), and Escape in the tab ends
the program and the command; the terminal says in one line how to play in the tab. The
address without its password is refused, and the password shows in no process's command line
and in none of the files the servers write. Every socket the command's processes and its X
server listen on is bound to the loopback interface, and none is left listening afterwards;
the display admits no local client without the cookie made for it. An interrupted command
stops everything it started as well."""

import os
import re
import signal
import subprocess
import tempfile
import threading
import time
import unittest
from pathlib import Path

from browser import chromium
from e2eSupport import children, pictures, processes, start_play
from selenium.webdriver import ActionChains, Keys
from selenium.webdriver.common.by import By
from selenium.webdriver.support.wait import WebDriverWait

ADDRESS = re.compile(r"http://127\.0\.0\.1:(\d+)/vnc\.html#\S*password=\w+")
CONNECTED = "return document.documentElement.classList.contains('noVNC_connected')"
CANVAS = "#noVNC_container canvas"
ASKS_PASSWORD = (
    "return document.getElementById('noVNC_credentials_dlg').classList.contains('noVNC_open')"
)
# Pixels of the remote screen, as the tab has drawn them on its canvas, that are not black.
CANVAS_LIT = (
    "const c = arguments[0], d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;"
    " let n = 0; for (let i = 0; i < d.length; i += 4) if (d[i] | d[i + 1] | d[i + 2]) n++;"
    " return n;"
)
LOOPBACK = {"0100007F", "00000000000000000000000001000000"}  # /proc/net's 127.0.0.1 and ::1


def listening():
    """(address, port, inode) of every TCP socket in the LISTEN state on this machine."""
    sockets = []
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        for line in Path(table).read_text().splitlines()[1:]:
            fields = line.split()
            if fields[3] == "0A":
                address, port = fields[1].split(":")
                sockets.append((address, int(port, 16), fields[9]))
    return sockets


def x_server(display):
    """The process id of the X server on the display: the one that holds its local socket."""
    path = "/tmp/.X11-unix/X" + display.lstrip(":")
    lines = Path("/proc/net/unix").read_text().splitlines()[1:]
    inodes = {f[6] for f in (line.split() for line in lines) if len(f) > 7 and path in f[7]}
    holders = processes(lambda pid, _: socket_inodes(pid) & inodes)
    assert holders, "no X server holds " + path
    return holders[0]


def socket_inodes(pid):
    inodes = set()
    for fd in Path("/proc/%d/fd" % pid).iterdir():
        try:
            target = os.readlink(fd)
        except OSError:
            continue
        if target.startswith("socket:["):
            inodes.add(target[len("socket:[") : -1])
    return inodes


class ServedPlay:
    """tools/play --browser in a fresh folder, removed with the test, with its output read line
    by line."""

    def __init__(self, test):
        self.folder = Path(test.enterContext(tempfile.TemporaryDirectory(prefix="tarvik-browser-")))
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        self.process = start_play(
            self.folder, "--browser", env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
            text=True,
        )  # fmt: skip
        self.lines = []
        server = None
        # A command that prints no address it should is stopped, in its session of its own
        # that no timeout of CTest's would reach, and the loop meets the end of its output.
        watchdog = threading.Timer(120, self.stop)
        watchdog.start()
        try:
            for line in self.process.stdout:
                self.lines.append(line)
                server = server or re.search(r"Xorg \S+ on (:\d+)", line)
                found = ADDRESS.search(line)
                if found:
                    self.address, self.port = found.group(0), int(found.group(1))
                    self.display = server.group(1)
                    self.started = children(self.process.pid) + [x_server(self.display)]
                    return
            raise AssertionError("no address printed:\n" + "".join(self.lines))
        except BaseException:
            self.stop()
            raise
        finally:
            watchdog.cancel()

    def finish(self, timeout=60):
        """The command's exit code once it has ended by itself."""
        try:
            code = self.process.wait(timeout)
        finally:
            self.stop()
        self.lines += self.process.stdout.readlines()
        self.process.stdout.close()
        return code

    def stop(self):
        """Stops a command that still runs with SIGTERM, after which it cleans up itself."""
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            self.process.wait(60)

    def listeners(self):
        """(address, port) of the sockets that the command's processes and its X server listen
        on."""
        inodes = set()
        for pid in self.started:
            inodes |= socket_inodes(pid)
        return {(address, port) for address, port, inode in listening() if inode in inodes}


class BrowserPlay(unittest.TestCase):
    def assert_all_gone(self, served, sockets):
        still = {(a, p) for a, p, _ in listening()} & sockets
        self.assertEqual(still, set(), "nothing is left listening")
        for pid in served.started:
            self.assertFalse(Path("/proc/%d" % pid).exists(), "process %d has ended" % pid)

    def assert_password_unseen(self, served):
        password = served.address.rsplit("password=", 1)[1].encode()
        for cmdline in Path("/proc").glob("[0-9]*/cmdline"):
            try:
                self.assertNotIn(password, cmdline.read_bytes(), cmdline)
            except OSError:
                continue  # a process that ended meanwhile
        arguments = Path("/proc/%d/cmdline" % x_server(served.display)).read_bytes().split(b"\0")
        state = Path(arguments[arguments.index(b"-logfile") + 1].decode()).parent
        files = [f for f in state.rglob("*") if f.is_file() and not f.is_symlink()]
        self.assertIn(state / "xorg.log", files)
        for written in files:
            self.assertNotIn(password, written.read_bytes(), written)

    def test_a_tab_plays_the_piece_and_nothing_is_left_listening(self):
        served = ServedPlay(self)
        try:
            sockets = served.listeners()
            # The VNC server (on 127.0.0.1 and ::1) and websockify, on the printed port.
            self.assertIn(("0100007F", served.port), sockets)
            self.assertGreaterEqual(len(sockets), 3)
            self.assertEqual({a for a, _ in sockets} - LOOPBACK, set(), "loopback only")
            # Nor can a local client drive the display without the cookie made for it.
            stranger = subprocess.run(
                ["xdpyinfo", "-display", served.display],
                env=dict(os.environ, XAUTHORITY=str(served.folder / "none")),
                stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL,
                timeout=60,
            )
            self.assertNotEqual(stranger.returncode, 0, "a client without the cookie is refused")
            images = served.folder / "tarvikImages"
            with chromium() as browser:
                wait = WebDriverWait(browser, 60, poll_frequency=0.2)
                with self.subTest("without the password"):
                    browser.get(served.address.rsplit("&password=", 1)[0])
                    wait.until(lambda b: b.execute_script(ASKS_PASSWORD), "no password question")
                    time.sleep(2)  # what a wrong answer would take to come
                    self.assertFalse(browser.execute_script(CONNECTED))
                browser.get("about:blank")  # the address differs in its fragment alone
                browser.get(served.address)
                wait.until(lambda b: b.execute_script(CONNECTED), "the tab did not connect")
                canvas = wait.until(lambda b: b.find_element(By.CSS_SELECTOR, CANVAS))
                browser.execute_script("arguments[0].focus()", canvas)
                self.assertEqual(browser.execute_script(CANVAS_LIT, canvas), 0, "a black grid")

                ActionChains(browser).send_keys("s").perform()
                test_png = images / "test.png"
                wait.until(lambda _: pictures.png_complete(test_png), "no test.png")
                self.assertEqual(pictures.read_png(test_png).width, 900, "1280x1024 captures")

                clicks = ActionChains(browser, duration=0).move_to_element(canvas)
                for _ in range(64):
                    clicks.click()
                clicks.perform()
                # The digits fly in on the remote screen and show in the tab.
                wait.until(lambda b: b.execute_script(CANVAS_LIT, canvas) > 2000, "no digits")
                self.assert_password_unseen(served)
                ActionChains(browser).send_keys(Keys.ESCAPE).perform()
                self.assertEqual(served.finish(), 0, "".join(served.lines))
            said = "".join(served.lines)
            self.assertEqual(said.count("password="), 1, "the address is printed once")
            self.assertIn("In the tab: a left click adds a digit one", said)
            self.assertIn("cycle 1: gathering", said)
            self.assert_all_gone(served, sockets)
        finally:
            served.stop()

    def test_an_interrupt_stops_everything(self):
        served = ServedPlay(self)
        try:
            sockets = served.listeners()
            served.process.send_signal(signal.SIGINT)
            self.assertEqual(served.finish(), 130, "".join(served.lines))
            self.assert_all_gone(served, sockets)
        finally:
            served.stop()


if __name__ == "__main__":
    unittest.main()
