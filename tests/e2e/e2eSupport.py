# e2eSupport.py -- what the end-to-end tests share: the binary, a player for tests, the texts
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
from launcher.demo import PATTERN  # noqa: E402

__all__ = [
    "NO_MODE", "PATTERN", "PATTERN_SUM", "REFERENCE_DIR", "STARTUP", "TOP", "TestPlayer",
    "new_player", "picture_dir", "pictures", "player", "screen", "start_play",
]  # fmt: skip

REFERENCE_DIR = HERE / "reference"
PATTERN_SUM = 83  # of PATTERN's strips
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
NO_MODE = b"Bildschirmmodi werden von der Grafikkarte nicht unterst\xfctzt.\n"


class TestPlayer(player.Player):
    """The launcher's player with what only tests need: GNOME's compositor (server="mutter",
    headless with a 1920x1080 virtual monitor, whose Xwayland offers modes of its own), the
    sanitized build's environment, and programs started one after another on one display."""

    def __init__(self, binary, modes="800x600", server="xorg", **options):
        super().__init__(binary, modes, **options)
        self.server = server
        self.window_before = None  # the focused game-mode window when the program started

    def server_kind(self):
        return super().server_kind() if self.server == "xorg" else ["--" + self.server]

    def server_name(self):
        return super().server_name() if self.server == "xorg" else self.server

    def program_env(self):
        env = super().program_env()
        if "ASAN_OPTIONS" in env:
            # LeakSanitizer matches a suppression against every frame of an allocation's stack,
            # and every callback of the program runs below libglut, which the suppressions
            # name, so a leak of the program's own would pass unseen. Two frames, the
            # allocator and its caller, leave the match to the caller.
            env["ASAN_OPTIONS"] += ":malloc_context_size=2"
        return env

    def start_program(self):
        self.window_before = self.focused_window()
        super().start_program()

    def wait_ready(self, timeout=60):
        """Waits until this program's game-mode window has the focus: not the window of one
        that ran before on this display, which the server may not have removed yet."""
        self.wait_for(
            "the game-mode window",
            lambda: self.focused_window() not in (None, self.window_before),
            timeout,
        )


def binary():
    path = os.environ.get("TARVIK_BINARY", "")
    if not path or not os.access(path, os.X_OK):
        raise AssertionError("TARVIK_BINARY must name the tarvik01 executable (CTest sets it)")
    return path


def deadline():
    return float(os.environ.get("TARVIK_E2E_DEADLINE", "840"))


def new_player(modes="800x600", **options):
    return TestPlayer(binary(), modes, deadline=deadline(), **options)


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
