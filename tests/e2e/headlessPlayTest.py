# headlessPlayTest.py -- ./tools/play where no display can be opened, and on one without modes
"""Without a display, tools/play says so in one line and plays the demo: two whole cycles on a
private display, every phase told in order, none missed and none that did not happen, and it
ends by itself with exit code 0, leaving both cycles' pictures, the gallery listing them and the
screenshots.
On a display with none of the four game modes (Xvfb offers no game mode at all; the Xorg one
other modes) the program's own message and exit code stay, with no start-up line, and one line
points to the browser mode and the demo; tools/play made tarvikImages before the start."""

import os
import re
import signal
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

from e2eSupport import NO_MODE, TOP, deadline, pictures, player, start_play

PHASES = ["gathering", "dealing", "drawing", "burst", "capture", "collapse"]


def play(folder, env, *prefix, timeout):
    """Runs tools/play in the folder; one that overruns is stopped with SIGTERM, as a whole
    process group, so that the player still stops its program and server."""
    process = start_play(
        folder, prefix=prefix, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE
    )
    try:
        out, err = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGTERM)
        process.communicate(timeout=60)
        raise
    return subprocess.CompletedProcess(process.args, process.returncode, out, err)


class HeadlessPlay(unittest.TestCase):
    def folder(self):
        return Path(self.enterContext(tempfile.TemporaryDirectory(prefix="tarvik-headless-")))

    def test_without_a_display_the_demo_plays_two_cycles_and_ends_by_itself(self):
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        folder = self.folder()
        run = play(folder, env, timeout=deadline())
        out = run.stdout.decode("latin-1")
        sys.stderr.write(out)  # the phase lines, kept in CTest's log of a passing run too
        self.assertEqual(run.returncode, 0, out + run.stderr.decode("latin-1"))
        self.assertTrue(out.startswith("No display to play on"), out)

        images = folder / "tarvikImages"
        cycles = player.cycle_pictures(images)
        self.assertEqual(len(cycles), 2, out)
        for name in cycles:
            self.assertTrue(pictures.png_complete(images / name))
        index = (images / "tarvik01.html").read_text("latin-1")
        for name in cycles:
            self.assertIn('<A href="%s.html"' % name, index)
        shots = sorted(p.name for p in (images / "screenshots").glob("*.png"))
        self.assertEqual(len(shots), 8, shots)

        # Every phase in order, once per cycle, whether seen or implied by a later one; the
        # second cycle ends at its capture.
        told = re.findall(r"^ +\d+ s  cycle (\d): (\w+)", out, re.M)
        for cycle, phases in (("1", PHASES), ("2", PHASES[:5])):
            self.assertEqual([phase for number, phase in told if number == cycle], phases, out)
        self.assertEqual([number for number, _ in told], sorted(number for number, _ in told))
        self.assertIn(str(images / "tarvik01.html"), out)
        self.assertIn(str(images / "screenshots"), out)

    def test_on_a_display_without_game_modes_the_program_fails_and_a_line_points_on(self):
        for server in (["--xvfb"], ["--xorg", "none"]):
            with self.subTest(server=server):
                xrun = [str(TOP / "launcher" / "xrun"), *server, "--"]
                folder = self.folder()
                run = play(folder, os.environ, *xrun, timeout=120)
                self.assertTrue((folder / "tarvikImages").is_dir(), "made before the start")
                said = run.stderr.decode("latin-1")
                self.assertEqual(run.returncode, 1, said)
                self.assertEqual(run.stdout, NO_MODE, said)
                hint = (said.splitlines() or [""])[-1]
                self.assertIn("./tools/play --browser", hint)
                self.assertIn("./tools/demo", hint)


if __name__ == "__main__":
    unittest.main()
