# browserBridge.py -- the piece on a private display, played from a browser tab on this machine
"""./tools/play --browser: tarvik01 on a private 1280x1024 display (Xorg with the dummy
driver) that a browser tab plays through noVNC over websockify. The VNC server is TigerVNC's
scraping server: it follows the display's damage and pushes each change to the tab as it comes
(continuous updates), with no request per frame. The page is Debian's noVNC with the project's
own module, which hands JPEG rectangles to the browser's decoder as bytes rather than as base64
text (web/tarvikDisplay.js).

  python3 -m launcher.browserBridge BINARY [--server x0vncserver|xorg|x11vnc] [--stock-page]

The other servers and Debian's page unchanged are there for the benchmark to compare: TigerVNC's
module inside the Xorg (which sent two to four times the bytes for a click, and showed it
later) and x11vnc, which polls the screen and waits for a request before every update.

Both servers listen on 127.0.0.1 only, on ports that were free at the start. VNC needs a
password made afresh for every bridge: noVNC reads it from the address's fragment, which the
browser never sends to the server. VNC uses the first eight characters of a password, so it
has exactly eight. It reaches the VNC server in a file that only its owner may read, never on
a command line. The display admits only the program and the bridge, which present a cookie
made for the run. Whoever opens the address plays until the program ends; then, or when the
command is interrupted, everything it started stops. The exit code is the program's, 1 when
something failed to start, and 130 after an interrupt.
"""

import argparse
import math
import secrets
import socket
import string
import subprocess
import sys
import time
from pathlib import Path

from . import player, progress

NOVNC = Path("/usr/share/novnc")
PAGE = Path(__file__).resolve().parent / "web" / "tarvikDisplay.js"
HOST = "127.0.0.1"
SERVERS = ("x0vncserver", "xorg", "x11vnc")
MISSING = "%s is not installed (./tools/install-deps browser installs it)"
HOW_TO_PLAY = (
    "In the tab: a left click adds a digit one and a right click a zero (64 fill the grid), "
    "further left clicks hurry each phase on, s saves the square, Escape ends the piece."
)


class BridgeError(Exception):
    pass


def free_port():
    with socket.socket() as probe:
        probe.bind((HOST, 0))
        return probe.getsockname()[1]


def answers(port):
    try:
        with socket.create_connection((HOST, port), timeout=1):
            return True
    except OSError:
        return False


