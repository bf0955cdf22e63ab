# browserBridgeTest.py -- the browser mode's secret, checked at the bridge with no browser
"""The password of ./tools/play --browser is eight letters or digits that seeding Python's
generator does not replay, and the file that hands it to the VNC server is readable by its
owner alone until the server has read and removed it. Stand-ins take the places of x11vnc and
websockify: the first notes how it finds the password file, then reads and removes it as
x11vnc does when told "rm:"; both listen where they are told, which is all the bridge waits
for."""

import json
import os
import random
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

    def test_the_password_file_is_the_owners_alone_until_the_vnc_server_removes_it(self):
        tools = self.scratch / "bin"
        tools.mkdir()
        for name in ("x11vnc", "websockify"):
            (tools / name).write_text(STAND_IN)
            (tools / name).chmod(0o755)
        novnc = self.scratch / "novnc"
        novnc.mkdir()
        (novnc / "vnc.html").write_text("")
        state = self.scratch / "state"
        state.mkdir()
        seen = self.scratch / "seen.json"
        env = dict(os.environ, PATH="%s:%s" % (tools, os.environ["PATH"]), SEEN=str(seen))
        # With no umask, nothing but the bridge's own care keeps the file from others.
        umask = os.umask(0)
        self.addCleanup(os.umask, umask)
        with mock.patch.object(browserBridge, "NOVNC", novnc):
            with browserBridge.Bridge(":99", state, env) as bridge:
                found = json.loads(seen.read_text())
                self.assertEqual(oct(found["mode"]), "0o600")
                self.assertEqual(found["owner"], os.getuid())
                self.assertEqual(found["text"], bridge.password + "\n")
                self.assertEqual(list(state.glob("vnc-password*")), [], "read and removed")


if __name__ == "__main__":
    unittest.main()
