# screen.py -- the four game modes, where the program draws on them, and the signs of its phases
"""What the launcher and its tests know of the screen, each written here once.

MODES holds the four game modes the program tries, largest first, each with the side of the
square its captures show: trunc(600 * lines / 1024) + 300 pixels. That square's lower left
corner sits at CAPTURE_CORNER on every screen. The diagram is drawn in a square of its own,
DIAGRAM_SIDE pixels with its lower left corner at DIAGRAM_CORNER, whatever the screen; the
burst distance d moves that corner by -d on both axes and makes the side
trunc(2 d lines / 1024 + 300). All positions count from the bottom left of the screen, as GL
does; screenshots' rows run top down.

The signs below are what the player waits for and what the phase watcher tells; each reads one
screenshot and holds for as long as its phase lasts, not for a moment between two frames.
"""

import math

MODES = {"1280x1024": 900, "1152x864": 806, "1024x768": 750, "800x600": 651}
FOUR_MODES = ",".join(MODES)
CAPTURE_CORNER = (200, 50)
DIAGRAM_CORNER, DIAGRAM_SIDE = (500, 350), 300

# The scene is seen through a 60-degree perspective of aspect 1 stretched over the whole
# screen; the dealt strips lie in the plane z = -20, where the view reaches this far from the
# centre (scene units) towards each edge.
HALF_VIEW = 20 * math.tan(math.radians(30))
# The first deal always lands in the top left cell of the 4 by 12 grid of dealt strips, at
# (-11, 10): the box that its four digits fill when they lie flat there, and bands above and
# below it that stay dark (the rows are 1.7 units apart, a row's digits about 0.4 high).
FIRST_CELL = (-11.35, 9.5, -9.6, 10.3)  # left, bottom, right, top in scene units
BANDS = ((-11.35, 10.5, -9.6, 11.0), (-11.35, 8.8, -9.6, 9.3))
STRIP_LIT = 0.1  # share of the cell's pixels lit by a strip lying there (0.21 measured)
BAND_LIT = 0.02

EDGE_PROBES = 14  # points probed along each edge of the diagram square
SMALLEST_SQUARE = 30  # pixels: a smaller square could be a stroke of a digit


def size(modes):
    """(width, height) of the first mode of a list such as "1280x1024,800x600"."""
    width, height = modes.split(",")[0].split("x")
    return int(width), int(height)


def diagram_shown(shot):
    """True when anything is lit in the diagram's square (whose top may lie off screen)."""
    x, y, side = square_at(0, shot.height)
    return shot.lit_in(x, max(shot.height - y - side, 0), x + side, shot.height - y) > 0


def _scene_box(shot, box):
    """A box of the plane z = -20 in scene units as (x0, y0, x1, y1) of the screenshot."""
    left, bottom, right, top = box

    def column(x):
        return round((x / HALF_VIEW + 1) / 2 * shot.width)

    def row(y):
        return round((1 - y / HALF_VIEW) / 2 * shot.height)

    return column(left), row(top), column(right), row(bottom)


def _share_lit(shot, box):
    x0, y0, x1, y1 = _scene_box(shot, box)
    return shot.lit_in(x0, y0, x1, y1) / max(1, (x1 - x0) * (y1 - y0))


def strip_dealt(shot):
    """True once the first deal has landed: a strip lies flat in the top left cell of the dealt
    grid, with dark bands above and below it. It stays there until the burst or the collapse.
    Digits flying in gathering are either too small to fill the cell or large enough to reach
    into the bands."""
    return _share_lit(shot, FIRST_CELL) >= STRIP_LIT and all(
        _share_lit(shot, band) <= BAND_LIT for band in BANDS
    )


def square_at(d, height):
    """The diagram square at burst distance d on a screen of `height` lines: (left, bottom,
    side) in GL's window coordinates."""
    (x, y), side = DIAGRAM_CORNER, DIAGRAM_SIDE
    return x - d, y - d, int(2 * height / 1024 * d + side)


def square_distance(shot):
    """The burst distance d at which the diagram square's grey border shows, or None.

    The border is a line one pixel wide on the square's edges, smoothed over the two pixels
    that meet there, with nothing lit a few pixels outside it. Each edge that lies on the
    screen for at least half its length must show so along most of that length, and at least
    two edges must: the grown square of the burst reaches past the screen's edges on the
    smaller screens. Nothing else on screen makes that: neither digits, solid or in flight,
    nor a glyph's figure, which keeps clear of the square's border."""
    width, height, pixels, n = shot.width, shot.height, shot.pixels, shot.channels

    def lit(x, y):  # GL window coordinates; None off the screen
        if not (0 <= x < width and 0 <= y < height):
            return None
        i = ((height - 1 - y) * width + x) * n
        return any(pixels[i : i + n])

    def edge_shows(line, start, length, outward, vertical):
        """The edge between pixels line - 1 and line, from start for length pixels."""
        votes = shown = 0
        for k in range(EDGE_PROBES):
            along = start + (k * (length - 1)) // (EDGE_PROBES - 1)
            points = [(line - 1, along), (line, along), (line + outward, along)]
            if not vertical:
                points = [(x, y) for y, x in points]
            on, at, off = (lit(x, y) for x, y in points)
            if on is None or at is None or off is None:
                continue
            votes += 1
            shown += (on or at) and not off
            if votes - shown > EDGE_PROBES // 5:
                return False
        return True if votes >= EDGE_PROBES // 2 else None

    lowest = -int((DIAGRAM_SIDE - SMALLEST_SQUARE) * 1024 / (2 * height))
    for d in range(lowest, DIAGRAM_SIDE + 1):
        left, bottom, side = square_at(d, height)
        right, top = left + side, bottom + side
        edges = (
            (left, bottom, side, -4, True),
            (right, bottom, side, 3, True),
            (bottom, left, side, -4, False),
            (top, left, side, 3, False),
        )
        shown = 0
        for edge in edges:
            result = edge_shows(*edge)
            if result is False:
                break
            shown += result is True
        else:
            if shown >= 2:
                return d
    return None
