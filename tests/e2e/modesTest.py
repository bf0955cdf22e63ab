# modesTest.py -- the game mode the real binary takes, its capture there, the desktop after it
"""A display offering all four modes: the program takes 1280x1024 and says so, centres the
pointer, and a cycle of 64 left presses leaves "240-<seconds>.png", 900 pixels of 8-bit grey
showing the overlay frame alone. In the next cycle a long left drag in the middle of dealing,
with the deal timer armed, ends it with 0, and the desktop is as it was: the mode (the dummy
driver never really switches, so this shows a clean exit with the server unharmed) and the
pointer where it was before freeglut centred it.
Displays offering two or three of the modes: the largest wins, also where the display lists
it last, and "s" writes that mode's capture size (the 800x600 one is played whole in
cyclesTest)."""

import subprocess
import unittest

from e2eSupport import STARTUP, new_player, picture_dir, pictures, screen

BORDER = 3  # pixels along each edge that the overlay frame may cover


def query(game, *argv):
    return subprocess.run(argv, env=dict(game.tool_env, DISPLAY=game.display), check=True,
                          stdout=subprocess.PIPE, text=True, timeout=60).stdout  # fmt: skip


def desktop(game):
    """The mode as XF86VidMode (the extension freeglut switches through) and RandR see it, and
    the pointer."""
    randr = [line.strip() for line in query(game, "xrandr", "--current").splitlines()
             if "current" in line or "*" in line]  # fmt: skip
    pointer = query(game, "xdotool", "getmouselocation").split()[:2]
    return query(game, "xvidtune", "-show").strip(), randr, pointer


class Modes(unittest.TestCase):
    def test_all_four_offered_gives_1280x1024_its_capture_and_the_desktop_back(self):
        with new_player(screen.FOUR_MODES, launch=False) as game:
            game.xdotool("mousemove", 123, 45)
            before = desktop(game)
            self.assertIn('"1280x1024"', before[0])
            game.start_program()
            game.wait_ready()
            self.assertEqual(game.output(), STARTUP["1280x1024"], "the first of the four wins")
            self.assertEqual(desktop(game)[2], ["x:640", "y:512"], "game mode centres the pointer")
            path = game.play_cycle()
            self.assertRegex(path.name, r"^240-\d+\.png$", "64 ones: every strip code is 3")
            pictures.write_png(picture_dir() / "mode-1280x1024.png", pictures.read_png(path))
            self.check_frame(pictures.read_png(path))

            game.collapse()
            game.wait_fresh_cycle()
            game.gather("g")
            game.wait_first_deal()  # dealing has begun: the deal timer is armed
            game.drag(100, 100, 1000, 100)
            self.assertEqual(game.wait_exit(), 0, "a drag of 900 pixels ends the program")
            self.assertEqual(game.output(), STARTUP["1280x1024"], "nothing more is printed")
            self.assertEqual(desktop(game), before)

    def check_frame(self, picture):
        """With 64 ones every glyph is an ellipse whose box starts beyond the top right corner
        of the diagram, so the capture shows the overlay frame alone: lines along the four
        edges of the square and black inside."""
        side = picture.width
        self.assertEqual((side, picture.height, picture.bit_depth, picture.colour_type),
                         (900, 900, 8, 0))  # fmt: skip
        inside = picture.lit_in(BORDER, BORDER, side - BORDER, side - BORDER)
        self.assertEqual(inside, 0, "black inside the frame")
        far = side - BORDER
        edges = {"left": (0, 0, BORDER, side), "right": (far, 0, side, side),
                 "top": (0, 0, side, BORDER), "bottom": (0, far, side, side)}  # fmt: skip
        for edge, box in edges.items():
            self.assertGreater(picture.lit_in(*box), 0.9 * side, edge + " edge")

    def test_the_largest_of_the_modes_offered_wins(self):
        offered = {"1280x1024,1152x864": 900, "1280x1024,800x600": 900,
                   "1152x864,1024x768,800x600": 806, "1024x768,800x600": 750}  # fmt: skip
        for modes, side in offered.items():
            with self.subTest(modes=modes), new_player(modes) as game:
                game.wait_ready()
                self.assertEqual(game.output(), STARTUP[modes.split(",")[0]])
                game.key("s")
                capture = pictures.read_png(game.wait_picture("test.png"))
                self.assertEqual((capture.width, capture.height), (side, side))
                self.assertEqual(game.escape(), 0)
        # Listed smallest first, the program's own order still decides. The server starts in
        # the first listed mode and the dummy driver never switches, so the switch to the
        # mode named fails and the program ends with 1, as on a display that refuses it.
        with self.subTest(modes="800x600,1024x768"), new_player("800x600,1024x768") as game:
            self.assertEqual((game.wait_exit(), game.output()), (1, STARTUP["1024x768"]))


if __name__ == "__main__":
    unittest.main()
