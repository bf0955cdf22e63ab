# progress.py -- tells which phase the piece has reached, from screenshots and tarvikImages
"""A watcher that prints the phase each cycle has reached, with the seconds since it started.

It looks only at what anybody could see: screenshots of the display and the cycle pictures
that appear in tarvikImages. The signs it reads (screen.py):

- gathering: the start, and a black screen after a collapse (the empty grid of a new cycle);
- dealing: a dealt strip lying in the top left cell of the grid of dealt strips;
- drawing: the grey border of the 300 x 300 diagram square at its place;
- burst: that square grown, also where it reaches past the screen's edges;
- capture: a new "<sum>-<seconds>.png" in tarvikImages;
- collapse: the square shrunk below its own size, once the diagram was drawn.

A phase is told once per cycle and only when it comes later than the last one told. The screen
is looked at every half second, and a phase can pass between two looks, above all on a busy
machine: the capture follows the full burst within a second. A phase that the later one proves
was passed is then told as well, first, at the time it was inferred and marked so ("burst
(implied by the capture)"): a capture happens only at full burst, a burst only from a drawn
diagram, drawing only after dealing, a collapse only from a drawn diagram. A cycle collapsed
straight from the finished diagram goes from drawing to collapse.

A new cycle is told when the screen turns black after the diagram was drawn, when anything but
the square follows a told collapse, or when a second cycle picture appears: each cycle
captures at most one.
"""

import threading
import time

from . import pictures, screen
from .player import by_seconds, cycle_pictures

PHASES = ("gathering", "dealing", "drawing", "burst", "capture", "collapse")
GATHERING, DEALING, DRAWING, BURST, CAPTURE, COLLAPSE = range(len(PHASES))
# The phase that each one proves was passed before it in the same cycle.
IMPLIES = {DEALING: GATHERING, DRAWING: DEALING, BURST: DRAWING, CAPTURE: BURST, COLLAPSE: DRAWING}
LOOK_PERIOD = 0.5  # seconds between two looks
MOVED = 5  # the square found within 4 of burst distance 0 is at its place


def phase_of(d):
    """The phase that the diagram square at burst distance d shows."""
    if d >= MOVED:
        return BURST
    if d <= -MOVED:
        return COLLAPSE
    return DRAWING


class Progress:
    """Watches a display and a tarvikImages folder on a thread of its own and prints each
    phase reached. Use it as a context manager."""

    def __init__(self, display, images, env=None, clock=time.monotonic):
        self.display = display
        self.images = images
        self.env = env
        self.clock = clock
        self.started = clock()
        self.cycle = 1
        self.phase = -1
        self.pictures_seen = set(cycle_pictures(images))
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self.run, daemon=True)

    def __enter__(self):
        self.reach(GATHERING)
        self.thread.start()
        return self

    def __exit__(self, *_):
        self.stopping.set()
        self.thread.join(timeout=30)
        self.look_at_files()  # a picture written since the last look
        return False

    def reach(self, phase, detail="", proof=None):
        """Tells `phase` unless it or a later one was told in this cycle, after the phases it
        implies that were not. proof: what was seen, when this phase is only implied by it."""
        if phase <= self.phase:
            return
        earlier = IMPLIES.get(phase)
        if earlier is not None:
            self.reach(earlier, proof=proof or PHASES[phase])
        if proof is not None:
            detail = " (implied by the %s)" % proof
        self.phase = phase
        seconds = self.clock() - self.started
        print("%5.0f s  cycle %d: %s%s" % (seconds, self.cycle, PHASES[phase], detail), flush=True)

    def new_cycle(self, proof):
        """The collapse has ended (told now if it was not seen) and a new cycle gathers."""
        self.reach(COLLAPSE, proof=proof)
        self.cycle += 1
        self.phase = -1
        self.reach(GATHERING)

    def run(self):
        while not self.stopping.wait(LOOK_PERIOD):
            try:
                shot = pictures.screenshot(self.display, self.env)
            except Exception:  # the display has gone: the piece or the server has ended
                return
            self.look(shot)

    def look(self, shot):
        """Moves on by what one screenshot and the folder show. The folder is read after the
        screenshot was taken, so a picture found now may be newer than the screen or older
        (written before the screenshot, after the last look): the screen's phases up to the
        burst are told first, then the picture, then a collapse or a new cycle, which only
        ever follow it."""
        d = screen.square_distance(shot)
        seen = None
        if d is not None:
            seen = phase_of(d)
            if seen == COLLAPSE and self.phase < DRAWING:
                seen = None  # a square shrunk before the drawing is no collapse
        elif self.phase < DRAWING and screen.strip_dealt(shot):
            seen = DEALING
        if seen is not None and seen < CAPTURE:
            self.reach(seen)
        self.look_at_files()
        if seen == COLLAPSE:
            self.reach(COLLAPSE)
        elif d is None and (shot.is_black() and self.phase >= DRAWING or self.phase == COLLAPSE):
            self.new_cycle("empty grid")

    def look_at_files(self):
        new = set(cycle_pictures(self.images)) - self.pictures_seen
        for name in sorted(new, key=by_seconds):
            self.pictures_seen.add(name)
            if self.phase >= CAPTURE:
                self.new_cycle("next capture")
            self.reach(CAPTURE, " " + name)
