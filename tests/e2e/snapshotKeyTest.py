# snapshotKeyTest.py -- the "s" key of the real binary writes and rewrites test.png
"""The "s" key in gathering writes tarvikImages/test.png, the capture square of the frame on
screen, and lists it in the gallery; pressing it again replaces the file. A left drag of
exactly 600 pixels does not end the program: a further "s" is still answered."""

import unittest

from e2eSupport import new_player, pictures


class SnapshotKey(unittest.TestCase):
    def test_s_in_gathering_writes_test_png_and_again_replaces_it(self):
        with new_player("800x600") as game:
            game.wait_ready()
            game.key("s")
            path = game.wait_picture("test.png")
            empty = pictures.read_png(path)
            self.assertEqual((empty.width, empty.height, empty.colour_type), (651, 651, 0))
            self.assertTrue(empty.is_black(), "no digit gathered yet")
            index = (game.images / "tarvik01.html").read_text("latin-1")
            self.assertEqual(index.count("<A href="), 1)
            self.assertIn('<A href="test.png.html" name="test.png"><IMG src="test.png"', index)

            # Digits gathered at the screen's middle lie inside the capture square.
            game.click(1, times=5)
            game.wait_still("five digits at rest", lambda shot: not shot.is_black(), 120)
            game.key("s")

            def rewritten():
                return pictures.png_complete(path) and not pictures.read_png(path).is_black()

            game.wait_for("test.png to be replaced", rewritten, 60)
            self.assertEqual(sorted(p.name for p in game.images.glob("*.png")), ["test.png"])
            game.wait_for("the gallery", lambda: game.gallery_lists("test.png"), 30)
            index = (game.images / "tarvik01.html").read_text("latin-1")
            self.assertEqual(index.count("<A href="), 1, "still one entry")
            self.assertTrue(game.running(), "the snapshot key does not end the program")

            game.drag(100, 100, 700, 100)
            written = path.stat().st_mtime_ns
            game.key("s")
            game.wait_for("test.png after the drag", lambda: path.stat().st_mtime_ns != written, 60)
            self.assertEqual(game.escape(), 0)


if __name__ == "__main__":
    unittest.main()
