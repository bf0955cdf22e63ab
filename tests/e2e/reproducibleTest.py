# reproducibleTest.py -- a fixed set of presses gives the same capture however it is timed
"""The generator is reseeded with 0 in every cycle, so a cycle whose 64 gathering presses are
fixed (and whose later presses are all left presses) deals the same strips into the same cells,
draws the same glyphs and bursts along the same vectors: its capture is the same on every run on
the same renderer, however fast the dealing and the drawing went. Two runs with very different
timing must agree pixel for pixel, and both must match the reference capture kept in
tests/e2e/reference, up to a few differing pixels for other Mesa versions.

Refresh the reference deliberately, after a change that is meant to alter the picture:
    TARVIK_REFRESH_REFERENCE=1 ctest --test-dir build -R e2e.reproducible
then look at the new file and commit it with the change."""

import os
import shutil
import unittest

from e2eSupport import PATTERN_SUM, REFERENCE_DIR, new_player, picture_dir, pictures, player

REFERENCE = REFERENCE_DIR / "800x600-pattern.png"
# Pixels that may differ from the reference: a few edge pixels that another Mesa version may
# round differently, fewer than the smallest figure covers (a 1 by 18 unit bar, 80 pixels).
ALLOWED_DIFFERING_PIXELS = 32


class Reproducible(unittest.TestCase):
    def capture(self, label, **timing):
        with new_player("800x600") as game:
            game.wait_ready()
            path = game.play_cycle(player.PATTERN, **timing)
            self.assertRegex(path.name, r"^%d-\d+\.png$" % PATTERN_SUM)
            kept = picture_dir() / ("pattern-%s.png" % label)
            shutil.copy(path, kept)
            self.assertEqual(game.escape(), 0)
        return kept, pictures.read_png(kept)

    def test_the_same_presses_give_the_same_picture_whatever_the_timing(self):
        # Hurried: presses every 30 ms drive the deal interval below a millisecond, where
        # several deals can fall between two idle steps, and speed the drawing up 1.2 times a
        # press. Unhurried: deals 198 ms apart (one per step at most), the diagram drawn at its
        # own pace in 2209 steps, and the burst and capture pressed slowly.
        hurried_path, hurried = self.capture("hurried", speed_keys=12, click_period=0.03)
        _, unhurried = self.capture("unhurried", speed_keys=4, hurry=False, click_period=0.3)
        self.assertEqual(hurried.differing_pixels(unhurried), 0, "the timing changed the picture")
        self.assertFalse(hurried.is_black())

        if os.environ.get("TARVIK_REFRESH_REFERENCE"):
            shutil.copy(hurried_path, REFERENCE)
            print("wrote %s: look at it, and commit it with the change that altered it" % REFERENCE)
            return
        reference = pictures.read_png(REFERENCE)
        differing = hurried.differing_pixels(reference)
        if differing > ALLOWED_DIFFERING_PIXELS:
            marked = picture_dir() / "pattern-differences.png"
            pictures.write_png(marked, difference_picture(hurried, reference))
            self.fail(
                "%d pixels differ from %s (white in %s); if the change is meant, refresh the "
                "reference (see this file's first comment)" % (differing, REFERENCE, marked)
            )


def difference_picture(picture, reference):
    """The picture dimmed to a quarter, with every pixel that differs from the reference white."""
    pixels = bytes(255 if a != b else a // 4 for a, b in zip(picture.pixels, reference.pixels))
    return pictures.Picture(picture.width, picture.height, pictures.GREY, pixels)


if __name__ == "__main__":
    unittest.main()
