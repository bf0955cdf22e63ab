# arm64Test.py -- the arm64 package, cross-built, plays under qemu as the amd64 one plays here
"""The arm64 package that tools/package --arch arm64 made (CTest's fixture e2e.arm64.package,
in TARVIK_ARM64_DIR) passes lintian, depends on arm64's libraries with no GLUT among them (its
own is linked in), and holds the files of the amd64 package of the build under test, byte for
byte but for the program, an aarch64 executable.

Unpacked, its tarvik01 runs under qemu-aarch64-static on private Xorg servers: on 800x600 it
says the start-up bytes of the amd64 build, writes a whole test.png on s and ends with 0 on
Escape; where none of the four modes is offered it says the failure line and ends with 1. The
package's kiosk plays it through a one-line wrapper that starts qemu, and brings it back after
a SIGKILL. The fixed presses, hurried, bring it to the full burst that the amd64 build under
test captures at the end of their cycle, and s there writes the same PNG file, byte for byte."""

import os
import signal
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from e2eSupport import NO_MODE, PATTERN, PATTERN_SUM, PLAYED, STARTUP, TOOL_ENV, TestPlayer, alive
from e2eSupport import binary, deadline, field, package, pictures, pieces_of, run, screen, unpack
from e2eSupport import wait_piece

QEMU = "qemu-aarch64-static"
AARCH64 = 183  # ELF e_machine of aarch64


def files(root):
    """Every path under root with its mode; regular files also with their bytes."""
    found = {}
    for path in sorted(root.rglob("*")):
        mode = path.lstat().st_mode
        content = path.read_bytes() if path.is_file() and not path.is_symlink() else None
        found[str(path.relative_to(root))] = (mode, content)
    return found


