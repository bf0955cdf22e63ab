# browserBridgeTest.py -- the browser mode's secret, checked at the bridge with no browser
"""The password of ./tools/play --browser is eight letters or digits that seeding Python's
generator does not replay. The file that hands it to TigerVNC's module in Xorg is readable by
its owner alone, holds the password only in VNC's obfuscated form, and goes with the bridge;
the Xorg options name the file and keep the server on the loopback interface. For the
benchmark's x11vnc, the file is the owner's alone until the server has read and removed it.
Stand-ins take the places of x11vnc and websockify: the first notes how it finds the password
file, then reads and removes it as x11vnc does when told "rm:"; both listen where they are
told, which is all the bridge waits for. The page served is Debian's with the project's module
added."""

import json
import os
import random
import re
import socket
import tempfile
import unittest
from pathlib import Path
from unittest import mock

from e2eSupport import TOP  # noqa: F401 (puts the launcher on the path)
from launcher import browserBridge

LETTERS_AND_DIGITS = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"

STAND_IN = """#!/usr/bin/python3
import json, os, socket, sys
args = sys.argv[1:]
if os.path.basename(sys.argv[0]) == "x11vnc":
    port = int(args[args.index("-rfbport") + 1])
    given = args[args.index("-passwdfile") + 1]
    path = given[3:] if given.startswith("rm:") else given
    about = os.stat(path)
    with open(path) as secret:
        seen = {"mode": about.st_mode & 0o7777, "owner": about.st_uid, "text": secret.read()}
    if given.startswith("rm:"):
        os.remove(path)
    with open(os.environ["SEEN"], "w") as out:
        json.dump(seen, out)
else:
    port = int(args[2].rsplit(":", 1)[1])
server = socket.create_server(("127.0.0.1", port))
while True:
    server.accept()[0].close()
"""


class BrowserBridge(unittest.TestCase):
    def setUp(self):
        scratch = tempfile.TemporaryDirectory(prefix="tarvik-bridge-")
        self.addCleanup(scratch.cleanup)
        self.scratch = Path(scratch.name)

    def bridge(self):
        return browserBridge.Bridge(":99", self.scratch)

    def test_the_password_is_eight_letters_or_digits_that_no_seed_replays(self):
        passwords = [self.bridge().password for _ in range(200)]
        for password in passwords:
            self.assertRegex(password, "^[A-Za-z0-9]{8}$")
        # 1600 draws: one of the 62 characters is missed with a chance of about 1 in 3 billion.
        self.assertEqual(set("".join(passwords)), set(LETTERS_AND_DIGITS))
        # Not the seedable generator, which anyone who guesses the seed can replay.
        random.seed(24)
        first = self.bridge().password
        random.seed(24)
        self.assertNotEqual(self.bridge().password, first)

    def serve(self, server):
        """A bridge of the server's kind on stand-ins, entered; the state folder's path."""
        tools = self.scratch / "bin"
        tools.mkdir()
        for name in ("x11vnc", "websockify"):
            (tools / name).write_text(STAND_IN)
            (tools / name).chmod(0o755)
        novnc = self.scratch / "novnc"
        novnc.mkdir()
        (novnc / "vnc.html").write_text("<html><head></head></html>")
        (novnc / "core").mkdir()
        state = self.scratch / "state"
        state.mkdir()
        self.seen = self.scratch / "seen.json"
        env = dict(os.environ, PATH="%s:%s" % (tools, os.environ["PATH"]), SEEN=str(self.seen))
        # With no umask, nothing but the bridge's own care keeps the file from others.
        umask = os.umask(0)
        self.addCleanup(os.umask, umask)
        patch = mock.patch.object(browserBridge, "NOVNC", novnc)
        patch.start()
        self.addCleanup(patch.stop)
        bridge = browserBridge.Bridge(state, env, server)
        self.addCleanup(bridge.stop)
        return bridge

    def test_the_module_reads_an_obfuscated_password_file_of_the_owners_alone(self):
        bridge = self.serve("xorg")
        bridge.configure_xorg()
        options = dict(
            re.findall(r'Option "(\w+)" "([^"]*)"', (bridge.state / "vnc-options").read_text())
        )
        self.assertEqual(options["localhost"], "1")
        self.assertEqual(options["rfbport"], str(bridge.vnc_port))
        self.assertEqual(options["SecurityTypes"], "VncAuth")
        secret = Path(options["PasswordFile"])
        about = secret.stat()
        self.assertEqual((oct(about.st_mode & 0o7777), about.st_uid), ("0o600", os.getuid()))
        self.assertEqual(len(secret.read_bytes()), 8, "VNC's obfuscated form")
        self.assertNotIn(bridge.password.encode(), secret.read_bytes())
        # Xorg, which the module listens in, stands in for itself here.
        with socket.create_server(("127.0.0.1", bridge.vnc_port)):
            bridge.start(":99")
        page = (bridge.state / "web" / "vnc.html").read_text()
        self.assertIn('<script type="module" src="tarvikDisplay.js"></script>\n</head>', page)
        self.assertTrue((bridge.state / "web" / "core").is_symlink())
        self.assertTrue((bridge.state / "web" / "tarvikDisplay.js").resolve().is_file())
        bridge.stop()
        self.assertFalse(secret.exists(), "the file goes with the bridge")

    def test_x11vnc_reads_the_owners_file_and_removes_it(self):
        bridge = self.serve("x11vnc")
        bridge.start(":99")
        found = json.loads(self.seen.read_text())
        self.assertEqual(oct(found["mode"]), "0o600")
        self.assertEqual(found["owner"], os.getuid())
        self.assertEqual(found["text"], bridge.password + "\n")
        self.assertEqual(list(bridge.state.glob("vnc-password*")), [], "read and removed")


if __name__ == "__main__":
    unittest.main()
