# browserBridge.py -- the piece on a private display, played from a browser tab on this machine
"""./tools/play --browser: tarvik01 on a private 1280x1024 display (Xorg with the dummy
driver) that a browser tab plays through x11vnc and noVNC over websockify.

  python3 -m launcher.browserBridge BINARY

Both servers listen on 127.0.0.1 only, on ports that were free at the start. VNC needs a
password made afresh for every bridge: noVNC reads it from the address's fragment, which the
browser never sends to the server. VNC uses the first eight characters of a password, so it
has exactly eight. The display admits only the program and the bridge, which present a cookie
made for the run. Whoever opens the address plays until the program ends; then, or when the
command is interrupted, everything it started stops. The exit code is the program's, 1 when
something failed to start, and 130 after an interrupt.
"""

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
HOST = "127.0.0.1"
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
    def __init__(self, display, state, env=None):
        """display: the X display to serve. state: a folder for the logs and the password
        file. env: the environment of both servers."""
        self.display = display
        self.state = Path(state)
        self.env = env
        self.password = "".join(
            secrets.choice(string.ascii_letters + string.digits) for _ in range(8)
        )
        self.vnc_port = self.web_port = None
        self.processes = []

    @property
    def address(self):
        return "http://%s:%d/vnc.html#autoconnect=true&resize=scale&password=%s" % (
            HOST,
            self.web_port,
            self.password,
        )

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *_):
        self.stop()
        return False

    def launch(self, name, command):
        with open(self.state / (name + ".log"), "wb") as log:
            self.processes.append(
                subprocess.Popen(
                    command, env=self.env, stdin=subprocess.DEVNULL, stdout=log, stderr=log
                )
            )

    def start(self):
        if not (NOVNC / "vnc.html").exists():
            raise BridgeError("noVNC is missing (packages novnc, websockify, x11vnc)")
        secret = self.state / "vnc-password"
        secret.touch(mode=0o600)
        secret.write_text(self.password + "\n")
        self.vnc_port = free_port()
        # rm: makes x11vnc delete the password file once it has read it.
        self.launch(
            "x11vnc",
            ["x11vnc", "-display", self.display, "-localhost", "-rfbport", str(self.vnc_port),
             "-passwdfile", "rm:" + str(secret), "-forever", "-shared", "-nolookup", "-quiet"],
        )  # fmt: skip
        self.wait_listening("x11vnc", self.vnc_port)
        self.web_port = free_port()
        self.launch(
            "websockify",
            ["websockify", "--web", str(NOVNC), "%s:%d" % (HOST, self.web_port),
             "%s:%d" % (HOST, self.vnc_port)],
        )  # fmt: skip
        self.wait_listening("websockify", self.web_port)

    def wait_listening(self, name, port, timeout=30):
        until = time.monotonic() + timeout
        while not answers(port):
            if self.processes[-1].poll() is not None:
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


def main():
    binary = sys.argv[1]
    try:
        # The deadline of a game played by a person: none.
        with player.Player(binary, "1280x1024", ".", math.inf, private=True) as game:
            with Bridge(game.display, game.state, game.tool_env) as bridge:
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
