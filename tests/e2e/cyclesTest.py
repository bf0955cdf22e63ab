# cyclesTest.py -- two whole cycles of the real binary in a row, the second from an empty grid
"""Two cycles of 64 left presses each, with the collapse between them: each cycle leaves its
own "240-<seconds>.png", the gallery lists both, and since the generator is reseeded with 0
in every cycle the second picture equals the first."""

import unittest

from e2eSupport import new_player, pictures


class Cycles(unittest.TestCase):
    def test_two_cycles_in_a_row_each_leave_their_own_picture(self):
        with new_player("800x600") as game:
            game.wait_ready()
            first = game.play_cycle()
            game.collapse()
            # The collapse ends in a restart: nothing is left on screen, and a single press
            # shows a single new digit, which flies in from the screen centre (filling much of
            # the screen as it passes the eye) and rests in its slot.
            game.wait_fresh_cycle()
            game.click(1)
            shot = game.wait_still("the first digit at rest", lambda s: not s.is_black(), 60)
            self.assertLess(shot.lit(), shot.width * shot.height // 4, "one digit, not a full grid")
            second = game.play_cycle("L" * 63)
            self.assertEqual(game.escape(), 0)

            names = [first.name, second.name]
            for name in names:
                self.assertRegex(name, r"^240-\d+\.png$")
            self.assertNotEqual(first.name, second.name)
            seconds = [int(name[4:-4]) for name in names]
            self.assertGreater(
                seconds[1], seconds[0], "named when the second cycle's grid was full"
            )
            self.assertEqual(game.cycle_pictures(), sorted(names), "one picture per cycle, no more")
            for name in names:
                self.assertTrue(game.gallery_lists(name), name)
                self.assertTrue((game.images / (name + ".html")).exists(), name)
            a, b = pictures.read_png(first), pictures.read_png(second)
            self.assertEqual(
                a.differing_pixels(b), 0, "the same codes, deals and burst in both cycles"
            )


if __name__ == "__main__":
    unittest.main()
