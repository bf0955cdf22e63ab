# remote.py -- a private display shown in a browser tab: x11vnc and noVNC over websockify
"""Makes a display playable from a browser on this machine.

x11vnc serves the display over VNC and websockify serves Debian's noVNC pages and carries the
VNC connection over a WebSocket; both listen on 127.0.0.1 only, on ports that were free at the
start. VNC needs a password made afresh for every Remote: noVNC reads it from the address's
fragment, which the browser never sends to the server. VNC uses the first eight characters of
a password, so it has exactly eight. Leaving the `with` block stops both servers.
"""

import secrets
import socket
import string
import subprocess
import time
from pathlib import Path

NOVNC = Path("/usr/share/novnc")
HOST = "127.0.0.1"


class RemoteError(Exception):
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


class Remote:
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

    @property
    def address_without_password(self):
        return self.address.rsplit("&password=", 1)[0]

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
        log = open(self.state / (name + ".log"), "wb")
        self.processes.append(
            subprocess.Popen(
                command, env=self.env, stdin=subprocess.DEVNULL, stdout=log, stderr=log
            )
        )
        log.close()

    def start(self):
        if not (NOVNC / "vnc.html").exists():
            raise RemoteError("noVNC is missing (packages novnc, websockify, x11vnc)")
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
                raise RemoteError("%s ended at start; see %s.log" % (name, self.state / name))
            if time.monotonic() > until:
                raise RemoteError("%s did not listen within %d s" % (name, timeout))
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