class Bridge:
    def __init__(self, state, env=None, server="x0vncserver", stock_page=False):
        """state: a folder for the logs, the password file and the page. env: the environment
        of the servers. server: one of SERVERS. stock_page: serve Debian's noVNC page as it
        is."""
        self.state = Path(state)
        self.env = env
        self.server = server
        self.stock_page = stock_page
        self.password = "".join(
            secrets.choice(string.ascii_letters + string.digits) for _ in range(8)
        )
        self.vnc_port = free_port()
        self.web_port = None
        self.processes = []

    @property
    def address(self):
        return "http://%s:%d/vnc.html#autoconnect=true&resize=scale&password=%s" % (
            HOST,
            self.web_port,
            self.password,
        )

    def write_password(self):
        """The password in a file that only its owner may read: x11vnc's plain text, which it
        removes once read, or TigerVNC's obfuscated form, which it reads at every connection."""
        secret = self.state / "vnc-password"
        secret.touch(mode=0o600)
        if self.server == "x11vnc":
            secret.write_text(self.password + "\n")
            return "rm:" + str(secret)
        with open(secret, "wb") as out:
            try:
                made = subprocess.run(
                    ["tigervncpasswd", "-f"], input=self.password.encode(), stdout=out,
                    stderr=subprocess.PIPE, env=self.env,
                )  # fmt: skip
            except FileNotFoundError:
                raise BridgeError(MISSING % "tigervncpasswd") from None
        if made.returncode != 0:
            raise BridgeError("tigervncpasswd failed: %s" % made.stderr.decode().strip())
        return str(secret)

    def configure_xorg(self):
        """Before the private Xorg starts: with the module, the options that load the VNC
        server into it (the xserver script's vnc-options)."""
        if self.server != "xorg":
            return
        options = {"rfbport": self.vnc_port, "localhost": 1, "SecurityTypes": "VncAuth",
                   "PasswordFile": self.write_password()}  # fmt: skip
        lines = ['Option "%s" "%s"\n' % item for item in options.items()]
        (self.state / "vnc-options").write_text("".join(lines))

    def launch(self, name, command):
        with open(self.state / (name + ".log"), "wb") as log:
            try:
                self.processes.append(
                    subprocess.Popen(
                        command, env=self.env, stdin=subprocess.DEVNULL, stdout=log, stderr=log
                    )
                )
            except FileNotFoundError:
                raise BridgeError(MISSING % command[0]) from None
        return self.processes[-1]

    def start(self, display):
        """Serves the display, whose Xorg was configured by configure_xorg()."""
        if not (NOVNC / "vnc.html").exists():
            raise BridgeError(MISSING % "noVNC")
        vnc = None  # the module's server is the display's own
        if self.server == "x11vnc":
            vnc = self.launch(
                "x11vnc",
                ["x11vnc", "-display", display, "-localhost", "-rfbport", str(self.vnc_port),
                 "-passwdfile", self.write_password(), "-forever", "-shared", "-nolookup",
                 "-quiet"],
            )  # fmt: skip
        elif self.server == "x0vncserver":
            vnc = self.launch(
                "x0vncserver",
                ["X0tigervnc", "-display", display, "-localhost", "-rfbport", str(self.vnc_port),
                 "-SecurityTypes", "VncAuth", "-PasswordFile", self.write_password()],
            )  # fmt: skip
        self.wait_listening(self.server, self.vnc_port, vnc)
        self.web_port = free_port()
        web = self.launch(
            "websockify",
            ["websockify", "--web", str(NOVNC if self.stock_page else self.page()),
             "%s:%d" % (HOST, self.web_port), "%s:%d" % (HOST, self.vnc_port)],
        )  # fmt: skip
        self.wait_listening("websockify", self.web_port, web)

    def page(self):
        """A folder that serves Debian's noVNC with the project's module loaded beside its own:
        links to noVNC's files and a copy of its page that adds one script."""
        web = self.state / "web"
        web.mkdir()
        for entry in NOVNC.iterdir():
            if entry.name != "vnc.html":
                (web / entry.name).symlink_to(entry)
        (web / PAGE.name).symlink_to(PAGE)
        html = (NOVNC / "vnc.html").read_text()
        script = '<script type="module" src="%s"></script>\n</head>' % PAGE.name
        (web / "vnc.html").write_text(html.replace("</head>", script, 1))
        return web

    def wait_listening(self, name, port, process, timeout=30):
        until = time.monotonic() + timeout
        while not answers(port):
            if process is not None and process.poll() is not None:
                raise BridgeError("%s ended at start; see %s.log" % (name, self.state / name))
            if time.monotonic() > until:
                raise BridgeError("%s did not listen within %d s" % (name, timeout))
            time.sleep(0.1)

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait(timeout=10)
        self.processes = []
        (self.state / "vnc-password").unlink(missing_ok=True)


class ServedPlayer(player.Player):
    """The player of a game in the browser: its private Xorg is configured for the bridge
    first, and the bridge stops before the server."""

    def __init__(self, binary, server, stock_page):
        # The deadline of a game played by a person: none.
        super().__init__(binary, "1280x1024", ".", math.inf, private=True)
        self.bridge_args = (server, stock_page)
        self.bridge = None

    def start_server(self):
        self.bridge = Bridge(self.state, self.tool_env, *self.bridge_args)
        self.bridge.configure_xorg()
        return super().start_server()

    def start(self):
        super().start()
        self.bridge.start(self.display)

    def stop(self):
        try:
            if self.bridge is not None:
                self.bridge.stop()
        finally:
            super().stop()


def main():
    parser = argparse.ArgumentParser(description="tarvik01 played from a browser tab")
    parser.add_argument("binary")
    parser.add_argument("--server", choices=SERVERS, default=SERVERS[0])
    parser.add_argument("--stock-page", action="store_true")
    args = parser.parse_args()
    try:
        with ServedPlayer(args.binary, args.server, args.stock_page) as game:
            bridge = game.bridge
            game.wait_ready()
            sys.stdout.write(game.output().decode("latin-1"))
            print(
                "Open this address in a browser on this machine (from elsewhere, forward "
                "port %d to it first, for example with ssh -L %d:127.0.0.1:%d):\n    %s\n%s"
                % (bridge.web_port, bridge.web_port, bridge.web_port, bridge.address,
                   HOW_TO_PLAY),
                flush=True,
            )  # fmt: skip
            with progress.Progress(game.display, game.images, game.tool_env):
                code = game.wait_exit(math.inf)
            print(
                "ended with code %d after %.0f s; pictures and gallery in %s"
                % (code, game.elapsed(), game.images),
                flush=True,
            )
            return code
    except (player.PlayError, BridgeError) as error:
        print("play: " + str(error), file=sys.stderr)
        return 1
    except KeyboardInterrupt:
        print("play: interrupted; everything it started has stopped", file=sys.stderr)
        return 130


if __name__ == "__main__":
    sys.exit(main())
