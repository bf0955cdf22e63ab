# visitorTest.py -- a random visitor at the real binary, then Escape: nothing lost, nothing torn
"""TARVIK_VISIT_SECONDS (CTest sets it) of a random visitor (visitor.py) seeded with
TARVIK_VISIT_SEED (11 unless set) on an 800x600 screen: the program lives throughout, Escape
ends it with code 0, no sanitizer reports, and tarvikImages holds only whole PNGs, their exact
pages and a whole index, with the picture of at least one cycle the visitor pushed through. A longer visit by hand, from this folder:

    TARVIK_BINARY=../../build/tarvik01 TARVIK_VISIT_SECONDS=600 TARVIK_VISIT_SEED=2 \
        python3 -m unittest visitorTest
"""

import os
import sys
import unittest

from e2eSupport import new_player
import visitor


class Visitor(unittest.TestCase):
    def test_a_random_visitor_leaves_the_piece_running_and_the_gallery_whole(self):
        seconds = float(os.environ.get("TARVIK_VISIT_SECONDS", "120"))
        seed = int(os.environ.get("TARVIK_VISIT_SEED", "11"))
        with new_player("800x600") as game:
            game.wait_ready()
            events, problems = visitor.visit(game, seconds, seed)
            pictures = sorted(path.name for path in game.images.glob("*.png"))
            cycles = game.cycle_pictures()
        print(
            "\n%d events in %.0f s (seed %d); pictures: %s" % (events, seconds, seed, pictures),
            file=sys.stderr,
        )
        self.assertEqual(problems, [])
        self.assertTrue(cycles, "no cycle played through to its picture")


if __name__ == "__main__":
    unittest.main()
