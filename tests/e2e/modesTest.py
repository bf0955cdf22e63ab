# modesTest.py -- one whole cycle of the real binary on each of the four game modes
"""A display offering exactly one of the four modes: the program reports that mode, a cycle
of 64 left presses leaves "240-<seconds>.png" of the mode's capture size, 8-bit greyscale,
and Escape ends the program with code 0 and nothing more printed."""

import shutil
import unittest

from e2eSupport import new_player, picture_dir, pictures, startup_message

BORDER = 3  # pixels along each edge that the overlay frame may cover


class Modes(unittest.TestCase):
    def play_mode(self, width, height, side):
        with new_player("%dx%d" % (width, height)) as game:
            game.wait_ready()
            self.assertEqual(game.output(), startup_message(width, height))
            path = game.play_cycle()
            self.assertRegex(path.name, r"^240-\d+\.png$", "64 ones: every strip code is 3")
            shutil.copy(path, picture_dir() / ("mode-%dx%d-%s" % (width, height, path.name)))
            picture = pictures.read_png(path)
            self.assertEqual((picture.bit_depth, picture.colour_type, picture.interlace), (8, 0, 0))
            self.assertEqual((picture.width, picture.height), (side, side))
            self.check_frame(picture, width, height)
            self.assertEqual(game.escape(), 0)
            self.assertEqual(
                game.output(), startup_message(width, height), "nothing more is printed"
            )

    def check_frame(self, picture, width, height):
        """With 64 ones every glyph is an ellipse whose box starts beyond the top right corner
        of the diagram, so the capture shows the overlay frame alone: lines along the edges
        of the square and black inside. The square reaches past the screen's top (and at 600
        lines its right edge): those pixels are never drawn and stay black. The picture is
        upright: the lost rows are at its top."""
        side = picture.width
        shown_columns = min(side, width - 200)  # the square's lower left corner is at (200, 50)
        shown_rows = min(side, height - 50)
        first_row = side - shown_rows
        self.assertEqual(
            picture.lit_in(BORDER, first_row + BORDER, shown_columns - BORDER, side - BORDER),
            0,
            "black inside the frame",
        )
        self.assertEqual(
            picture.lit_in(0, 0, side, first_row), 0, "rows above the screen stay black"
        )
        self.assertEqual(
            picture.lit_in(shown_columns, 0, side, side), 0, "columns past the screen stay black"
        )
        # The frame's left and bottom edges lie within every screen.
        self.assertGreater(
            picture.lit_in(0, first_row, BORDER, side), 0.9 * shown_rows, "left edge"
        )
        self.assertGreater(
            picture.lit_in(0, side - BORDER, shown_columns, side),
            0.9 * shown_columns,
            "bottom edge",
        )
        if shown_rows == side and shown_columns == side:
            self.assertGreater(picture.lit_in(0, 0, side, BORDER), 0.9 * side, "top edge")
            self.assertGreater(
                picture.lit_in(side - BORDER, 0, side, side), 0.9 * side, "right edge"
            )

    def test_1280x1024_gives_900_pixels(self):
        self.play_mode(1280, 1024, 900)

    def test_1152x864_gives_806_pixels(self):
        self.play_mode(1152, 864, 806)

    def test_1024x768_gives_750_pixels(self):
        self.play_mode(1024, 768, 750)

    def test_800x600_gives_651_pixels(self):
        self.play_mode(800, 600, 651)


if __name__ == "__main__":
    unittest.main()
