# screen.py -- the four game modes and where the program draws on them
"""What the launcher and its tests know of the screen, each written here once.

MODES holds the four game modes the program tries, largest first, each with the side of the
square its captures show: trunc(600 * lines / 1024) + 300 pixels. That square's lower left
corner sits at CAPTURE_CORNER on every screen. The diagram is drawn in a square of its own,
DIAGRAM_SIDE pixels with its lower left corner at DIAGRAM_CORNER, whatever the screen; the
burst moves that corner by -d on both axes and widens the side by 2 d. All positions count
from the bottom left of the screen, as GL does; screenshots' rows run top down.
"""

MODES = {"1280x1024": 900, "1152x864": 806, "1024x768": 750, "800x600": 651}
FOUR_MODES = ",".join(MODES)
CAPTURE_CORNER = (200, 50)
DIAGRAM_CORNER, DIAGRAM_SIDE = (500, 350), 300


def size(modes):
    """(width, height) of the first mode of a list such as "1280x1024,800x600"."""
    width, height = modes.split(",")[0].split("x")
    return int(width), int(height)


def diagram_shown(shot):
    """True when anything is lit in the diagram's square (whose top may lie off screen)."""
    (x, y), side = DIAGRAM_CORNER, DIAGRAM_SIDE
    return shot.lit_in(x, max(shot.height - y - side, 0), x + side, shot.height - y) > 0
