# killsTest.py -- the real binary killed during its captures leaves every file whole
"""The piece is killed with SIGKILL, as by a power switch, at moments spread over the capture
countdown of a cycle, the PNG write and the gallery's regeneration, in a folder of thousands of
pictures, and restarted in the same folder each time. After every kill every PNG and page is
whole, the index is one that a complete regeneration wrote (before or after the kill), and the
only other files are temporaries of the killed runs, one of each at most, which the next
capture removes."""

import collections
import random
import re
import shutil
import signal
import subprocess
import time
import unittest

from e2eSupport import new_player, pictures
from galleryCheck import gallery_problems, listed

TEMPORARY = re.compile(r"^tarvik01-(\d+)-[0-9a-f]+\.part$")  # "tarvik01-<pid>-<hex>.part"
PICTURES = 1000  # in the folder from the start: a regeneration of a few tenths of a second
ADDED = 300  # before every third key kill, so that the regeneration has pages to write
CYCLE_KILLS = 2
KEY_KILLS = 12


def kill(game, killed):
    killed.add(game.process.pid)
    game.process.send_signal(signal.SIGKILL)
    game.process.wait(timeout=30)


def hurry_to_capture(game, until):
    """Gathers with "g" and clicks the cycle on (dealing, drawing, burst, capture) until a new
    cycle picture exists or `until` seconds have passed; returns the seconds taken."""
    before = set(game.cycle_pictures())
    game.gather("g")
    game.key("plus", 12)
    started = time.monotonic()
    while not set(game.cycle_pictures()) - before and time.monotonic() - started < until:
        game.click(1)
        time.sleep(0.05)
    return time.monotonic() - started


class Kills(unittest.TestCase):
    def assert_whole(self, game, index_before, killed):
        temporaries = [p.name for p in game.images.iterdir() if TEMPORARY.match(p.name)]
        writers = [int(TEMPORARY.match(name)[1]) for name in temporaries]
        self.assertLessEqual(set(writers), killed, "temporaries of killed runs only")
        self.assertEqual(len(writers), len(set(writers)), "one temporary of each at most")
        self.assertEqual(gallery_problems(game.images, extra=temporaries), [])
        now = sorted(p.name for p in game.images.glob("*.png"))
        self.assertIn(listed(game.images), (index_before, now), "a complete regeneration")

    def test_kills_during_captures_leave_whole_files_and_only_the_killed_runs_temporaries(self):
        rng = random.Random(11)
        with new_player("800x600", launch=False) as game:
            seed = game.workdir / "seed.png"
            pictures.write_png(seed, pictures.Picture(8, 8, pictures.GREY, bytes(range(64))))
            copies = iter(range(1, 10**6))

            def add_pictures(n):
                for _ in range(n):
                    shutil.copyfile(seed, game.images / ("copy-%d.png" % next(copies)))

            add_pictures(PICTURES)
            game.start_program()
            game.wait_ready()
            started = time.monotonic()
            game.key("s")
            game.wait_picture("test.png", timeout=120)
            took = time.monotonic() - started
            game.log("the first gallery of %d pictures: %.1f s" % (PICTURES + 1, took))
            # One whole cycle, to learn how long hurrying takes up to its capture.
            hurry = hurry_to_capture(game, 120)
            game.log("a cycle hurried to its capture in %.1f s" % hurry)
            self.assertEqual(len(game.cycle_pictures()), 1, "the cycle's capture")
            game.wait_picture(game.cycle_pictures()[0])
            killed = set()
            kill(game, killed)
            self.assert_whole(game, None, killed)

            landed = collections.Counter()  # where the kills came, for the log
            for k in range(CYCLE_KILLS + KEY_KILLS):
                if k >= CYCLE_KILLS and k % 3 == 0:
                    add_pictures(ADDED)
                index_before = listed(game.images)
                game.start_program()
                game.wait_ready()
                pngs_before = {p.name: p.stat().st_mtime_ns for p in game.images.glob("*.png")}
                index_stamp = (game.images / "tarvik01.html").stat().st_mtime_ns
                if k < CYCLE_KILLS:
                    # Over the last seconds before the capture: the countdown and the write.
                    hurry_to_capture(game, hurry * rng.uniform(0.8, 1.1))
                else:
                    # xdotool takes 10 to 60 ms to deliver the key: odd kills may come before it
                    # arrives, or while the PNG is written; even ones come in the gallery.
                    key = subprocess.Popen(
                        ["xdotool", "key", "s"], env=dict(game.tool_env, DISPLAY=game.display)
                    )
                    time.sleep(rng.uniform(0.0, 0.04) if k % 2 else rng.uniform(0.1, 0.6))
                kill(game, killed)
                if k >= CYCLE_KILLS:
                    key.wait(timeout=30)
                pngs = {p.name: p.stat().st_mtime_ns for p in game.images.glob("*.png")}
                index_new = (game.images / "tarvik01.html").stat().st_mtime_ns != index_stamp
                landed["index" if index_new else "PNG" if pngs != pngs_before else "before"] += 1
                with self.subTest(kill=k):
                    self.assert_whole(game, index_before, killed)

            game.start_program()
            game.wait_ready()
            game.key("s")  # Escape comes after this capture has ended
            self.assertEqual(game.escape(), 0)
            self.assertEqual(gallery_problems(game.images), [], "no temporary after a capture")
            self.assertEqual(listed(game.images), sorted(p.name for p in game.images.glob("*.png")))
            game.log(
                "%d kills survived, %d in cycles; written before the kill: %s; %d pictures"
                % (CYCLE_KILLS + KEY_KILLS, CYCLE_KILLS, dict(landed), len(listed(game.images)))
            )


if __name__ == "__main__":
    unittest.main()
