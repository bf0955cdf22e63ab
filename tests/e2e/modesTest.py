# modesTest.py -- one whole cycle of the real binary on each of the four game modes
"""A display offering exactly one of the four modes: the program reports that mode, a cycle
of 64 left presses leaves "240-<seconds>.png" of the mode's capture size, 8-bit greyscale,
and Escape ends the program with code 0 and nothing more printed. A display offering two or
three of them: the largest wins."""

import shutil
import unittest

from e2eSupport import STARTUP, new_player, picture_dir, pictures, screen

BORDER = 3  # pixels along each edge that the overlay frame may cover


class Modes(unittest.TestCase):
    def play_mode(self, mode):
        (width, height), side = screen.size(mode), screen.MODES[mode]
        with new_player(mode) as game:
            game.wait_ready()
            self.assertEqual(game.output(), STARTUP[mode])
            path = game.play_cycle()
            self.assertRegex(path.name, r"^240-\d+\.png$", "64 ones: every strip code is 3")
            shutil.copy(path, picture_dir() / ("mode-%s-%s" % (mode, path.name)))
            picture = pictures.read_png(path)
            self.assertEqual((picture.bit_depth, picture.colour_type, picture.interlace), (8, 0, 0))
            self.assertEqual((picture.width, picture.height), (side, side))
            self.check_frame(picture, width, height)
            self.assertEqual(game.escape(), 0)
            self.assertEqual(game.output(), STARTUP[mode], "nothing more is printed")

    def check_frame(self, picture, width, height):
        """With 64 ones every glyph is an ellipse whose box starts beyond the top right corner
        of the diagram, so the capture shows the overlay frame alone: lines along the edges
        of the square and black inside. The square reaches past the screen's top (and at 600
        lines its right edge): those pixels are never drawn and stay black. The picture is
        upright: the lost rows are at its top."""
        side = picture.width
        corner_x, corner_y = screen.CAPTURE_CORNER
        shown_columns, shown_rows = min(side, width - corner_x), min(side, height - corner_y)
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
        self.play_mode("1280x1024")

    def test_1152x864_gives_806_pixels(self):
        self.play_mode("1152x864")

    def test_1024x768_gives_750_pixels(self):
        self.play_mode("1024x768")

    def test_800x600_gives_651_pixels(self):
        self.play_mode("800x600")

    def test_the_largest_of_the_modes_offered_wins(self):
        offered = ("1280x1024,1152x864", "1280x1024,800x600", "1152x864,1024x768,800x600",
                   "1024x768,800x600")  # fmt: skip
        for modes in offered:
            with self.subTest(modes=modes), new_player(modes) as game:
                game.wait_ready()
                self.assertEqual(game.output(), STARTUP[modes.split(",")[0]])
                self.assertEqual(game.escape(), 0)


if __name__ == "__main__":
    unittest.main()
