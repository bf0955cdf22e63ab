# e2eSupport.py -- what the end-to-end tests share: the binary, the player and the pictures
"""Settings and helpers of the end-to-end tests.

CTest passes TARVIK_BINARY (the tarvik01 under test), TARVIK_PICTURE_DIR (where pictures for
people to look at go) and TARVIK_E2E_DEADLINE (seconds a test may play, a minute below its
CTest timeout, so that the player stops the program and its server itself).
"""

import os
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "rig"))

import pictures  # noqa: E402
import player  # noqa: E402

__all__ = [
    "FOUR_MODES", "PATTERN", "PATTERN_SUM", "REFERENCE_DIR",
    "new_player", "picture_dir", "pictures", "startup_message",
]  # fmt: skip

REFERENCE_DIR = HERE / "reference"
FOUR_MODES = "1280x1024,1152x864,1024x768,800x600"

# Sixty-four presses whose twelve glyphs all lie where an 800x600 screen shows the capture
# square, with each of the four figures and the four shades among them. Strip s holds presses
# 4s to 4s+3, so the strips read 14 9 4 2 8 9 1 6 5 9 4 3 4 0 5 0: the image name's sum is 83.
PATTERN = "LLLRLRRLRLRRRRLRLRRRLRRLRRRLRLLRRLRLLRRLRLRRRRLLRLRRRRRRRLRLRRRR"
PATTERN_SUM = 83


def binary():
    path = os.environ.get("TARVIK_BINARY", "")
    if not path or not os.access(path, os.X_OK):
        raise AssertionError("TARVIK_BINARY must name the tarvik01 executable (CTest sets it)")
    return path


def deadline():
    return float(os.environ.get("TARVIK_E2E_DEADLINE", "840"))


def new_player(modes="800x600", **options):
    return player.Player(binary(), modes, deadline=deadline(), **options)


def picture_dir():
    """build/pictures/e2e, for pictures that people may look at; never compared."""
    path = Path(os.environ.get("TARVIK_PICTURE_DIR", tempfile.gettempdir())) / "e2e"
    path.mkdir(parents=True, exist_ok=True)
    return path


def startup_message(width, height):
    # The dummy driver's modes all run at 50 Hz; GLUT reports 32 bits from the mode string.
    return (
        "Starte tarvikWerk.\nBildschirmaufloesung %dx%d Pixel bei 32 bit Farbtiefe und 50 hertz\n"
        % (width, height)
    ).encode("latin-1")
