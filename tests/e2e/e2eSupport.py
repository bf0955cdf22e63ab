# e2eSupport.py -- what the end-to-end tests share: the binary, the launcher's player, pictures
"""Settings and helpers of the end-to-end tests.

CTest passes TARVIK_BINARY (the tarvik01 under test), TARVIK_PICTURE_DIR (where pictures for
people to look at go) and TARVIK_E2E_DEADLINE (seconds a test may play, a minute below its
CTest timeout, so that the player stops the program and its server itself).
"""

import os
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
TOP = HERE.parents[1]
sys.path.insert(0, str(TOP))

from launcher import pictures, player, screen  # noqa: E402

__all__ = [
    "PATTERN_SUM", "REFERENCE_DIR", "STARTUP", "TOP",
    "new_player", "picture_dir", "pictures", "player", "screen", "start_play",
]  # fmt: skip

REFERENCE_DIR = HERE / "reference"
PATTERN_SUM = 83  # of player.PATTERN's strips
# The program's first words on each mode. The dummy driver's modes all run at 50 Hz; GLUT
# reports 32 bits from the mode string.
STARTUP = {
    "1280x1024": b"Starte tarvikWerk.\n"
        b"Bildschirmaufloesung 1280x1024 Pixel bei 32 bit Farbtiefe und 50 hertz\n",
    "1152x864": b"Starte tarvikWerk.\n"
        b"Bildschirmaufloesung 1152x864 Pixel bei 32 bit Farbtiefe und 50 hertz\n",
    "1024x768": b"Starte tarvikWerk.\n"
        b"Bildschirmaufloesung 1024x768 Pixel bei 32 bit Farbtiefe und 50 hertz\n",
    "800x600": b"Starte tarvikWerk.\n"
        b"Bildschirmaufloesung 800x600 Pixel bei 32 bit Farbtiefe und 50 hertz\n",
}  # fmt: skip


def binary():
    path = os.environ.get("TARVIK_BINARY", "")
    if not path or not os.access(path, os.X_OK):
        raise AssertionError("TARVIK_BINARY must name the tarvik01 executable (CTest sets it)")
    return path


def deadline():
    return float(os.environ.get("TARVIK_E2E_DEADLINE", "840"))


def new_player(modes="800x600", **options):
    return player.Player(binary(), modes, deadline=deadline(), **options)


def start_play(folder, *args, prefix=(), env=None, **pipes):
    """./tools/play ARGS, run after PREFIX (a command such as xrun) in the folder, on the build
    under test, in a session of its own: a test stops it and all it started as one group."""
    return subprocess.Popen(
        [*prefix, str(TOP / "tools" / "play"), *args],
        cwd=folder,
        env=dict(os.environ if env is None else env, TARVIK_BINARY=binary()),
        start_new_session=True,
        **pipes,
    )


def picture_dir():
    """build/pictures/e2e, for pictures that people may look at; never compared."""
    path = Path(os.environ.get("TARVIK_PICTURE_DIR", tempfile.gettempdir())) / "e2e"
    path.mkdir(parents=True, exist_ok=True)
    return path