class Arm64(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        scratch = tempfile.TemporaryDirectory(prefix="tarvik-arm64-")
        cls.addClassCleanup(scratch.cleanup)
        cls.scratch = Path(scratch.name)
        TOOL_ENV["TMPDIR"] = str(cls.scratch)  # lintian's man-db leaves a file there
        made = Path(os.environ["TARVIK_ARM64_DIR"])
        (cls.deb,) = made.glob("tarvik01_*_arm64.deb")
        cls.root = cls.scratch / "root"
        unpack(cls.deb, cls.root)
        # The kiosk's pieces and the tests' runs start qemu with the unpacked program, whose
        # libraries are those of the root that the package was built against.
        cls.program = cls.scratch / "tarvik01"
        cls.program.write_text(
            '#!/bin/sh\nQEMU_LD_PREFIX=%s exec %s %s "$@"\n'
            % (made / "root", QEMU, cls.root / "usr/games/tarvik01")
        )
        cls.program.chmod(0o755)

    def test_lintian_the_fields_and_the_amd64_packages_files_but_for_the_program(self):
        checked = run("lintian", "--fail-on", "error", str(self.deb))
        self.assertEqual(checked.returncode, 0, checked.stdout)
        self.assertEqual(field(self.deb, "Architecture"), "arm64")
        depends = field(self.deb, "Depends")
        for needed in ("python3", "x11-xserver-utils", "libxxf86vm1", "libxi6", "libpng16-16"):
            self.assertIn(needed, depends)
        self.assertNotIn("libglut", depends, "GLUT is linked in")

        amd64, amd64_root = package(self.scratch / "amd64")
        self.assertEqual(field(amd64, "Architecture"), "amd64")
        theirs, ours = files(amd64_root), files(self.root)
        program = "usr/games/tarvik01"
        self.assertEqual(theirs.pop(program)[0], ours[program][0])
        executable = ours.pop(program)[1]
        self.assertEqual(executable[:4], b"\x7fELF")
        self.assertEqual(int.from_bytes(executable[18:20], "little"), AARCH64)
        self.assertEqual(sorted(ours), sorted(theirs))
        for path in ours:
            self.assertEqual(ours[path], theirs[path], path)
        self.assertIn(b"freeglut", ours["usr/share/doc/tarvik01/copyright"][1])

    def test_under_qemu_it_says_what_amd64_says_saves_and_ends(self):
        with self.subTest("800x600"), TestPlayer(self.program, "800x600", deadline=300) as game:
            game.wait_ready(120)
            self.assertEqual(game.output(), STARTUP["800x600"])
            game.key("s")
            picture = pictures.read_png(game.wait_picture("test.png"))
            self.assertEqual((picture.width, picture.height, picture.colour_type), (651, 651, 0))
            self.assertEqual(game.escape(120), 0)
            self.assertEqual(game.output(), STARTUP["800x600"], "nothing more is printed")
        with self.subTest("none of the four"), TestPlayer(self.program, "none") as game:
            self.assertEqual(game.wait_exit(120), 1)
            self.assertEqual(game.output(), NO_MODE)

    def test_the_kiosk_plays_it_through_qemu_and_brings_it_back_after_a_sigkill(self):
        kiosk = self.root / "usr/games/tarvik01-kiosk"
        folder = self.scratch / "gallery"
        with TestPlayer(self.program, "800x600", launch=False, deadline=300) as x:
            env = dict(TOOL_ENV, DISPLAY=x.display)
            log = open(self.scratch / "kiosk.log", "w+")
            self.addCleanup(log.close)
            command = [str(kiosk), "--binary", str(self.program), "--folder", str(folder)]
            process = subprocess.Popen(command, env=env, stdout=log, stderr=log)
            self.addCleanup(lambda: process.poll() is None and process.kill())

            pieces, running = [], lambda: pieces_of(process.pid, QEMU)
            pid, shown = wait_piece(self, x, pieces, running, time.monotonic(), 120)
            time.sleep(max(0.0, shown + PLAYED - time.monotonic()))
            os.kill(pid, signal.SIGKILL)
            again, _ = wait_piece(self, x, pieces, running, time.monotonic(), 120)
            x.key("s")
            x.wait_for("test.png", lambda: pictures.png_complete(folder / "tarvikImages/test.png"),
                       120, may_exit=True)  # fmt: skip
            process.send_signal(signal.SIGTERM)
            self.assertEqual(process.wait(timeout=30), 0)
            self.assertFalse(alive(again))
            log.seek(0)
            said = log.read()
            self.assertEqual(said.count("started the piece"), 2, said)
            self.assertEqual(said.count("killed by SIGKILL after"), 1, said)
            self.assertEqual(said.count("; back at once"), 1, said)

    def test_the_fixed_presses_bring_the_full_burst_that_amd64_captures_byte_for_byte(self):
        # Both link the same libpng and zlib, and compute the same floats once GCC may not
        # fuse multiplies and adds (CMakeLists.txt): with fused ones the arm64 capture had one
        # pixel at the edge of a smoothed line a grey level darker (86 for 87). New digits start
        # from the bottom right corner, outside the view, not at the eye in the centre, where
        # their young wireframes filled the screen; they land where they would have landed, so
        # the capture is the same.
        corner = {0: (799, 599)}
        with TestPlayer(binary(), "800x600", deadline=240) as game:
            game.wait_ready(120)
            path = game.play_cycle(PATTERN, click_period=0.03, timeout=240,
                                   start_points=corner)  # fmt: skip
            self.assertRegex(path.name, r"^%d-\d+\.png$" % PATTERN_SUM)
            amd64, amd64_picture = path.read_bytes(), pictures.read_png(path)
            self.assertEqual(game.escape(120), 0)
        # A cycle captures its full burst as it stands before the scan line's sweep of 70
        # frames: s captures it there instead, without the sweep. Clicks draw faster and start
        # the burst, and stop once the burst shows: it takes 12 frames to its full distance,
        # 300, and only a click then would start the scan line.
        with TestPlayer(self.program, "800x600", deadline=deadline() - 240) as game:
            game.wait_ready(120)
            game.gather(PATTERN, corner)
            game.key("plus", 12)

            def burst(shot):  # the square's border reads one short of the distance: 299 full
                return screen.square_distance(shot) or 0

            game.wait_for("the burst", lambda: burst(game.screenshot()) > 0 or game.click(1),
                          deadline(), poll=0.3)  # fmt: skip
            game.wait_screen("the full burst", lambda shot: burst(shot) == 299, 120)
            game.key("s")
            path = game.wait_picture("test.png")
            arm64, arm64_picture = path.read_bytes(), pictures.read_png(path)
            self.assertEqual(game.escape(120), 0)
        self.assertEqual(arm64_picture.differing_pixels(amd64_picture), 0)
        self.assertEqual(arm64, amd64)


if __name__ == "__main__":
    unittest.main()
