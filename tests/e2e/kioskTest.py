# kioskTest.py -- tarvik01-kiosk brings the piece back after every end, and never spins
"""The kiosk plays the real tarvik01 on a private Xorg. Whatever ends a piece that has played
a while (a kill, a hang, Escape, the long drag), a new one is on screen within two seconds,
in the same folder; a program that fails at once is started ever more slowly; SIGTERM leaves
nothing running."""

import os
import signal
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from e2eSupport import binary, new_player

KIOSK = Path(__file__).resolve().parents[2] / "kiosk" / "tarvik01-kiosk"
BACK = 2.0  # seconds from the end of a piece that had played a while to the next on screen
PLAYED = 5.2  # seconds a piece plays before it is ended: over the kiosk's "a while" of 5
HANG_LIMIT = 5


def pieces_of(pid, program):
    """The children of the kiosk that run the program (it also runs xset)."""
    path = Path("/proc/%d/task/%d/children" % (pid, pid))
    found = []
    for child in path.read_text().split() if path.exists() else []:
        try:
            command = Path("/proc/%s/cmdline" % child).read_bytes().split(b"\0")[0]
        except OSError:
            continue
        if command == program.encode():
            found.append(int(child))
    return found


def alive(pid):
    try:
        return Path("/proc/%d/stat" % pid).read_text().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


class Kiosk(unittest.TestCase):
    def setUp(self):
        scratch = tempfile.TemporaryDirectory(prefix="tarvik-kiosk-")
        self.addCleanup(scratch.cleanup)
        self.scratch = Path(scratch.name)

    def kiosk(self, folder, program, display=None, *options):
        """Starts the kiosk; its output goes to a file beside the folder."""
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        if display:
            env["DISPLAY"] = display
        log = open(self.scratch / (folder.name + ".log"), "w+")
        self.addCleanup(log.close)
        command = [str(KIOSK), "--binary", program, "--folder", str(folder), *options]
        process = subprocess.Popen(command, env=env, stdout=log, stderr=log)
        self.addCleanup(lambda: process.poll() is None and process.kill())
        return process, log

    def stop(self, process, log):
        process.send_signal(signal.SIGTERM)
        code = process.wait(timeout=15)
        log.seek(0)
        return code, log.read()

    def test_every_end_brings_a_new_piece_on_screen_in_the_same_folder(self):
        folder = self.scratch / "gallery"
        with new_player("800x600", launch=False) as x:
            process, log = self.kiosk(folder, binary(), x.display, "--hang-limit", str(HANG_LIMIT))
            pieces = []

            def leave_nothing():
                for pid in [process.pid, *pieces]:
                    if alive(pid):
                        os.kill(pid, signal.SIGKILL)
                process.wait()

            self.addCleanup(leave_nothing)

            def next_piece(ended, timeout):
                """Waits for a new piece on screen; returns its pid and when it showed."""

                def started():
                    fresh = [p for p in pieces_of(process.pid, binary()) if p not in pieces]
                    return fresh[0] if fresh else None

                pid = x.wait_for("a new piece", started, timeout, poll=0.02, may_exit=True)
                pieces.append(pid)
                # Each look starts an xdotool, which the piece's start-up would compete with.
                x.wait_for("its window", x.window_focused, timeout, poll=0.05, may_exit=True)
                shown = time.monotonic()
                x.log("on screen %.2f s after the end" % (shown - ended))
                self.assertLessEqual(shown - ended, timeout)
                self.assertEqual(Path("/proc/%d/cwd" % pid).resolve(), folder.resolve())
                return pid, shown

            pid, shown = next_piece(time.monotonic(), 60)
            # The dummy driver has no DPMS, which the kiosk must take in its stride.
            query = ["xset", "q"]
            settings = subprocess.run(query, env=x.tool_env | {"DISPLAY": x.display},
                                      stdout=subprocess.PIPE, text=True).stdout  # fmt: skip
            self.assertRegex(settings, r"prefer blanking:\s+no\s.*\n\s+timeout:\s+0\s")
            x.key("s")
            snapshot = folder / "tarvikImages" / "test.png"
            x.wait_for("test.png", snapshot.exists, 30, may_exit=True)

            def end_after_a_while(end, timeout=BACK):
                time.sleep(max(0.0, shown + PLAYED - time.monotonic()))
                end()
                return next_piece(time.monotonic(), timeout)

            for _ in range(5):
                pid, shown = end_after_a_while(lambda: os.kill(pid, signal.SIGKILL))
            pid, shown = end_after_a_while(lambda: os.kill(pid, signal.SIGSTOP), HANG_LIMIT + 5)
            pid, shown = end_after_a_while(lambda: x.key("Escape"))
            pid, shown = end_after_a_while(lambda: x.drag(50, 300, 750, 300))

            code, said = self.stop(process, log)
            self.assertEqual(code, 0)
            self.assertEqual([p for p in pieces if alive(p)], [])
            self.assertTrue(snapshot.exists(), "the gallery is kept")
            self.assertEqual(said.count("started the piece"), 9)
            self.assertEqual(said.count("killed by SIGKILL after"), 5)
            self.assertEqual(said.count("hung: no processor time"), 1)
            self.assertEqual(said.count("exit code 0 after"), 2)

    def test_a_program_that_fails_at_once_is_started_ever_more_slowly(self):
        # Half a minute: starts at 0, 1, 3, 7 and 15 s, the next at 31 s. Exit code 1 (no
        # usable game mode) is tried again only after a minute, and said once. What a failed
        # program leaves running goes with it.
        kiosks = {}
        for code in (3, 1):
            stand_in = self.scratch / ("fails-%d" % code)
            stand_in.write_text("#!/bin/sh\nsleep 300 &\necho start >> starts\nexit %d\n" % code)
            stand_in.chmod(0o755)
            kiosks[code] = self.kiosk(self.scratch / ("folder-%d" % code), str(stand_in))
        time.sleep(30)
        for code, (process, log) in kiosks.items():
            status, said = self.stop(process, log)
            self.assertEqual(status, 0)
            folder = self.scratch / ("folder-%d" % code)
            starts = (folder / "starts").read_text().count("start")
            left = [p for p in Path("/proc").glob("[0-9]*/cwd") if p.resolve() == folder.resolve()]
            self.assertEqual(left, [], "nothing it started runs on")
            if code == 3:
                self.assertGreaterEqual(starts, 3, said)
                self.assertLessEqual(starts, 5, said)
            else:
                self.assertEqual(starts, 1, said)
                self.assertEqual(said.count("no usable game mode"), 1, said)


if __name__ == "__main__":
    unittest.main()
