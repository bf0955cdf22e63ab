# gnomeWaylandTest.py -- the real tarvik01 on GNOME's compositor, through its Xwayland
"""mutter runs headless with a 1920x1080 virtual monitor, as on Debian's default desktop. Its
Xwayland offers the usual smaller modes, 1280x1024 the largest of the program's four; that
mode's timing (109.0 MHz over 1712 x 1063) runs at 59.89 Hz, which GLUT truncates. An "s"
gives the 900-pixel capture of that mode, Escape ends the piece with 0, and once the player
has stopped the desktop, nothing of its session runs on: not mutter, its bus or Xwayland."""

import unittest

from e2eSupport import new_player, pictures, process_stat, processes

STARTUP = (b"Starte tarvikWerk.\n"
           b"Bildschirmaufloesung 1280x1024 Pixel bei 32 bit Farbtiefe und 59 hertz\n")  # fmt: skip


def running_in_session(session):
    """Names of the processes of a session that still run."""
    stats = [process_stat(pid) for pid in processes(lambda _, stat: stat.session == session)]
    return [stat.name for stat in stats if stat and stat.state != "Z"]


class GnomeWayland(unittest.TestCase):
    def test_the_piece_plays_in_a_game_mode_and_the_desktop_ends_with_it(self):
        with new_player(server="mutter") as game:
            session = int((game.state / "pid").read_text())
            self.assertLessEqual({"mutter", "Xwayland"}, set(running_in_session(session)))
            game.wait_ready()
            game.key("s")
            capture = pictures.read_png(game.wait_picture("test.png"))
            self.assertEqual((capture.width, capture.height, capture.colour_type), (900, 900, 0))
            self.assertEqual(game.escape(), 0)
            self.assertEqual(game.output(), STARTUP)
        self.assertEqual(running_in_session(session), [])


if __name__ == "__main__":
    unittest.main()
