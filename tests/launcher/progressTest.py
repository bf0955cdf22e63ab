# progressTest.py -- the phase watcher's signs and lines, on screens drawn by the test
"""The signs are read from pictures laid out as the program draws at each size (positions
worked out by hand from its geometry, the strip's measured off a real screenshot), and the
watcher is fed a cycle's looks one by one with a clock of the test's own."""

import contextlib
import io
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2]))

from launcher import pictures, progress, screen  # noqa: E402

GREY = 179  # the border's 0.7


def blank(width=1280, height=1024):
    return pictures.Picture(width, height, pictures.RGB, bytearray(width * height * 3))


def paint(shot, x0, y0, x1, y1, level=255):
    """Lights the pixels of columns x0..x1 and rows y0..y1 (rows top down), clipped."""
    for y in range(max(y0, 0), min(y1, shot.height - 1) + 1):
        for x in range(max(x0, 0), min(x1, shot.width - 1) + 1):
            i = (y * shot.width + x) * 3
            shot.pixels[i : i + 3] = bytes((level,) * 3)
    return shot


def square(left, bottom, side, width=1280, height=1024):
    """The diagram's border as GL smooths it: lines on the pixel edges at left and left + side
    and at bottom and bottom + side (GL's coordinates), each lighting the two pixels there."""
    shot = blank(width, height)
    right, top = left + side, bottom + side
    row = lambda y: height - 1 - y  # noqa: E731
    for x in (left - 1, left, right - 1, right):
        paint(shot, x, row(top), x, row(bottom - 1), GREY)
    for y in (bottom - 1, bottom, top - 1, top):
        paint(shot, left - 1, row(y), right, row(y), GREY)
    return shot


def strip():
    """The first dealt strip where it lies at 1280x1024: four digits in columns 22 to 95 and
    rows 65 to 82."""
    shot = blank()
    for x0, x1 in ((22, 37), (42, 57), (61, 76), (81, 95)):
        paint(shot, x0, 65, x1, 82)
    return shot


# A digit flying close past the eye in gathering fills much of the screen's middle and top left.
NEAR_DIGIT = paint(blank(), 0, 0, 800, 700)


class Signs(unittest.TestCase):
    def test_the_square_is_found_at_its_distance_also_where_it_leaves_the_screen(self):
        for what, shot, d in (
            ("drawing", square(500, 350, 300), 0),
            ("full burst", square(200, 50, 900), 300),
            # 651 = trunc(600 * 600 / 1024 + 300): the right and top edges lie off screen.
            ("full burst at 800x600", square(200, 50, 651, 800, 600), 300),
            ("collapse", square(560, 410, 180), -60),
        ):
            with self.subTest(what):
                found = screen.square_distance(shot)
                self.assertIsNotNone(found)
                self.assertLessEqual(abs(found - d), 1)
        for what, shot in (("black", blank()), ("a digit near the eye", NEAR_DIGIT)):
            with self.subTest(what):
                self.assertIsNone(screen.square_distance(shot))

    def test_a_dealt_strip_shows_in_its_cell_and_nothing_else_passes_for_one(self):
        self.assertTrue(screen.strip_dealt(strip()))
        self.assertFalse(screen.strip_dealt(blank()))
        self.assertFalse(screen.strip_dealt(NEAR_DIGIT))


class Watcher(unittest.TestCase):
    def test_each_phase_is_told_once_in_order_and_a_missed_one_by_what_implies_it(self):
        images = Path(self.enterContext(tempfile.TemporaryDirectory()))
        now = [0.0]
        out = io.StringIO()
        watcher = progress.Progress(None, images, clock=lambda: now[0])

        def look(at, shot, picture=None):
            now[0] = at
            if picture:
                (images / picture).write_bytes(b"")
            with contextlib.redirect_stdout(out):
                watcher.look(shot)

        with contextlib.redirect_stdout(out):
            watcher.reach(progress.GATHERING)
        look(10, strip())
        look(20, square(500, 350, 300))
        look(30, square(500, 350, 300), "83-1000.png")  # burst and capture between two looks
        look(40, blank())
        look(50, square(560, 410, 180))  # a shrunk square in gathering is no collapse
        look(60, square(200, 50, 900))
        look(70, square(560, 410, 180), "113-1100.png")  # captured before the screenshot
        look(80, strip())  # the collapse is over: this is the new cycle's grid
        look(90, square(200, 50, 900), "90-1200.png")
        look(100, square(200, 50, 900), "95-1300.png")  # the collapse and a whole cycle missed
        self.assertEqual(
            out.getvalue().splitlines(),
            [
                "    0 s  cycle 1: gathering",
                "   10 s  cycle 1: dealing",
                "   20 s  cycle 1: drawing",
                "   30 s  cycle 1: burst (implied by the capture)",
                "   30 s  cycle 1: capture 83-1000.png",
                "   40 s  cycle 1: collapse (implied by the empty grid)",
                "   40 s  cycle 2: gathering",
                "   60 s  cycle 2: dealing (implied by the burst)",
                "   60 s  cycle 2: drawing (implied by the burst)",
                "   60 s  cycle 2: burst",
                "   70 s  cycle 2: capture 113-1100.png",
                "   70 s  cycle 2: collapse",
                "   80 s  cycle 3: gathering",
                "   90 s  cycle 3: dealing (implied by the burst)",
                "   90 s  cycle 3: drawing (implied by the burst)",
                "   90 s  cycle 3: burst",
                "   90 s  cycle 3: capture 90-1200.png",
                "  100 s  cycle 3: collapse (implied by the next capture)",
                "  100 s  cycle 4: gathering",
                "  100 s  cycle 4: dealing (implied by the capture)",
                "  100 s  cycle 4: drawing (implied by the capture)",
                "  100 s  cycle 4: burst (implied by the capture)",
                "  100 s  cycle 4: capture 95-1300.png",
            ],
        )


if __name__ == "__main__":
    unittest.main()
