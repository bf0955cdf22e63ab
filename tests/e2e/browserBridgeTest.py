# browserBridgeTest.py -- the browser mode's secret, checked at the bridge with no browser
"""The password of ./tools/play --browser is eight letters or digits that seeding Python's
generator does not replay. The file that hands it to TigerVNC's server is readable by its owner
alone, holds the password only in VNC's obfuscated form, and goes with the bridge; the server
is told to take connections from this machine only. The same holds for TigerVNC's module in
Xorg, which the benchmark compares, through the Xorg options. For the benchmark's x11vnc, the
file is the owner's alone until the server has read and removed it. Stand-ins take the places
of the VNC servers and websockify: the first notes its arguments and how it finds the password
file, then reads it (and removes it, as x11vnc does when told "rm:"); both listen where they
are told, which is all the bridge waits for. The page served is Debian's with the project's
module added."""

import json
import os
import random
import re
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
if os.path.basename(sys.argv[0]) == "websockify":
    port = int(args[2].rsplit(":", 1)[1])
else:
    port = int(args[args.index("-rfbport") + 1])
    given = args[args.index("-passwdfile" if "-passwdfile" in args else "-PasswordFile") + 1]
    path = given[3:] if given.startswith("rm:") else given
    about = os.stat(path)
    with open(path, "rb") as secret:
        seen = {"mode": about.st_mode & 0o7777, "owner": about.st_uid, "path": path,
                "bytes": secret.read().hex(), "args": args}
    if given.startswith("rm:"):
        os.remove(path)
    with open(os.environ["SEEN"], "w") as out:
        json.dump(seen, out)
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
        """A bridge of the server's kind on stand-ins."""
        tools = self.scratch / "bin"
        tools.mkdir()
        for name in ("x11vnc", "X0tigervnc", "websockify"):
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

    def assert_obfuscated_and_the_owners(self, bridge, secret):
        about = secret.stat()
        self.assertEqual((oct(about.st_mode & 0o7777), about.st_uid), ("0o600", os.getuid()))
        self.assertEqual(len(secret.read_bytes()), 8, "VNC's obfuscated form")
        self.assertNotIn(bridge.password.encode(), secret.read_bytes())

    def test_tigervnc_reads_an_obfuscated_password_file_of_the_owners_alone(self):
        bridge = self.serve("x0vncserver")
        bridge.start(":99")
        found = json.loads(self.seen.read_text())
        args = found["args"]
        self.assertIn("-localhost", args)
        self.assertEqual(args[args.index("-SecurityTypes") + 1], "VncAuth")
        secret = Path(found["path"])
        self.assert_obfuscated_and_the_owners(bridge, secret)
        self.assertEqual(found["bytes"], secret.read_bytes().hex())
        page = (bridge.state / "web" / "vnc.html").read_text()
        self.assertIn('<script type="module" src="tarvikDisplay.js"></script>\n</head>', page)
        self.assertTrue((bridge.state / "web" / "core").is_symlink())
        self.assertTrue((bridge.state / "web" / "tarvikDisplay.js").resolve().is_file())
        bridge.stop()
        self.assertFalse(secret.exists(), "the file goes with the bridge")

    def test_the_module_in_xorg_gets_the_same_file_through_the_xorg_options(self):
        bridge = self.serve("xorg")
        bridge.configure_xorg()
        options = dict(
            re.findall(r'Option "(\w+)" "([^"]*)"', (bridge.state / "vnc-options").read_text())
        )
        self.assertEqual(options["localhost"], "1")
        self.assertEqual(options["rfbport"], str(bridge.vnc_port))
        self.assertEqual(options["SecurityTypes"], "VncAuth")
        self.assert_obfuscated_and_the_owners(bridge, Path(options["PasswordFile"]))

    def test_x11vnc_reads_the_owners_file_and_removes_it(self):
        bridge = self.serve("x11vnc")
        bridge.start(":99")
        found = json.loads(self.seen.read_text())
        self.assertEqual(oct(found["mode"]), "0o600")
        self.assertEqual(found["owner"], os.getuid())
        self.assertEqual(bytes.fromhex(found["bytes"]), bridge.password.encode() + b"\n")
        self.assertEqual(list(bridge.state.glob("vnc-password*")), [], "read and removed")


if __name__ == "__main__":
    unittest.main()
