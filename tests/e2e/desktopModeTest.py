# desktopModeTest.py -- the real binary leaves the desktop as it found it
"""The screen mode and the pointer after the program ends are those from before it started.

The dummy video driver never really switches modes (a game mode it offers is entered without a
change), so on this rig the test mainly shows that the program leaves cleanly, through a long
left drag in the middle of dealing with the deal timer armed: exit code 0, the server still
answering in the mode it had, and the pointer back where it was before freeglut centred it."""

import subprocess
import unittest

from e2eSupport import STARTUP, new_player, screen


def query(game, *argv):
    return subprocess.run(
        argv,
        env=dict(game.tool_env, DISPLAY=game.display),
        check=True,
        stdout=subprocess.PIPE,
        text=True,
        timeout=60,
    ).stdout


def desktop_mode(game):
    """The mode as XF86VidMode (the extension freeglut switches through) and RandR see it."""
    vidmode = query(game, "xvidtune", "-show").strip()
    randr = [
        line.strip()
        for line in query(game, "xrandr", "--current").splitlines()
        if "current" in line or "*" in line
    ]
    return vidmode, randr


def pointer(game):
    return query(game, "xdotool", "getmouselocation").split()[:2]


class DesktopMode(unittest.TestCase):
    def test_the_mode_and_pointer_after_exit_are_those_from_before_start(self):
        with new_player(screen.FOUR_MODES, launch=False) as game:
            game.xdotool("mousemove", 123, 45)
            mode_before, pointer_before = desktop_mode(game), pointer(game)
            self.assertIn('"1280x1024"', mode_before[0])

            game.start_program()
            game.wait_ready()
            self.assertEqual(game.output(), STARTUP["1280x1024"], "the first of the four wins")
            self.assertEqual(pointer(game), ["x:640", "y:512"], "game mode centres the pointer")
            game.gather()
            game.wait_first_deal()  # dealing has begun: the deal timer is armed
            game.drag(100, 100, 1000, 100)
            self.assertEqual(game.wait_exit(), 0, "a drag of 900 pixels ends the program")

            self.assertEqual(desktop_mode(game), mode_before)
            self.assertEqual(pointer(game), pointer_before)


if __name__ == "__main__":
    unittest.main()
