# progress.py -- tells which phase the piece has reached, from screenshots and tarvikImages
"""A watcher that prints the phase each cycle has reached, with the seconds since it started.

It looks only at what anybody could see: screenshots of the display and the cycle pictures
that appear in tarvikImages. The signs it reads, on a 1280x1024 screen:

- gathering: the start, and a black screen after a collapse (the empty grid of a new cycle);
- dealing: strips at rest in the left third of the screen, where the 4 by 12 grid of dealt
  strips lies (gathered digits land right of the middle and only fly through it);
- drawing: the grey border of the 300 x 300 diagram square at its place;
- burst: that square grown about its centre;
- capture: a new "<sum>-<seconds>.png" in tarvikImages;
- collapse: the square shrunk below its own size.

A phase is told once per cycle and only when it comes later than the last one told, so a
cycle that is collapsed straight from the finished diagram goes from drawing to collapse.
Digits held still in the left third during gathering (the space key pauses their flight)
look like dealt strips and are told as dealing.
"""

import threading
import time

from . import pictures, screen
from .player import cycle_pictures

PHASES = ("gathering", "dealing", "drawing", "burst", "capture", "collapse")

# The burst distance d that moves the diagram square (screen.py) runs from 0 while drawing up
# to 300 at full burst, and down to -150 in the collapse, at this screen size.
(SQUARE_X, SQUARE_Y), SQUARE_SIDE = screen.DIAGRAM_CORNER, screen.DIAGRAM_SIDE
EDGE = 14  # points probed along each edge
# Seconds between two looks once the diagram is drawn; before that, half of it, because dealing
# at full speed leaves its strips at rest for only a second or two before the square shows.
LOOK_PERIOD = 0.5
STILL_STRIPS = 200  # lit, unmoved pixels sampled in the left third that mean dealt strips


def square_distance(shot):
    """The burst distance d at which the diagram square's border shows, or None. All four
    edges must be lit along most of their length: no digit in flight and no corner of a
    glyph's figure inside the square makes that. Squares smaller than a third of the
    diagram's are not looked for: a big digit could pass for one, and the collapse shows
    larger ones first."""
    width, height, pixels = shot.width, shot.height, shot.pixels
    n = shot.channels

    def lit(x, y):
        if not (0 <= x < width and 0 <= y < height):
            return False
        i = (y * width + x) * n
        return any(pixels[i : i + n])

    for d in range(-SQUARE_SIDE // 3, SQUARE_SIDE + 1):
        # Rows of a screenshot run top down; the border is drawn on the square's first and
        # last rows and columns.
        left, bottom, side = SQUARE_X - d, height - 1 - (SQUARE_Y - d), SQUARE_SIDE + 2 * d
        right, top = left + side - 1, bottom - side + 1
        if not (lit(left, bottom) and lit(right, top)):
            continue
        along = range(1, side - 1, max(1, side // EDGE))
        edges = (
            [lit(left + k, bottom) for k in along],
            [lit(left + k, top) for k in along],
            [lit(left, bottom - k) for k in along],
            [lit(right, bottom - k) for k in along],
        )
        if all(sum(edge) >= 0.8 * len(edge) for edge in edges):
            return d
    return None


class Progress:
    """Watches a display and a tarvikImages folder on a thread of its own and prints each
    phase reached. Use it as a context manager."""

    def __init__(self, display, images, env=None):
        self.display = display
        self.images = images
        self.env = env
        self.started = time.monotonic()
        self.cycle = 1
        self.phase = -1
        self.previous_left = None
        self.pictures_seen = set(cycle_pictures(images))
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self.run, daemon=True)

    def __enter__(self):
        self.reach("gathering")
        self.thread.start()
        return self

    def __exit__(self, *_):
        self.stopping.set()
        self.thread.join(timeout=30)
        self.look_at_files()  # a picture written since the last look
        return False

    def reach(self, phase, detail=""):
        index = PHASES.index(phase)
        if index <= self.phase:
            return
        self.phase = index
        seconds = time.monotonic() - self.started
        print("%5.0f s  cycle %d: %s%s" % (seconds, self.cycle, phase, detail), flush=True)

    def run(self):
        while not self.stopping.wait(
            LOOK_PERIOD if self.phase >= PHASES.index("drawing") else LOOK_PERIOD / 2
        ):
            try:
                shot = pictures.screenshot(self.display, self.env)
            except Exception:  # the display has gone: the piece or the server has ended
                return
            self.look(shot)

    def look(self, shot):
        """Moves on by what one screenshot and the folder show."""
        self.look_at_files()
        d = square_distance(shot)
        if d is None:
            if shot.is_black() and self.phase >= PHASES.index("drawing"):
                self.reach("collapse")
                self.cycle += 1
                self.phase = -1
                self.previous_left = None
                self.reach("gathering")
            elif self.phase < PHASES.index("drawing") and self.strips_at_rest(shot):
                self.reach("dealing")
        elif d >= 5:
            self.reach("burst")
        elif d <= -5:
            self.reach("collapse")
        else:
            self.reach("drawing")

    def look_at_files(self):
        new = set(cycle_pictures(self.images)) - self.pictures_seen
        if new:
            self.pictures_seen |= new
            self.reach("capture", " " + ", ".join(sorted(new)))

    def strips_at_rest(self, shot):
        """True when enough pixels of the left third are lit and unchanged since the last look
        (the red channel of every other row is plenty for that)."""
        third, stride = shot.width // 3, shot.width * shot.channels
        left = b"".join(
            shot.pixels[y * stride : y * stride + third * shot.channels : shot.channels]
            for y in range(0, shot.height, 2)
        )
        previous, self.previous_left = self.previous_left, left
        if previous is None:
            return False
        return sum(1 for a, b in zip(previous, left) if a and a == b) > STILL_STRIPS
